// A game from its start through its levels to its tear-down, on the fake platform with the
// real packs: the quota of each level, what meeting it does to the field, the culling
// area, and the order of the requests a frame of play makes.

#include <gtest/gtest.h>

#include <stdexcept>

#include "TestGame.h"
#include "TestScreen.h"
#include "game/Bonus.h"
#include "game/Bullet.h"
#include "game/GameFlow.h"
#include "game/GroundGun.h"
#include "game/Monster.h"
#include "game/ObjectTables.h"
#include "game/Player.h"
#include "game/ScrollBackground.h"

namespace {

class GameFlow : public testing::Test {
 protected:
  void SetUp() override {
    if (!GamePacksBuilt()) GTEST_SKIP() << "the packs are not built";
    Screen.SkyStrip = new TScrollBackground(Game, 2, "SkyTile", KSkyColumns, 1);
  }

  // One frame of play as the main window runs it: the tick, then the dead are freed.
  void Tick(const TGameControls& Controls = {}) {
    GameTick(Game, Screen, Game.Ms, Controls);
    Game.Sprites.FreeDead();
  }

  template <size_t N>
  static int32_t Live(const std::array<bool, N>& Used) {
    int32_t Count = 0;
    for (size_t I = 1; I < N; ++I) Count += Used[I] ? 1 : 0;
    return Count;
  }

  // A monster in the first free slot, out of reach of everything else.
  TMonster& NewMonster(uint8_t Kind = mkAirplane) {
    TGameState& G = Game.State;
    int32_t Free = 1;
    while (Free <= KMonsterSlots && G.MonsterUsed[Free]) ++Free;
    if (Free > KMonsterSlots) throw std::runtime_error("no monster slot");
    AddMonster(Game, 700, 6, Kind);
    return *G.Monsters[Free];
  }

  // Runs frames until the predicate holds, at most Limit frames; answers whether it did.
  template <class F>
  bool TickUntil(F Done, int32_t Limit = 2000) {
    for (int32_t I = 0; I < Limit; ++I) {
      if (Done()) return true;
      Tick();
    }
    return Done();
  }

  TTestGame Game;
  TTestScreen Screen;
};

TEST_F(GameFlow, StartGameBuildsTheFirstLevel) {
  TGameState& G = Game.State;
  G.MonsterTimer = 777;  // the spawn timers outlive games
  G.Score = 5000;        // the last game's score
  StartGame(Game, Screen);
  EXPECT_EQ(Screen.Entered, 1);
  EXPECT_EQ(Screen.SkyStrip->SpeedX, -1);
  ASSERT_NE(G.Player, nullptr);
  EXPECT_EQ(G.Lives, 3);
  EXPECT_EQ(G.Score, 0);
  EXPECT_EQ(G.Level, 1);
  EXPECT_EQ(G.MonstersLeft, 10);
  EXPECT_FALSE(G.LevelEnding);
  EXPECT_EQ(G.MonsterTimer, 777);
  EXPECT_EQ(G.Player->State, psRespawning);
  EXPECT_EQ(G.Player->X, 30);
  EXPECT_EQ(G.Player->Y, 221);
  EXPECT_TRUE(G.Player->SlotOn[1]);
  EXPECT_TRUE(G.Player->SlotOn[4]);
  EXPECT_EQ(Game.LevelBanners, 1);
  EXPECT_EQ(Screen.HudDraws, 1);
  // The hills: front (the ground) over everything but the dialogs, back behind the hunters.
  ASSERT_NE(G.HillLayers[1], nullptr);
  ASSERT_NE(G.HillLayers[2], nullptr);
  EXPECT_EQ(G.HillLayers[1]->Y, 494);
  EXPECT_EQ(G.HillLayers[1]->Z(), 11);
  EXPECT_EQ(G.HillLayers[1]->SpeedX, -4);
  EXPECT_EQ(G.HillLayers[2]->Y, 444);
  EXPECT_EQ(G.HillLayers[2]->Z(), 4);
  EXPECT_EQ(G.HillLayers[2]->SpeedX, -3);
  // The display strip.
  ASSERT_NE(G.HudFrame, nullptr);
  EXPECT_EQ(G.HudFrame->Z(), 9);
  for (int32_t I = 1; I <= 3; ++I) {
    ASSERT_NE(G.HudLifeIcons[I], nullptr);
    EXPECT_EQ(G.HudLifeIcons[I]->X, 28 + 51 * (I - 1));
    EXPECT_EQ(G.HudLifeIcons[I]->Y, 4);
    EXPECT_EQ(G.HudLifeIcons[I]->Z(), 10);
  }
  EXPECT_EQ(G.HudAssistantIcon->X, 192);
  EXPECT_EQ(G.HudWeaponIcon->X, 267);
  EXPECT_EQ(G.HudWeaponIcon->Y, 6);
}

TEST_F(GameFlow, QuotaIsTenKillsALevelUpToFifty) {
  const int32_t Expected[] = {0, 10, 20, 30, 40, 50, 50, 50};
  for (int32_t Level = 1; Level <= 7; ++Level) EXPECT_EQ(LevelQuota(Level), Expected[Level]);
  EXPECT_EQ(LevelQuota(1000), 50);
}

TEST_F(GameFlow, LevelOneNeedsExactlyTenKillsThroughDamage) {
  TGameState& G = Game.State;
  StartGame(Game, Screen);
  for (int32_t Kill = 1; Kill <= 9; ++Kill) {
    TMonster& Target = NewMonster();
    const int32_t Slot = Target.Slot;
    Target.Damage(1000);
    // Its fall or explosion plays out, then it is culled.
    ASSERT_TRUE(TickUntil([&] { return !G.MonsterUsed[Slot]; }));
    EXPECT_EQ(G.MonstersLeft, 10 - Kill);
    EXPECT_FALSE(G.LevelEnding);
  }
  // One that escapes at the left edge is culled without counting.
  TMonster& Escaper = NewMonster();
  const int32_t EscaperSlot = Escaper.Slot;
  Escaper.X = -20 - Escaper.Width - 50;
  Tick();
  EXPECT_FALSE(G.MonsterUsed[EscaperSlot]);
  EXPECT_EQ(G.MonstersLeft, 1);
  // One hit directly by the duck's mega bomb dies without points and does not count.
  const int32_t Score = G.Score;
  TMonster& Bombed = NewMonster();
  // Within 300 pixels of the duck, before the bomb goes off on its own.
  Bombed.X = 200;
  AddBullet(Game, Trunc(Bombed.X), Trunc(Bombed.Y), 9, 0, 0, bkMegaBomb, bsPlayer, false);
  Tick();
  EXPECT_TRUE(Bombed.Dying);
  EXPECT_EQ(G.MonstersLeft, 1);
  EXPECT_EQ(G.Score, Score);
  EXPECT_FALSE(G.LevelEnding);
  NewMonster().Damage(1000);
  Tick();
  EXPECT_EQ(G.MonstersLeft, 0);
  EXPECT_TRUE(G.LevelEnding);
  EXPECT_TRUE(G.Player->LevelEnd);
  EXPECT_EQ(Game.CueCount("Reborn"), 1);
}

TEST_F(GameFlow, MeetingTheQuotaClearsTheFieldAndSpawnsNothingUntilTheNextLevel) {
  TGameState& G = Game.State;
  StartGame(Game, Screen);
  G.Player->BecomeAlive();
  // Every class ready to spawn at once, were it allowed.
  G.HunterTimer = G.MonsterTimer = G.BonusTimer = 1'000'000;
  G.MonstersLeft = 1;
  AddBullet(Game, 400, 100, 9, 0, 0, bkGunBullet, bsEnemy, false);
  AddBullet(Game, 450, 100, 9, 0, 0, bkGunBullet, bsEnemy, false);
  AddBonus(Game, 600, 150, 9, bnScore);
  AddHunter(Game, 700, 409, 6, hkHunter2);
  TMonster& Last = NewMonster();
  TMonster& Other = NewMonster(mkBird);
  Last.Damage(1000);
  const int32_t Score = G.Score;
  Tick();
  EXPECT_TRUE(G.LevelEnding);
  EXPECT_EQ(Live(G.BulletUsed), 0);
  EXPECT_EQ(Live(G.BonusUsed), 0);
  EXPECT_TRUE(Other.Dying);
  for (int32_t I = 1; I <= KHunterSlots; ++I) {
    if (G.HunterUsed[I]) {
      EXPECT_TRUE(G.Hunters[I]->Dying);
    }
  }
  EXPECT_EQ(G.Score, Score);
  // Until the next level's banner, nothing new comes; the timers keep growing.
  int32_t Frames = 0;
  while (Game.LevelBanners == 1 && Frames < 2000) {
    for (int32_t I = 1; I <= KMonsterSlots; ++I) {
      if (G.MonsterUsed[I]) {
        EXPECT_TRUE(G.Monsters[I]->Dying) << "frame " << Frames;
      }
    }
    for (int32_t I = 1; I <= KHunterSlots; ++I) {
      if (G.HunterUsed[I]) {
        EXPECT_TRUE(G.Hunters[I]->Dying) << "frame " << Frames;
      }
    }
    EXPECT_EQ(Live(G.BonusUsed), 0);
    Tick();
    ++Frames;
  }
  // 15 flips of 100 ms.
  EXPECT_GE(Frames * Game.Ms, 1400);
  EXPECT_EQ(Game.LevelBanners, 2);
  EXPECT_EQ(G.Level, 2);
  EXPECT_EQ(G.MonstersLeft, 20);
  EXPECT_FALSE(G.LevelEnding);
  EXPECT_FALSE(G.Player->LevelEnd);
  EXPECT_EQ(G.Player->State, psRespawning);
  // The new level starts on an empty field.
  EXPECT_EQ(Live(G.MonsterUsed) + Live(G.HunterUsed) + Live(G.BulletUsed) + Live(G.BonusUsed), 0);
  EXPECT_GT(G.MonsterTimer, 1000);
}

TEST_F(GameFlow, TwoKillsInTheLastFrameEndTheLevelOnce) {
  TGameState& G = Game.State;
  StartGame(Game, Screen);
  G.MonstersLeft = 1;
  NewMonster().Damage(1000);
  NewMonster().Damage(1000);
  EXPECT_EQ(G.MonstersLeft, -1);
  ASSERT_TRUE(TickUntil([&] { return Game.LevelBanners == 2; }));
  EXPECT_EQ(Game.CueCount("Reborn"), 1);
  EXPECT_EQ(G.Level, 2);
  EXPECT_EQ(G.MonstersLeft, 20);
  Tick();
  EXPECT_EQ(G.Level, 2);
  EXPECT_EQ(Game.CueCount("Reborn"), 1);
}

TEST_F(GameFlow, TheFiftyFirstBulletIsIgnored) {
  StartGame(Game, Screen);
  TGameState& G = Game.State;
  const int32_t Before = Game.SpriteEngine().Count();
  for (int32_t I = 1; I <= 51; ++I) AddBullet(Game, 300, 300, 9, 0, 0, bkGunBullet, bsEnemy, false);
  EXPECT_EQ(Live(G.BulletUsed), 50);
  EXPECT_EQ(Game.SpriteEngine().Count(), Before + 50);
  // A freed slot is taken again from the bottom.
  ReleaseBullet(Game, 7);
  AddBullet(Game, 310, 300, 9, 0, 0, bkGunBullet, bsEnemy, false);
  EXPECT_TRUE(G.BulletUsed[7]);
  EXPECT_EQ(G.Bullets[7]->X, 310);
}

TEST_F(GameFlow, CullingKeepsX1400AndDropsX1400AndAHalf) {
  StartGame(Game, Screen);
  TGameState& G = Game.State;
  TMonster& Stays = NewMonster();
  Stays.X = 1400;
  TMonster& Goes = NewMonster();
  Goes.X = 1400.5;
  AddBullet(Game, 300, 300, 9, 0, 0, bkGunBullet, bsEnemy, false);
  AddBullet(Game, 300, 300, 9, 0, 0, bkGunBullet, bsEnemy, false);
  G.Bullets[1]->X = 1400;
  G.Bullets[2]->X = 1400.5;
  CullSprites(Game);
  EXPECT_TRUE(G.MonsterUsed[Stays.Slot]);
  EXPECT_FALSE(G.MonsterUsed[Goes.Slot]);
  EXPECT_TRUE(G.BulletUsed[1]);
  EXPECT_FALSE(G.BulletUsed[2]);
}

TEST_F(GameFlow, EscapeAndPauseInOneFrameOpenOnlyTheExitQuestion) {
  StartGame(Game, Screen);
  TGameControls Keys;
  Keys.EscapePressed = Keys.PausePressed = true;
  Tick(Keys);
  EXPECT_EQ(Screen.Dialog, 2);
  Screen.Dialog = 0;
  Keys.EscapePressed = false;
  Tick(Keys);
  EXPECT_EQ(Screen.Dialog, 5);
}

TEST_F(GameFlow, ControlsReachTheDuckForItsNextMoveButNotWhileItDies) {
  StartGame(Game, Screen);
  TPlayer& P = *Game.State.Player;
  TGameControls Keys;
  Keys.Right = Keys.Down = Keys.Fire = true;
  Tick(Keys);
  EXPECT_TRUE(P.MoveRight && P.MoveDown && P.FireHeld);
  EXPECT_FALSE(P.MoveLeft || P.MoveUp);
  const double X = P.X;
  Tick();  // moves with last frame's controls, then takes the new (none)
  EXPECT_GT(P.X, X);
  EXPECT_FALSE(P.MoveRight);
  P.State = psDying;
  P.DeathTime = 100000;
  Tick(Keys);
  EXPECT_FALSE(P.MoveRight);
  EXPECT_TRUE(P.FireHeld);
}

TEST_F(GameFlow, TheLastLifeLostOpensTheGameOverBannerAndEndGameClearsEverything) {
  StartGame(Game, Screen);
  TGameState& G = Game.State;
  G.Lives = 1;
  G.Score = 1234;
  G.Player->Explode();
  ASSERT_TRUE(TickUntil([&] { return Game.GameOverBanners == 1; }));
  EXPECT_EQ(G.Lives, 0);
  EXPECT_EQ(Game.CueCount("GameOver"), 1);
  AddBullet(Game, 300, 300, 9, 0, 0, bkGunBullet, bsEnemy, false);
  AddBonus(Game, 600, 150, 9, bnScore);
  NewMonster();
  EndGame(Game, Screen);
  EXPECT_EQ(Screen.Left, 1);
  EXPECT_EQ(G.Player, nullptr);
  EXPECT_EQ(G.HudFrame, nullptr);
  EXPECT_EQ(G.HillLayers[1], nullptr);
  EXPECT_EQ(Live(G.MonsterUsed) + Live(G.HunterUsed) + Live(G.BulletUsed) + Live(G.BonusUsed), 0);
  // Only the sky is left, and the score stays for the name entry.
  EXPECT_EQ(Game.SpriteEngine().Count(), 1);
  EXPECT_EQ(G.Score, 1234);
  // A new game starts clean.
  StartGame(Game, Screen);
  EXPECT_EQ(G.Score, 0);
  EXPECT_EQ(G.Lives, 3);
  EXPECT_EQ(G.Level, 1);
}

}  // namespace
