// A scripted player plays headless games for more than five minutes of game time: it flies
// up and down to line up with the nearest enemy in the air, fire held all the time. The level
// banner stands the game still for its 2000 ms, as the window does; after a game over the next game
// starts. After every frame no table may hold a sprite that the engine has freed.

#include <gtest/gtest.h>

#include <cstdio>
#include <set>

#include "TestGame.h"
#include "TestScreen.h"
#include "game/Bonus.h"
#include "game/Bullet.h"
#include "game/GameFlow.h"
#include "game/GroundGun.h"
#include "game/Monster.h"
#include "game/Player.h"

namespace {

// Every slot marked live holds a sprite that is still in the engine's tree and not killed.
template <class T, size_t N>
void ExpectLiveSlotsExist(const std::array<T*, N>& Table, const std::array<bool, N>& Used,
                          const std::set<const TSprite*>& Tree, const char* Name, int64_t Frame,
                          int32_t& Faults) {
  for (size_t I = 1; I < N; ++I) {
    if (!Used[I]) continue;
    const TSprite* S = Table[I];
    if (Tree.count(S) == 0 || Table[I]->Killed) {
      if (++Faults <= 5)
        ADD_FAILURE() << Name << " slot " << I << " holds a freed or killed sprite at frame "
                      << Frame;
    }
  }
}

TEST(Bot, PlaysFiveMinutesPastTheFirstLevelWithoutStaleSlots) {
  if (!GamePacksBuilt()) GTEST_SKIP() << "the packs are not built";
  TTestGame Game(4242);
  TTestScreen Screen;
  Screen.SkyStrip = new TScrollBackground(Game, 2, "SkyTile", KSkyColumns, 1);
  TGameState& G = Game.State;

  constexpr int64_t KGameMs = 6 * 60 * 1000;
  int64_t Ms = 0, Frame = 0;
  int32_t Games = 0, BestLevel = 0, Faults = 0, BannersSeen = 0, OversSeen = 0;
  int32_t BannerLeft = 0;
  StartGame(Game, Screen);
  ++Games;
  while (Ms < KGameMs) {
    Ms += Game.Ms;
    ++Frame;
    if (Game.LevelBanners != BannersSeen) {
      BannersSeen = Game.LevelBanners;
      BannerLeft = 2000;
    }
    if (BannerLeft > 0) {
      // The banner shows; nothing moves.
      BannerLeft -= Game.Ms;
      continue;
    }
    if (Game.GameOverBanners != OversSeen) {
      OversSeen = Game.GameOverBanners;
      std::printf("game %d over: level %d, score %d, lives %d after %.1f s\n", Games, G.Level,
                  G.Score, G.Lives, Ms / 1000.0);
      EndGame(Game, Screen);
      StartGame(Game, Screen);
      ++Games;
      continue;
    }
    // Up or down toward the nearest monster still flying; the middle when there is none.
    const TPlayer& P = *G.Player;
    double TargetY = 300, NearestX = 1e9;
    for (int32_t I = 1; I <= KMonsterSlots; ++I) {
      const TMonster* M = G.Monsters[I];
      if (!G.MonsterUsed[I] || M->Dying || M->X < P.X || M->X > NearestX) continue;
      NearestX = M->X;
      TargetY = M->Y + M->Height / 2.0;
    }
    const double DuckY = P.Y + P.Height / 2.0;
    TGameControls Keys;
    Keys.Fire = true;
    Keys.Up = DuckY > TargetY + 4;
    Keys.Down = DuckY < TargetY - 4;
    GameTick(Game, Screen, Game.Ms, Keys);
    Game.Sprites.FreeDead();
    if (G.Level > BestLevel) BestLevel = G.Level;

    std::set<const TSprite*> Tree;
    TSpriteEngine& Engine = Game.SpriteEngine();
    for (int32_t I = 0; I < Engine.Count(); ++I) Tree.insert(&Engine.Items(I));
    ExpectLiveSlotsExist(G.Bullets, G.BulletUsed, Tree, "bullet", Frame, Faults);
    ExpectLiveSlotsExist(G.Hunters, G.HunterUsed, Tree, "hunter", Frame, Faults);
    ExpectLiveSlotsExist(G.Monsters, G.MonsterUsed, Tree, "monster", Frame, Faults);
    ExpectLiveSlotsExist(G.Bonuses, G.BonusUsed, Tree, "bonus", Frame, Faults);
  }
  std::printf(
      "after %.1f s of game time (%lld frames): game %d at level %d, score %d, lives %d;"
      " best level %d\n",
      Ms / 1000.0, static_cast<long long>(Frame), Games, G.Level, G.Score, G.Lives, BestLevel);
  EXPECT_GE(BestLevel, 2);
  EXPECT_EQ(Faults, 0);
  EndGame(Game, Screen);
}

}  // namespace
