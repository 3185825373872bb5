// The object tables: first free slot, full tables, releasing, and culling at the edges of
// the play area.
#include <gtest/gtest.h>

#include "GameTestHelpers.h"
#include "game/Bonus.h"
#include "game/GroundGun.h"
#include "game/Monster.h"

TEST(ObjectTables, AddTakesTheFirstFreeSlotAndAFullTableDropsTheRequest) {
  TTestGame G;
  for (int32_t I = 0; I < KMonsterSlots; ++I) AddMonster(G, 900, 6, mkAirplane);
  for (int32_t I = 1; I <= KMonsterSlots; ++I) EXPECT_EQ(G.State.Monsters[I]->Slot, I);
  ReleaseMonster(G, 4);
  ReleaseMonster(G, 7);
  AddMonster(G, 900, 6, mkDog);
  EXPECT_EQ(G.State.Monsters[4]->Kind, mkDog);
  EXPECT_FALSE(G.State.MonsterUsed[7]);
  // Full: nothing is made, and the spawn timer is left alone.
  AddMonster(G, 900, 6, mkDog);
  G.State.MonsterTimer = 1234;
  const int32_t Sprites = G.SpriteEngine().Count();
  AddMonster(G, 900, 6, mkBird);
  EXPECT_EQ(G.SpriteEngine().Count(), Sprites);
  EXPECT_EQ(G.State.MonsterTimer, 1234);
}

TEST(ObjectTables, EachSuccessfulAddRestartsItsClassTimer) {
  TTestGame G;
  G.State.HunterTimer = G.State.MonsterTimer = G.State.BonusTimer = 999;
  AddHunter(G, 900, 409, 6, hkHunter1);
  EXPECT_EQ(G.State.HunterTimer, 0);
  EXPECT_EQ(G.State.MonsterTimer, 999);
  AddMonster(G, 900, 6, mkBird);
  EXPECT_EQ(G.State.MonsterTimer, 0);
  AddBonus(G, 900, 200, 9, 3);
  EXPECT_EQ(G.State.BonusTimer, 0);
  EXPECT_EQ(G.State.Bonuses[1]->Slot, 1);
  EXPECT_EQ(G.State.Hunters[1]->Slot, 1);
}

TEST(ObjectTables, ReleaseFreesTheSlotAndKillsOnceEvenWhenRepeated) {
  TTestGame G;
  AddBullet(G, 100, 100, 11, 10, 0, bkGunBullet, bsPlayer, false);
  ReleaseBullet(G, 1);
  ReleaseBullet(G, 1);  // a stale reference is never touched again
  ReleaseBullet(G, 0);  // outside the table
  ReleaseBullet(G, 51);
  EXPECT_FALSE(G.State.BulletUsed[1]);
  EXPECT_EQ(G.SpriteEngine().DeadSprites().size(), 1u);
  G.Sprites.FreeDead();
  ReleaseBullet(G, 1);  // its sprite is gone: must not be followed
  EXPECT_EQ(G.SpriteEngine().Count(), 0);
}

TEST(ObjectTables, ReleaseAllEmptiesEveryTable) {
  TTestGame G;
  for (int32_t I = 0; I < 3; ++I) {
    AddBullet(G, 100, 100, 11, 10, 0, bkGunBullet, bsPlayer, false);
    AddHunter(G, 900, 409, 6, hkHunter1);
    AddMonster(G, 900, 6, mkAirplane);
    AddBonus(G, 900, 200, 9, 1);
  }
  ReleaseAllBullets(G);
  ReleaseAllHunters(G);
  ReleaseAllMonsters(G);
  ReleaseAllBonuses(G);
  G.Sprites.FreeDead();
  EXPECT_EQ(G.SpriteEngine().Count(), 0);
  for (int32_t I = 1; I <= 3; ++I) {
    EXPECT_FALSE(G.State.BulletUsed[I]);
    EXPECT_FALSE(G.State.HunterUsed[I]);
    EXPECT_FALSE(G.State.MonsterUsed[I]);
    EXPECT_FALSE(G.State.BonusUsed[I]);
  }
}

TEST(ObjectTables, CullingKeepsThePlayAreaAndItsEdges) {
  struct TCase {
    double X, Y;
    bool Kept;
  };
  const TCase Cases[] = {
      {1400, 300, true},  {1400.5, 300, false},  // far right, where newcomers enter
      {-20.0, -20, true}, {0, -20.5, false},     // top
      {0, 300, true},
  };
  for (const TCase& C : Cases) {
    TTestGame G;
    AddBullet(G, 0, 0, 11, 0, 0, bkGunBullet, bsEnemy, false);
    TBullet& B = *G.State.Bullets[1];
    B.X = C.X;
    B.Y = C.Y;
    CullSprites(G);
    EXPECT_EQ(G.State.BulletUsed[1], C.Kept) << C.X << ", " << C.Y;
  }
  // Left and bottom edges depend on the size.
  TTestGame G;
  AddMonster(G, 900, 6, mkAirplane);
  TMonster& M = *G.State.Monsters[1];
  M.X = -20 - M.Width;
  M.Y = 680 - M.Height;
  CullSprites(G);
  EXPECT_TRUE(G.State.MonsterUsed[1]);
  M.X -= 0.5;
  CullSprites(G);
  EXPECT_FALSE(G.State.MonsterUsed[1]);
}

TEST(ObjectTables, CullingTakesWhatHasPlayedOutAndTheBonusesTaken) {
  TTestGame G;
  AddHunter(G, 400, 409, 6, hkHunter2);
  AddBonus(G, 400, 200, 9, 1);
  AddBonus(G, 500, 200, 9, 1);
  G.State.Hunters[1]->Visible = false;
  G.State.Bonuses[2]->Taken = true;
  CullSprites(G);
  EXPECT_FALSE(G.State.HunterUsed[1]);
  EXPECT_TRUE(G.State.BonusUsed[1]);
  EXPECT_FALSE(G.State.BonusUsed[2]);
  // An invisible bonus stays until it is taken or leaves.
  G.State.Bonuses[1]->Visible = false;
  CullSprites(G);
  EXPECT_TRUE(G.State.BonusUsed[1]);
}

TEST(ObjectTables, OnlyThePlayersMegaBombsGoWithALostLife) {
  TTestGame G;
  AddBullet(G, 100, 100, 11, 6, 0, bkMegaBomb, bsPlayer, false);
  AddBullet(G, 100, 200, 11, 6, 0, bkMegaBomb, bsEnemy, false);
  AddBullet(G, 100, 300, 11, 2, 0, bkRocket, bsPlayer, false);
  AddBullet(G, 100, 400, 11, 6, 0, bkMegaBomb, bsPlayer, false);
  G.State.Bullets[4]->Explode();  // exploding ones too
  ReleasePlayerMegaBombs(G);
  EXPECT_FALSE(G.State.BulletUsed[1]);
  EXPECT_TRUE(G.State.BulletUsed[2]);
  EXPECT_TRUE(G.State.BulletUsed[3]);
  EXPECT_FALSE(G.State.BulletUsed[4]);
}

TEST(GameState, ResetKeepsOnlyWhatOutlivesAGame) {
  TGameState S;
  S.Score = 500;
  S.Lives = 1;
  S.Level = 4;
  S.BulletUsed[3] = true;
  S.MonstersLeft = 7;
  S.HunterTimer = 11;
  S.MonsterTimer = 22;
  S.BonusTimer = 33;
  S.LastCursorX = 44;
  S.LastCursorY = 55;
  S.Reset();
  EXPECT_EQ(S.Score, 0);
  EXPECT_EQ(S.Lives, 0);
  EXPECT_EQ(S.Level, 0);
  EXPECT_FALSE(S.BulletUsed[3]);
  EXPECT_EQ(S.MonstersLeft, 0);
  EXPECT_EQ(S.HunterTimer, 11);
  EXPECT_EQ(S.MonsterTimer, 22);
  EXPECT_EQ(S.BonusTimer, 33);
  EXPECT_EQ(S.LastCursorX, 44);
  EXPECT_EQ(S.LastCursorY, 55);
}

TEST(GameState, TwoGamesSideBySideDoNotTouchEachOther) {
  TDuckGame A(1), B(1);
  A.Alive();
  B.Alive();
  A.P.TakeSlot(0);
  A.P.FireHeld = true;
  A.Step(30);
  B.Step(30);
  EXPECT_GT(A.LiveBullets(), 0);
  EXPECT_EQ(B.LiveBullets(), 0);
  EXPECT_EQ(B.G.CueCount("Laser"), 0);
}
