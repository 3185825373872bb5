#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fake/FakePlatform.h"
#include "services/Music.h"

TEST(Music, SecondPlayMusicFreesTheFirstModule) {
  TFakeMusicPlayer Player;
  TMusic Music(Player);
  Music.PlayMusic(kMenuMusic, true);
  Music.PlayMusic(kRaceMusic, true);
  EXPECT_EQ(Player.Loaded, (std::vector<std::string>{kMenuMusic, kRaceMusic}));
  EXPECT_EQ(Player.Freed, (std::vector<uint32_t>{1}));
  EXPECT_EQ(Player.Played, (std::vector<uint32_t>{1, 2}));
  EXPECT_EQ(Music.SongHandle(), 2u);
}

TEST(Music, WithMusicOffNothingIsLoadedOrChanged) {
  TFakeMusicPlayer Player;
  TMusic Music(Player);
  Music.PlayScreenMusic(false, false);
  EXPECT_TRUE(Player.Loaded.empty());
  Music.PlayScreenMusic(false, true);  // switched on in the options: the menu music
  Music.PlayMusic(kRaceMusic, false);
  EXPECT_EQ(Player.Loaded, (std::vector<std::string>{kMenuMusic}));
  EXPECT_TRUE(Player.Freed.empty()) << "off leaves the playing module alone";
  EXPECT_EQ(Music.SongHandle(), 1u);
}

TEST(Music, SwitchingOffAndOnStartsTheScreensModuleAgain) {
  TFakeMusicPlayer Player;
  TMusic Music(Player);
  Music.PlayScreenMusic(false, true);
  Music.StopMusic();  // options: music off
  EXPECT_EQ(Player.Freed, (std::vector<uint32_t>{1}));
  EXPECT_EQ(Music.SongHandle(), 0u);
  Music.PlayScreenMusic(false, false);
  Music.StopMusic();  // on again: stop, then the screen's music from its start
  Music.PlayScreenMusic(false, true);
  EXPECT_EQ(Player.Loaded, (std::vector<std::string>{kMenuMusic, kMenuMusic}));
  EXPECT_EQ(Player.Freed, (std::vector<uint32_t>{1})) << "nothing to free while stopped";
  Music.PlayScreenMusic(true, true);  // a game starts
  EXPECT_EQ(Player.Loaded.back(), kRaceMusic);
  EXPECT_EQ(Player.Freed.back(), 2u);
}

TEST(Music, MissingModulePlaysNothingAndTheNextCallTriesAgain) {
  TFakeMusicPlayer Player;
  TMusic Music(Player);
  Player.LoadFails = true;
  Music.PlayMusic(kMenuMusic, true);
  EXPECT_EQ(Music.SongHandle(), 0u);
  EXPECT_TRUE(Player.Played.empty());
  Music.StopMusic();
  EXPECT_TRUE(Player.Freed.empty()) << "handle 0 is never freed";
  Player.LoadFails = false;
  Music.PlayMusic(kMenuMusic, true);
  EXPECT_EQ(Player.Played, (std::vector<uint32_t>{1}));
}

TEST(Music, TheLastModuleIsFreedWithTheService) {
  TFakeMusicPlayer Player;
  {
    TMusic Music(Player);
    Music.PlayMusic(kMenuMusic, true);
  }
  EXPECT_EQ(Player.Freed, (std::vector<uint32_t>{1}));
}
