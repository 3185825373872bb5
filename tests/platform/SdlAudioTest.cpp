// The real SDL sound device, heard through SDL's disk driver, which writes the mixed
// output as raw signed 16-bit little-endian stereo to a file.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "platform/sdl/SdlAudio.h"
#include "tests/platform/PcmFormat.h"

TEST(SdlAudio, DiskDriverHearsTheMixedCue) {
  const std::string Path = std::string(TB_BINARY_DIR) + "/sdl_audio_test.raw";
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", Path.c_str(), 1);
  {
    TSdlAudio Audio;
    ASSERT_TRUE(Audio.Open());
    EXPECT_EQ(Audio.DriverName(), "disk");
    const TWaveFormat F = Pcm(1, 16, 44100);
    // 50 ms of the value 1234.
    auto Samples = std::make_shared<std::vector<uint8_t>>();
    for (int I = 0; I < 2205; ++I) Samples->insert(Samples->end(), {0xD2, 0x04});
    const TSoundBufferId Main = Audio.CreateBuffer(F, Samples);
    const TSoundBufferId Copy = Audio.DuplicateBuffer(Main);
    ASSERT_NE(Copy, 0);
    Audio.Play(Copy, false);
    for (int Waited = 0; Audio.IsPlaying(Copy) && Waited < 3000; Waited += 10)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_FALSE(Audio.IsPlaying(Copy));
    Audio.Close();
    EXPECT_EQ(Audio.CreateBuffer(F, Samples), 0) << "closed: no buffers";
  }
  std::ifstream In(Path, std::ios::binary);
  const std::vector<char> Raw((std::istreambuf_iterator<char>(In)),
                              std::istreambuf_iterator<char>());
  std::remove(Path.c_str());
  int Frames = 0;
  for (size_t I = 0; I + 3 < Raw.size(); I += 4) {
    const auto L = static_cast<int16_t>(static_cast<uint8_t>(Raw[I]) |
                                        (static_cast<uint8_t>(Raw[I + 1]) << 8));
    const auto R = static_cast<int16_t>(static_cast<uint8_t>(Raw[I + 2]) |
                                        (static_cast<uint8_t>(Raw[I + 3]) << 8));
    if (L == 1234 && R == 1234) ++Frames;
  }
  EXPECT_EQ(Frames, 2205) << "every sample of the cue once, on both sides";
}

TEST(SdlAudio, WithoutASoundDeviceItRunsSilentlyOnTheDummyDriver) {
  setenv("SDL_AUDIODRIVER", "no-such-sound-card", 1);
  TSdlAudio Audio;
  ASSERT_TRUE(Audio.Open());
  EXPECT_EQ(Audio.DriverName(), "dummy");
  TWaveFormat F;                                                         // 22050 Hz 16-bit mono
  auto Samples = std::make_shared<std::vector<uint8_t>>(2 * 441, 0x10);  // 20 ms
  const TSoundBufferId B = Audio.CreateBuffer(F, Samples);
  ASSERT_NE(B, 0);
  Audio.Play(B, false);
  // The dummy driver still consumes the output in real time: the cue ends.
  for (int Waited = 0; Audio.IsPlaying(B) && Waited < 3000; Waited += 10)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_FALSE(Audio.IsPlaying(B));
}
