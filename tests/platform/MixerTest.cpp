// The mixer rendered offline: where a sound's samples land in the output, at what gain,
// and that copies of a buffer share its sample bytes.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "platform/Mixer.h"
#include "platform/fake/FakeAudio.h"
#include "tests/platform/PcmFormat.h"

namespace {

TSampleData Pcm16(const std::vector<int16_t>& Values) {
  auto Bytes = std::make_shared<std::vector<uint8_t>>();
  for (int16_t V : Values) {
    Bytes->push_back(static_cast<uint8_t>(V & 0xFF));
    Bytes->push_back(static_cast<uint8_t>((V >> 8) & 0xFF));
  }
  return Bytes;
}

std::vector<int16_t> Left(const std::vector<int16_t>& Stereo) {
  std::vector<int16_t> L;
  for (size_t I = 0; I < Stereo.size(); I += 2) L.push_back(Stereo[I]);
  return L;
}
std::vector<int16_t> Right(const std::vector<int16_t>& Stereo) {
  std::vector<int16_t> R;
  for (size_t I = 1; I < Stereo.size(); I += 2) R.push_back(Stereo[I]);
  return R;
}

class TConstantMusic final : public IMusicSource {
 public:
  explicit TConstantMusic(int16_t Value) : FValue(Value) {}
  void RenderMusic(int16_t* Stereo, uint32_t Frames) override {
    for (uint32_t I = 0; I < 2 * Frames; ++I) Stereo[I] = FValue;
  }

 private:
  int16_t FValue;
};

}  // namespace

TEST(Mixer, CueSamplesStartWhereItWasPlayedAtFullGain) {
  TFakeAudio Audio;
  ASSERT_TRUE(Audio.Open());
  TSoundBufferId B = Audio.CreateBuffer(Pcm(1, 16, 44100), Pcm16({1000, -2000, 3000, 4000}));
  ASSERT_NE(B, 0);
  EXPECT_EQ(Audio.Render(3), std::vector<int16_t>(6, 0)) << "nothing plays before Play";
  Audio.Play(B, false);
  std::vector<int16_t> Out = Audio.Render(6);
  EXPECT_EQ(Left(Out), (std::vector<int16_t>{1000, -2000, 3000, 4000, 0, 0}));
  EXPECT_EQ(Right(Out), Left(Out)) << "mono plays on both sides";
  EXPECT_FALSE(Audio.IsPlaying(B));
}

TEST(Mixer, VolumeAndPanFollowTheAttenuationScale) {
  struct Case {
    int32_t Volume, Pan;
    double LeftGain, RightGain;
  };
  const Case Cases[] = {
      {0, 0, 1.0, 1.0},
      {-600, 0, std::pow(10.0, -0.3), std::pow(10.0, -0.3)},  // -6 dB: about half
      {-10000, 0, 0.0, 0.0},
      {0, -10000, 1.0, 0.0},                 // hard left
      {0, 2000, std::pow(10.0, -1.0), 1.0},  // right: left down 20 dB
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(testing::Message() << "volume " << C.Volume << " pan " << C.Pan);
    TFakeAudio Audio;
    Audio.Open();
    TSoundBufferId B = Audio.CreateBuffer(Pcm(1, 16, 44100), Pcm16({20000, 20000}));
    Audio.SetVolume(B, C.Volume);
    Audio.SetPan(B, C.Pan);
    Audio.Play(B, false);
    std::vector<int16_t> Out = Audio.Render(1);
    EXPECT_NEAR(Out[0], 20000 * C.LeftGain, 1.0);
    EXPECT_NEAR(Out[1], 20000 * C.RightGain, 1.0);
  }
}

TEST(Mixer, DuplicatesShareOneSampleBufferAndOutliveTheirSource) {
  TMixer M;
  TSampleData Data = Pcm16({500, 600});
  TSoundBufferId Main = M.CreateBuffer(Pcm(1, 16, 44100), Data);
  TSoundBufferId Copy1 = M.DuplicateBuffer(Main);
  TSoundBufferId Copy2 = M.DuplicateBuffer(Copy1);
  ASSERT_NE(Copy1, 0);
  ASSERT_NE(Copy2, 0);
  EXPECT_EQ(M.Samples(Copy1).get(), Data.get());
  EXPECT_EQ(M.Samples(Copy2).get(), Data.get());
  EXPECT_EQ(M.DuplicateBuffer(999), 0);
  M.ReleaseBuffer(Main);
  M.Play(Copy1, false);
  M.Play(Copy2, false);
  std::vector<int16_t> Out(4);
  M.Render(Out.data(), 2);
  EXPECT_EQ(Out, (std::vector<int16_t>{1000, 1000, 1200, 1200})) << "two copies add up";
}

TEST(Mixer, SourceFormatsConvertToSigned16Stereo) {
  struct Case {
    const char* Name;
    TWaveFormat Format;
    std::vector<uint8_t> Bytes;
    std::vector<int16_t> Expected;  // first two output frames, interleaved
  };
  const std::vector<Case> Cases = {
      {"8-bit mono", Pcm(1, 8, 44100), {128, 255}, {0, 0, 127 * 256, 127 * 256}},
      {"8-bit silence floor", Pcm(1, 8, 44100), {0, 128}, {-32768, -32768, 0, 0}},
      {"16-bit stereo", Pcm(2, 16, 44100), {0x10, 0, 0x20, 0, 0x30, 0, 0x40, 0}, {16, 32, 48, 64}},
      {"8-bit stereo", Pcm(2, 8, 44100), {129, 127, 130, 126}, {256, -256, 512, -512}},
      // 22050 Hz at 44100: every source frame lasts two output frames, halfway interpolated.
      {"22050 Hz", Pcm(1, 16, 22050), {0xE8, 0x03, 0xD0, 0x07}, {1000, 1000, 1500, 1500}},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    TMixer M;
    TSoundBufferId B = M.CreateBuffer(C.Format, std::make_shared<std::vector<uint8_t>>(C.Bytes));
    ASSERT_NE(B, 0);
    M.Play(B, false);
    std::vector<int16_t> Out(4);
    M.Render(Out.data(), 2);
    EXPECT_EQ(Out, C.Expected);
  }
}

TEST(Mixer, RejectsFormatsItCannotPlay) {
  TMixer M;
  TWaveFormat Adpcm = Pcm(1, 4, 22050);
  Adpcm.FormatTag = 2;
  EXPECT_EQ(M.CreateBuffer(Adpcm, Pcm16({1})), 0);
  EXPECT_EQ(M.CreateBuffer(Pcm(1, 24, 44100), Pcm16({1, 2, 3})), 0);
  EXPECT_EQ(M.CreateBuffer(Pcm(6, 16, 44100), Pcm16({1, 2, 3, 4, 5, 6})), 0);
  EXPECT_EQ(M.CreateBuffer(Pcm(1, 16, 0), Pcm16({1})), 0);
  EXPECT_EQ(M.CreateBuffer(Pcm(2, 16, 44100), Pcm16({1})), 0) << "less than one frame";
  EXPECT_EQ(M.CreateBuffer(Pcm(1, 16, 44100), nullptr), 0);
}

TEST(Mixer, LoopedWrapsOnceStopsAndRewinds) {
  TMixer M;
  TSoundBufferId B = M.CreateBuffer(Pcm(1, 16, 44100), Pcm16({1, 2, 3}));
  M.SetPosition(B, 2);  // byte offset of frame 1
  EXPECT_EQ(M.GetPosition(B), 2u);
  M.Play(B, true);
  std::vector<int16_t> Out(14);
  M.Render(Out.data(), 7);
  EXPECT_EQ(Left(Out), (std::vector<int16_t>{2, 3, 1, 2, 3, 1, 2}));
  EXPECT_TRUE(M.IsPlaying(B));
  EXPECT_EQ(M.GetPosition(B), 4u);
  M.Stop(B);
  M.Render(Out.data(), 7);
  EXPECT_EQ(Out, std::vector<int16_t>(14, 0));
  EXPECT_EQ(M.GetPosition(B), 4u) << "Stop keeps the position";
  M.Play(B, false);
  M.Render(Out.data(), 7);
  EXPECT_EQ(Left(Out), (std::vector<int16_t>{3, 0, 0, 0, 0, 0, 0}));
  EXPECT_FALSE(M.IsPlaying(B));
  EXPECT_EQ(M.GetPosition(B), 0u) << "a sound played to its end is back at the start";
}

TEST(Mixer, FrequencyResamples) {
  TMixer M;
  TSoundBufferId B = M.CreateBuffer(Pcm(1, 16, 44100), Pcm16({0, 100, 200, 300, 400, 500}));
  M.SetFrequency(B, 88200);  // twice as fast: every second frame
  M.Play(B, false);
  std::vector<int16_t> Out(8);
  M.Render(Out.data(), 4);
  EXPECT_EQ(Left(Out), (std::vector<int16_t>{0, 200, 400, 0}));
}

TEST(Mixer, MusicMixesUnderTheVoicesAndTheSumIsClamped) {
  TMixer M;
  TConstantMusic Music(30000);
  M.SetMusicSource(&Music);
  TSoundBufferId B = M.CreateBuffer(Pcm(1, 16, 44100), Pcm16({10000, -10000}));
  M.Play(B, false);
  std::vector<int16_t> Out(6);
  M.Render(Out.data(), 3);
  EXPECT_EQ(Out, (std::vector<int16_t>{32767, 32767, 20000, 20000, 30000, 30000}));
  M.SetMusicVolume(-10000);
  M.Render(Out.data(), 3);
  EXPECT_EQ(Out, std::vector<int16_t>(6, 0));
}

TEST(FakeAudio, WithoutASoundDeviceEveryCallIsHarmless) {
  TFakeAudio Audio(false);
  EXPECT_FALSE(Audio.Open());
  TSoundBufferId B = Audio.CreateBuffer(Pcm(1, 16, 44100), Pcm16({1, 2}));
  EXPECT_EQ(B, 0);
  Audio.Play(B, true);
  Audio.SetVolume(B, -100);
  EXPECT_FALSE(Audio.IsPlaying(B));
  EXPECT_EQ(Audio.DuplicateBuffer(B), 0);
  EXPECT_TRUE(Audio.Plays().empty());
}
