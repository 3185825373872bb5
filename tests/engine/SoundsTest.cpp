// Named sounds on the offline mixer: the device's events, building the items' buffers, and
// which copy a play uses.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "engine/DXSounds.h"
#include "platform/fake/FakeAudio.h"
#include "tests/platform/PcmFormat.h"

namespace {

// A clock whose sleeps let the offline device play for that long.
class TAudioClock final : public IClock {
 public:
  explicit TAudioClock(TFakeAudio& Audio) : FAudio(Audio) {}
  uint32_t Ticks() override { return FNow; }
  void Sleep(uint32_t Ms) override {
    FNow += Ms;
    Sleeps.push_back(Ms);
    FAudio.Advance(Ms);
  }
  std::vector<uint32_t> Sleeps;

 private:
  TFakeAudio& FAudio;
  uint32_t FNow = 0;
};

// Mono 16-bit 44100 Hz, Ms long, every sample 1000.
void MakeSound(TWave& Wave, uint32_t Ms) {
  Wave.SetFormat(Pcm(1, 16, 44100));
  std::vector<uint8_t> Bytes(44100 * Ms / 1000 * 2);
  for (size_t I = 0; I < Bytes.size(); I += 2) {
    Bytes[I] = 1000 & 0xFF;
    Bytes[I + 1] = 1000 >> 8;
  }
  Wave.SetSamples(Bytes.data(), static_cast<uint32_t>(Bytes.size()));
}

class SoundsFixture : public testing::Test {
 protected:
  SoundsFixture() : Clock(Audio), Sound(Audio, Clock) { List.SetDXSound(&Sound); }

  TWaveCollectionItem& AddSound(const std::string& Name, uint32_t Ms = 100) {
    TWaveCollectionItem& Item = List.Items().Add();
    Item.SetName(Name);
    MakeSound(Item.Wave, Ms);
    return Item;
  }
  TFakeAudio Audio;
  TAudioClock Clock;
  TDXSound Sound;
  TDXWaveList List;
};

}  // namespace

// Steps: P = Play(false), S = Stop, W = 200 ms pass (every copy ends), w = 20 ms pass,
// 0..9 = set MaxPlayingCount to that value.
TEST_F(SoundsFixture, CopiesAreReusedAddedOrRestartedByTheLimit) {
  struct Case {
    const char* Name;
    int32_t MaxPlayingCount;
    const char* Steps;
    std::vector<int> Order;     // copies by creation number, in list order
    std::vector<bool> Playing;  // of each copy in list order
    int LastPlayed;             // creation number of the copy started last
  };
  const std::vector<Case> Cases = {
      {"limit 2, third quick play restarts the first", 2, "PwPwP", {2, 1}, {true, true}, 1},
      {"limit 2, a fourth restarts the second", 2, "PwPwPwP", {1, 2}, {true, true}, 2},
      {"no limit adds a copy while all are busy", 0, "PPP", {1, 2, 3}, {true, true, true}, 3},
      {"stop then play reuses the first copy", 0, "PPSP", {1, 2}, {true, false}, 1},
      {"a finished copy is reused", 0, "PWP", {1}, {true}, 1},
      {"first free copy wins, order kept", 0, "PPPWP", {1, 2, 3}, {true, false, false}, 1},
      {"limit 1 restarts the one copy", 1, "PP", {1}, {true}, 1},
      {"a new limit releases the copies", 0, "PP5", {}, {}, 2},
      {"released copies are made again", 0, "PP5P", {3}, {true}, 3},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    List.Items().Clear();
    Sound.Initialize();
    TWaveCollectionItem& Item = AddSound("Laser");
    Item.SetMaxPlayingCount(C.MaxPlayingCount);
    List.Items().Restore();
    ASSERT_NE(Item.MainBuffer(), 0);
    std::map<TSoundBufferId, int> Number;  // copy -> creation number
    auto Track = [&] {
      for (TSoundBufferId B : Item.Copies())
        if (!Number.count(B)) Number[B] = static_cast<int>(Number.size()) + 1;
    };
    for (const char* S = C.Steps; *S; ++S) {
      if (*S == 'P') Item.Play(false);
      if (*S == 'S') Item.Stop();
      if (*S == 'W') Audio.Advance(200);
      if (*S == 'w') Audio.Advance(20);
      if (*S >= '0' && *S <= '9') Item.SetMaxPlayingCount(*S - '0');
      Track();
    }
    std::vector<int> Order;
    std::vector<bool> Playing;
    for (TSoundBufferId B : Item.Copies()) {
      Order.push_back(Number[B]);
      Playing.push_back(Audio.IsPlaying(B));
    }
    EXPECT_EQ(Order, C.Order);
    EXPECT_EQ(Playing, C.Playing);
    EXPECT_FALSE(Audio.IsPlaying(Item.MainBuffer())) << "the main buffer only supplies data";
    EXPECT_EQ(Audio.Mixer().BufferCount(), 1 + static_cast<int32_t>(Item.Copies().size()));
    ASSERT_FALSE(Audio.Plays().empty());
    const TSoundBufferId Last = Audio.Plays().back().Buffer;
    EXPECT_EQ(Number[Last], C.LastPlayed);
    if (Audio.Mixer().Exists(Last)) {
      EXPECT_EQ(Audio.GetPosition(Last), 0u) << "started from 0";
    }
    Audio.ClearPlays();
  }
}

TEST_F(SoundsFixture, CopiesShareTheMainBuffersSamples) {
  Sound.Initialize();
  TWaveCollectionItem& Item = AddSound("Bonus");
  List.Items().Restore();
  Item.Play(false);
  Item.Play(false);
  ASSERT_EQ(Item.Copies().size(), 2u);
  const void* Shared = Audio.Mixer().Samples(Item.MainBuffer()).get();
  EXPECT_EQ(Audio.Mixer().Samples(Item.Copies()[0]).get(), Shared);
  EXPECT_EQ(Audio.Mixer().Samples(Item.Copies()[1]).get(), Shared);
}

TEST_F(SoundsFixture, LoopedItemRestartsFromZeroWithoutOverlapping) {
  Sound.Initialize();
  TWaveCollectionItem& Item = AddSound("Engine");
  Item.SetLooped(true);
  List.Items().Restore();
  Item.Play(false);
  Audio.Advance(250);  // past the end: it loops
  EXPECT_TRUE(Audio.IsPlaying(Item.MainBuffer()));
  EXPECT_NE(Audio.GetPosition(Item.MainBuffer()), 0u);
  Item.Play(true);  // Wait is ignored for a looped item
  EXPECT_EQ(Audio.GetPosition(Item.MainBuffer()), 0u);
  EXPECT_TRUE(Item.Copies().empty());
  EXPECT_EQ(Audio.Mixer().PlayingCount(), 1);
  EXPECT_TRUE(Clock.Sleeps.empty());
  // One voice at full gain: a second one overlapping would double the level.
  EXPECT_EQ(Audio.Render(1)[0], 1000);
  Item.SetLooped(false);
  EXPECT_FALSE(Audio.IsPlaying(Item.MainBuffer())) << "changing Looped stops the item";
}

TEST_F(SoundsFixture, PlayWaitSleepsInTenMillisecondStepsUntilTheCopyEnds) {
  Sound.Initialize();
  TWaveCollectionItem& Item = AddSound("GameOver", 95);
  List.Items().Restore();
  Item.Play(true);
  ASSERT_EQ(Item.Copies().size(), 1u);
  EXPECT_FALSE(Audio.IsPlaying(Item.Copies()[0]));
  EXPECT_EQ(Clock.Sleeps, std::vector<uint32_t>(10, 10u));
}

TEST_F(SoundsFixture, PlayWaitGivesUpOnADeviceThatNeverPlays) {
  // A device whose clock does not move the audio: the wait must still end.
  class TStillClock final : public IClock {
   public:
    uint32_t Ticks() override { return 0; }
    void Sleep(uint32_t) override { ++Sleeps; }
    int Sleeps = 0;
  } Still;
  TDXSound Stalled(Audio, Still);
  TDXWaveList Waves;
  Waves.SetDXSound(&Stalled);
  Stalled.Initialize();
  TWaveCollectionItem& Item = Waves.Items().Add();
  MakeSound(Item.Wave, 100);
  Waves.Items().Restore();
  Item.Play(true);
  EXPECT_GT(Still.Sleeps, 0);
  EXPECT_LE(Still.Sleeps, 111);  // 100 ms of sound plus a second
}

TEST_F(SoundsFixture, FindIgnoresCaseAndNamesTheMissingWave) {
  TWaveCollectionItem& Button = AddSound("Button");
  EXPECT_EQ(&List.Items().Find("button"), &Button);
  EXPECT_EQ(&List.Items().Find("BUTTON"), &Button);
  try {
    List.Items().Find("Bonus");
    FAIL() << "no error";
  } catch (const EWaveCollectionError& E) {
    EXPECT_STREQ(E.what(), "Wave 'Bonus' not found");
  }
}

TEST_F(SoundsFixture, DeviceEventsReachListenersAndAreReplayedToLateOnes) {
  std::vector<int> Early, Late, Calls;
  Sound.AddListener(&Early, [&](TDXSoundNotifyType T) { Early.push_back(T); });
  Sound.OnInitializing = [&] { Calls.push_back(1); };
  Sound.OnInitialize = [&] { Calls.push_back(2); };
  Sound.OnRestore = [&] { Calls.push_back(4); };
  Sound.OnFinalize = [&] { Calls.push_back(3); };
  Sound.Initialize();
  EXPECT_EQ(Early, (std::vector<int>{1, 2, 4}));
  EXPECT_EQ(Calls, (std::vector<int>{1, 2, 4}));
  Sound.AddListener(&Late, [&](TDXSoundNotifyType T) { Late.push_back(T); });
  EXPECT_EQ(Late, (std::vector<int>{2, 4}));
  Sound.RemoveListener(&Late);
  EXPECT_EQ(Late, (std::vector<int>{2, 4, 3}));
  Sound.Finalize();
  EXPECT_EQ(Early, (std::vector<int>{1, 2, 4, 3}));
  EXPECT_EQ(Calls, (std::vector<int>{1, 2, 4, 3}));
  EXPECT_EQ(Late.size(), 3u) << "a removed listener hears nothing more";
  Sound.RemoveListener(&Early);
}

TEST_F(SoundsFixture, ItemsAreBuiltWithTheDeviceAndReleasedWithIt) {
  TWaveCollectionItem& Item = AddSound("Rocket");
  TWaveCollectionItem& Empty = List.Items().Add();
  Empty.SetName("Silent");
  Sound.Initialize();  // the list hears 2 and 4: initialize and build
  EXPECT_TRUE(Item.Initialized());
  EXPECT_NE(Item.MainBuffer(), 0);
  EXPECT_EQ(Empty.MainBuffer(), 0) << "no sound data, no buffer";
  Empty.Play(false);
  Item.Play(false);
  Sound.Finalize();
  EXPECT_FALSE(Item.Initialized());
  EXPECT_EQ(Item.MainBuffer(), 0);
  EXPECT_TRUE(Item.Copies().empty());
  EXPECT_EQ(Audio.Mixer().BufferCount(), 0);
  Sound.Initialize();
  EXPECT_NE(Item.MainBuffer(), 0) << "rebuilt when the device comes back";
}

TEST_F(SoundsFixture, WithoutASoundDeviceTheGameRunsSilent) {
  Audio.SetAvailable(false);
  TWaveCollectionItem& Item = AddSound("Button");
  EXPECT_THROW(Sound.Initialize(), EDirectSoundError);
  EXPECT_FALSE(Sound.Initialized());
  EXPECT_NO_THROW(Sound.Loaded());
  EXPECT_FALSE(Item.Initialized());
  Item.Stop();
  Item.Play(false);
  Item.Play(true);
  EXPECT_TRUE(Audio.Plays().empty());
  EXPECT_TRUE(Clock.Sleeps.empty());
}

TEST(WaveList, DestroyingTheDeviceUnbindsTheList) {
  TFakeAudio Audio;
  TAudioClock Clock(Audio);
  TDXWaveList List;
  {
    TDXSound Sound(Audio, Clock);
    List.SetDXSound(&Sound);
    Sound.Initialize();
    MakeSound(List.Items().Add().Wave, 10);
    List.Items().Restore();
    EXPECT_EQ(Audio.Mixer().BufferCount(), 1);
  }
  EXPECT_EQ(List.DXSound(), nullptr);
  EXPECT_EQ(Audio.Mixer().BufferCount(), 0);
  EXPECT_FALSE(List.Items().Items(0).Initialized());
  List.Items().Items(0).Play(false);  // harmless
}
