// The game's own sound pack and modules, as built into the playable folder: every cue the
// game asks for is there and plays on the mixer, and both modules sound.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/DXSounds.h"
#include "platform/fake/FakeAudio.h"
#include "platform/fake/FakePlatform.h"
#include "platform/sdl/XmpMusic.h"

namespace {

const std::string kData = std::string(TB_BINARY_DIR) + "/game/Data";

int32_t Peak(const std::vector<int16_t>& V) {
  int32_t P = 0;
  for (int16_t S : V) P = std::max(P, std::abs(int32_t{S}));
  return P;
}

}  // namespace

TEST(GameSounds, EveryCueOfTheGameLoadsAndPlays) {
  const std::string Pack = kData + "/Res/Sounds.dxw";
  if (!std::filesystem::exists(Pack)) GTEST_SKIP() << Pack << " is not built";
  TFakeAudio Audio;
  TFakeClock Clock;
  TDXSound Sound(Audio, Clock);
  TDXWaveList List;
  List.SetDXSound(&Sound);
  Sound.Loaded();
  List.Items().LoadFromFile(Pack);
  for (const char* Name :
       {"Button", "Bonus", "Laser", "Laser2", "Rocket", "Rail", "Explosion2", "Shot1", "Shot3",
        "PlayerKill", "HeroKill", "BirdKill", "DogKill", "HunterKill", "Reborn", "GameOver"}) {
    SCOPED_TRACE(Name);
    TWaveCollectionItem& Item = List.Items().Find(Name);
    ASSERT_NE(Item.MainBuffer(), 0) << "the mixer takes its format";
    Item.Stop();
    Item.Play(false);
    EXPECT_GT(Peak(Audio.Render(4410)), 500) << "audible in its first 100 ms";
    Item.Stop();
  }
}

TEST(GameSounds, BothModulesPlay) {
  for (const char* File : {"/Music/Menu.xm", "/Music/Race.xm"}) {
    const std::string Path = kData + File;
    SCOPED_TRACE(Path);
    if (!std::filesystem::exists(Path)) GTEST_SKIP() << Path << " is not built";
    TFakeAudio Audio;
    TXmpMusic Music(Audio);
    const uint32_t Song = Music.SongLoadFromFile(Path);
    ASSERT_NE(Song, 0u);
    Music.SongPlay(Song);
    EXPECT_GT(Peak(Audio.Render(2 * 44100)), 500) << "audible in its first 2 s";
  }
}
