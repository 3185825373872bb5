// The sound pack read from bytes written out by hand here (resource header, component
// stream, collection items), so the reader is not checked against our own writer only.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "engine/DXSounds.h"
#include "engine/DXStream.h"
#include "platform/fake/FakeAudio.h"
#include "platform/fake/FakePlatform.h"

namespace {

using Bytes = std::vector<uint8_t>;

class TPack {
 public:
  TPack() {
    // Resource header: 0xFF, 16-bit 10, name, 16-bit flags, 32-bit size.
    B = {0xFF, 10, 0};
    Str0("TWAVECOLLECTIONCOMPONENT");
    B.insert(B.end(), {0x30, 0x10, 0, 0, 0, 0});
    Raw("TPF0");
    Short("TWaveCollectionComponent");
    Short("");
    Short("List");
    B.push_back(0x0E);
  }
  TPack& Item() {
    B.push_back(0x01);
    return *this;
  }
  TPack& Name(const std::string& N) {
    Short("Name");
    B.push_back(0x06);
    Short(N);
    return *this;
  }
  TPack& Looped(bool V) {
    Short("Looped");
    B.push_back(V ? 0x09 : 0x08);
    return *this;
  }
  TPack& Max(int8_t V) {
    Short("MaxPlayingCount");
    B.push_back(0x02);
    B.push_back(static_cast<uint8_t>(V));
    return *this;
  }
  TPack& Wave(const Bytes& File) {
    Short("Wave.WAVE");
    B.push_back(0x0A);
    U32(static_cast<uint32_t>(File.size() + 4));
    U32(static_cast<uint32_t>(File.size()));
    B.insert(B.end(), File.begin(), File.end());
    return *this;
  }
  TPack& Prop(const std::string& Name, uint8_t Bool) {
    Short(Name);
    B.push_back(Bool);
    return *this;
  }
  TPack& End() {
    B.push_back(0);
    return *this;
  }
  Bytes Finish() {
    B.insert(B.end(), {0, 0, 0});  // end of collection, of properties, of children
    return B;
  }

 private:
  void Raw(const std::string& S) {
    for (char C : S) B.push_back(static_cast<uint8_t>(C));
  }
  void Str0(const std::string& S) {
    Raw(S);
    B.push_back(0);
  }
  void Short(const std::string& S) {
    B.push_back(static_cast<uint8_t>(S.size()));
    Raw(S);
  }
  void U32(uint32_t V) {
    for (int I = 0; I < 4; ++I) B.push_back(static_cast<uint8_t>(V >> (8 * I)));
  }
  Bytes B;
};

// A RIFF file: mono 16-bit 44100 Hz, Frames samples of value 500.
Bytes WaveFile(uint32_t Frames) {
  Bytes F;
  auto Raw = [&F](const char* S) {
    for (int I = 0; I < 4; ++I) F.push_back(static_cast<uint8_t>(S[I]));
  };
  auto U32 = [&F](uint32_t V) {
    for (int I = 0; I < 4; ++I) F.push_back(static_cast<uint8_t>(V >> (8 * I)));
  };
  Raw("RIFF");
  U32(36 + 2 * Frames);
  Raw("WAVE");
  Raw("fmt ");
  U32(16);
  F.insert(F.end(), {1, 0, 1, 0, 0x44, 0xAC, 0, 0, 0x88, 0x58, 0x01, 0, 2, 0, 16, 0});
  Raw("data");
  U32(2 * Frames);
  for (uint32_t I = 0; I < Frames; ++I) F.insert(F.end(), {0xF4, 0x01});
  return F;
}

template <typename E>
std::string ErrorOf(TWaveCollection& C, const Bytes& Pack) {
  try {
    C.LoadFromStream(Pack);
  } catch (const E& Error) {
    return Error.what();
  }
  return "no error";
}

}  // namespace

TEST(SoundPack, EntryWithoutLoopedAndLimitPlaysOnceWithoutALimit) {
  TFakeAudio Audio;
  TFakeClock Clock;
  TDXSound Sound(Audio, Clock);
  TDXWaveList List;
  List.SetDXSound(&Sound);
  Sound.Initialize();
  const Bytes Pack = TPack()
                         .Item()
                         .Name("Bonus")
                         .Wave(WaveFile(441))
                         .End()
                         .Item()
                         .Name("Engine")
                         .Looped(true)
                         .Max(-3)
                         .Wave(WaveFile(10))
                         .End()
                         .Finish();
  List.Items().LoadFromStream(Pack);
  ASSERT_EQ(List.Items().Count(), 2);
  TWaveCollectionItem& Bonus = List.Items().Find("bonus");
  EXPECT_FALSE(Bonus.Looped());
  EXPECT_EQ(Bonus.MaxPlayingCount(), 0);
  EXPECT_EQ(Bonus.Wave.Size(), 882u);
  EXPECT_TRUE(Bonus.Initialized()) << "loaded onto a ready device: built at once";
  for (int I = 0; I < 4; ++I) Bonus.Play(false);
  EXPECT_EQ(Bonus.Copies().size(), 4u);
  Audio.Advance(20);
  for (TSoundBufferId C : Bonus.Copies()) EXPECT_FALSE(Audio.IsPlaying(C)) << "played once";
  TWaveCollectionItem& Engine = List.Items().Find("ENGINE");
  EXPECT_TRUE(Engine.Looped());
  EXPECT_EQ(Engine.MaxPlayingCount(), 0) << "a negative limit becomes 0";
}

TEST(SoundPack, LoadingBeforeTheDeviceLeavesItemsUnbuiltUntilItComes) {
  TFakeAudio Audio;
  TFakeClock Clock;
  TDXSound Sound(Audio, Clock);
  TDXWaveList List;
  List.SetDXSound(&Sound);
  List.Items().LoadFromStream(TPack().Item().Name("Rail").Wave(WaveFile(50)).End().Finish());
  EXPECT_FALSE(List.Items().Items(0).Initialized());
  Sound.Loaded();
  EXPECT_NE(List.Items().Items(0).MainBuffer(), 0);
}

TEST(SoundPack, DamagedPacksRaiseTheirMessagesAndLeaveTheListEmpty) {
  TWaveCollection C;
  Bytes BadRiff = WaveFile(4);
  BadRiff[8] = 'X';
  Bytes NoHeader = TPack().Finish();
  NoHeader[0] = 0;
  Bytes NoSignature = TPack().Finish();
  NoSignature[std::string(NoSignature.begin(), NoSignature.end()).find("TPF0")] = 'X';
  // A Wave.WAVE whose inner length claims more than the binary holds.
  Bytes Overlong = TPack().Item().Name("A").Wave(WaveFile(4)).End().Finish();
  const Bytes Good = Overlong;
  const size_t LengthAt = std::string(Good.begin(), Good.end()).find("RIFF") - 4;
  Overlong[LengthAt] += 1;

  EXPECT_EQ(ErrorOf<EWaveStreamError>(C, TPack().Item().Name("A").Wave(BadRiff).End().Finish()),
            "Wave is invalid");
  EXPECT_EQ(ErrorOf<EWaveStreamError>(C, Overlong), "Wave is invalid");
  EXPECT_EQ(ErrorOf<EReadError>(C, NoHeader), "Invalid stream format");
  EXPECT_EQ(ErrorOf<EReadError>(C, NoSignature), "Invalid stream format");
  EXPECT_EQ(ErrorOf<EReadError>(C, TPack().Item().Prop("Volume", 0x08).End().Finish()),
            "Property Volume does not exist");
  EXPECT_EQ(C.Count(), 0);
  C.LoadFromStream(Good);
  EXPECT_EQ(C.Count(), 1);
}

TEST(SoundPack, MissingFileNamesTheFile) {
  TWaveCollection C;
  try {
    C.LoadFromFile("no/such/Sounds.dxw");
    FAIL() << "no error";
  } catch (const EFOpenError& E) {
    EXPECT_NE(std::string(E.what()).find("no/such/Sounds.dxw"), std::string::npos) << E.what();
  }
}

TEST(SoundPack, LoadsFromAFile) {
  const std::string Path = std::string(TB_BINARY_DIR) + "/sound_pack_test.dxw";
  const Bytes Pack = TPack().Item().Name("Button").Wave(WaveFile(8)).End().Finish();
  std::ofstream(Path, std::ios::binary)
      .write(reinterpret_cast<const char*>(Pack.data()), static_cast<std::streamsize>(Pack.size()));
  TWaveCollection C;
  C.LoadFromFile(Path);
  std::remove(Path.c_str());
  EXPECT_EQ(C.Find("Button").Wave.Size(), 16u);
}
