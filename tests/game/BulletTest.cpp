// Bullets: flight, rocket boost, the ground, explosions, hover and drift, and the contact
// rules between bullets and the duck.
#include <gtest/gtest.h>

#include <vector>

#include "GameTestHelpers.h"
#include "game/Bonus.h"
#include "game/GroundGun.h"
#include "game/Monster.h"
#include "game/ScrollBackground.h"

namespace {

TBullet& Shoot(TTestGame& G, int32_t X, int32_t Y, int32_t Speed, int32_t Angle, uint8_t Kind,
               uint8_t Side, bool Diagonal = false) {
  AddBullet(G, X, Y, 11, Speed, Angle, Kind, Side, Diagonal);
  for (int32_t I = KBulletSlots; I >= 1; --I)
    if (G.State.BulletUsed[static_cast<size_t>(I)]) return *G.State.Bullets[static_cast<size_t>(I)];
  throw std::runtime_error("no bullet");
}

std::vector<uint32_t> Drawn(TTestGame& G) {
  G.ClearSurface();
  G.SpriteEngine().Draw();
  const TDirectDrawSurface& S = *G.Draw.Surface();
  return {S.Pixels(), S.Pixels() + static_cast<size_t>(S.Width()) * S.Height()};
}

}  // namespace

TEST(Bullet, VelocityIsTheTruncatedStepAlongTheAngle) {
  struct TCase {
    int32_t Speed, Angle, VelX, VelY;
  };
  const TCase Cases[] = {
      {10, 0, 10, 0}, {8, -128, -8, 0}, {5, 64, 0, 5},     {10, 32, 7, 7},
      {2, -10, 1, 0}, {7, -92, -4, -5}, {10, -90, -5, -8},
  };
  TTestGame G;
  for (const TCase& C : Cases) {
    const TBullet& B = Shoot(G, 300, 300, C.Speed, C.Angle, bkGunBullet, bsEnemy);
    EXPECT_EQ(B.VelX, C.VelX) << C.Speed << " at " << C.Angle;
    EXPECT_EQ(B.VelY, C.VelY) << C.Speed << " at " << C.Angle;
  }
  const TBullet& Bomb = Shoot(G, 300, 300, 0, 0, bkBomb, bsEnemy);
  EXPECT_EQ(Bomb.VelX, 0);
  EXPECT_EQ(Bomb.VelY, 1);
}

TEST(Bullet, PowerAndPictureByKindAndSide) {
  struct TCase {
    uint8_t Kind, Side;
    const char* Picture;
    int32_t Power;
  };
  const TCase Cases[] = {
      {bkGunBullet, bsPlayer, "GunBulletRed", 1}, {bkBomb, bsEnemy, "BombBullet", 1},
      {bkMegaBomb, bsPlayer, "MegaBullet", 10},   {bkMegaBomb, bsEnemy, "MegaBulletR", 10},
      {bkRocket, bsEnemy, "RocketBulletRed", 3},
  };
  TTestGame G;
  for (const TCase& C : Cases) {
    const TBullet& B = Shoot(G, 300, 300, 1, 0, C.Kind, C.Side);
    EXPECT_EQ(B.Image(), &G.List2.Items().Find(C.Picture));
    EXPECT_EQ(B.Power, C.Power) << C.Picture;
    EXPECT_FALSE(B.PixelExact);
  }
}

TEST(Bullet, RocketsSpeedUpTo7) {
  // 11 ms frames: the first step after 100 ms (frame 10), then one every 50 ms (5 frames).
  TTestGame G;
  TBullet& R = Shoot(G, 0, 300, 2, 0, bkRocket, bsPlayer);
  TBullet& Fast = Shoot(G, 0, 100, 9, 0, bkRocket, bsPlayer);
  std::vector<int32_t> Speeds;
  for (int32_t F = 1; F <= 35; ++F) {
    G.Step();
    if (F % 5 == 0) Speeds.push_back(R.Speed);
  }
  EXPECT_EQ(Speeds, (std::vector<int32_t>{2, 3, 4, 5, 6, 7, 7}));
  EXPECT_EQ(R.VelX, 7);
  EXPECT_EQ(Fast.Speed, 7) << "one launched above 7 drops to 7 at its first step";
}

TEST(Bullet, TheGroundExplodesBombsAndRocketsAndTheBlastMovesWithIt) {
  TTestGame G;
  auto* Ground = new TScrollBackground(G, 2, "Hills1", 2, 1);
  Ground->SpeedX = -4;
  G.State.HillLayers[1] = Ground;
  TBullet& Bomb = Shoot(G, 200, 570, 0, 0, bkBomb, bsEnemy);
  TBullet& Rocket = Shoot(G, 400, 575, 8, 64, bkRocket, bsEnemy);
  G.Step(10);
  for (TBullet* B : {&Bomb, &Rocket}) {
    EXPECT_TRUE(B->Exploding);
    EXPECT_EQ(B->Image(), &G.List2.Items().Find("Explosion"));
  }
  EXPECT_EQ(G.CueCount("Explosion2"), 2);
  EXPECT_EQ(Bomb.Y, 600 - Bomb.Height) << "the blast stands on the bottom edge";
  EXPECT_EQ(Bomb.X, 200) << "a bomb's blast stays";
  const double X0 = Rocket.X;
  G.Step();
  EXPECT_EQ(Rocket.X, X0 - 4) << "a rocket's blast goes with the ground";
}

TEST(Bullet, ARocketBlastHoversOnItsFourthFrameThenPlaysOutAndHides) {
  TTestGame G;
  TBullet& R = Shoot(G, 400, 200, 0, 0, bkRocket, bsPlayer);
  R.Explode();
  int32_t Frames = 0;
  int32_t Held = 0;
  double Lowest = R.Y;
  while (R.Visible && Frames < 400) {
    G.Step();
    ++Frames;
    if (R.FramePos == 3) ++Held;
    Lowest = std::min(Lowest, R.Y);
  }
  EXPECT_FALSE(R.Visible);
  // About 30 frames to reach frame 3, 700 ms (64 frames) held, then the rest of the frames.
  EXPECT_GE(Held, 60);
  EXPECT_LE(Held, 70);
  EXPECT_LT(Lowest, 200 - 25) << "it rose while it hovered";
  // Culled once invisible.
  CullSprites(G);
  EXPECT_EQ(G.State.BulletUsed[R.Slot], false);
}

TEST(Bullet, OpposingBulletsDestroyEachOther) {
  TTestGame G;
  TBullet& Mine = Shoot(G, 300, 300, 10, 0, bkGunBullet, bsPlayer);
  TBullet& Theirs = Shoot(G, 305, 300, 0, 0, bkRocket, bsEnemy);
  TBullet& Friend = Shoot(G, 310, 300, 0, 0, bkGunBullet, bsPlayer);
  G.Step();
  EXPECT_TRUE(Mine.Exploding);
  EXPECT_FALSE(Mine.Visible) << "a gun bullet just vanishes";
  EXPECT_TRUE(Theirs.Exploding);
  EXPECT_FALSE(Friend.Exploding) << "bullets of one side pass each other";
}

TEST(Bullet, NothingIsHitBeyondX815) {
  TTestGame G;
  TBullet& Mine = Shoot(G, 820, 300, 0, 0, bkGunBullet, bsPlayer);
  TBullet& Theirs = Shoot(G, 821, 300, 0, 0, bkGunBullet, bsEnemy);
  G.Step();
  EXPECT_FALSE(Mine.Exploding);
  EXPECT_FALSE(Theirs.Exploding);
}

TEST(Bullet, AnEnemyMegaBombOnTheDuckIsReleasedAtOnce) {
  TDuckGame D;
  D.Alive();
  D.P.Energy = 20;
  TBullet& Mega = Shoot(D.G, Trunc(D.P.X + 30), Trunc(D.P.Y + 30), 0, 0, bkMegaBomb, bsEnemy);
  const int32_t Slot = Mega.Slot;
  D.Step();
  EXPECT_FALSE(D.G.State.BulletUsed[static_cast<size_t>(Slot)]);
  EXPECT_EQ(D.P.Energy, 10);
  EXPECT_EQ(D.G.CueCount("Explosion2"), 0);
}

TEST(Bullet, ABombHurtsTheDuckFallingAndItsBlastHurtsItOnce) {
  TDuckGame D;
  D.Alive();
  D.P.Energy = 2;
  // A falling bomb explodes on the duck: one hit, and its blast does not hit again.
  TBullet& Bomb = Shoot(D.G, Trunc(D.P.X + 40), Trunc(D.P.Y + 30), 0, 0, bkBomb, bsEnemy);
  D.Step(5);
  EXPECT_TRUE(Bomb.Exploding);
  EXPECT_EQ(D.P.Energy, 1);
  EXPECT_EQ(D.P.State, psAlive);
  // A blast lying on the duck kills it, once, however long it lies there.
  TBullet& Blast = Shoot(D.G, Trunc(D.P.X + 20), Trunc(D.P.Y + 10), 0, 0, bkBomb, bsEnemy);
  Blast.Explode();
  D.Step();
  EXPECT_TRUE(Blast.HitDone);
  EXPECT_EQ(D.P.State, psDying);
  EXPECT_EQ(D.G.State.Lives, 2);
  D.P.X = Blast.X - 20;  // back on the blast, alive again
  D.P.Y = Blast.Y - 10;
  D.P.Respawn();
  D.P.BecomeAlive();
  D.Step(3);
  EXPECT_EQ(D.P.State, psAlive);
  EXPECT_EQ(D.G.State.Lives, 2);
}

TEST(Bullet, ThePlayersMegaBombGoesOff300PixelsAheadOfTheBombBay) {
  TDuckGame D;
  D.Alive();
  D.P.TakeSlot(5);
  D.P.FireHeld = true;
  D.Step();
  D.P.FireHeld = false;
  TBullet& Mega = D.Bullet(1);
  ASSERT_EQ(Mega.Kind, bkMegaBomb);
  const double Bay = D.P.X + 43;
  // 6 pixels a frame: 306 ahead after 51 moves, and the next move sets it off.
  D.Step(51);
  EXPECT_FALSE(Mega.Exploding);
  EXPECT_EQ(Mega.X - Bay, 306);
  D.Step();
  EXPECT_TRUE(Mega.Exploding);
  EXPECT_EQ(Mega.Z(), 12);
  EXPECT_EQ(Mega.X - Bay, 306 - 8);
  EXPECT_EQ(D.G.CueCount("Explosion2"), 1);
}

TEST(Bullet, TheDuckLosingALifeTakesItsMegaBombsWithIt) {
  TDuckGame D;
  D.Alive();
  Shoot(D.G, 300, 100, 6, 0, bkMegaBomb, bsPlayer);
  Shoot(D.G, 300, 300, 6, 0, bkMegaBomb, bsEnemy);
  Shoot(D.G, 300, 400, 10, 0, bkGunBullet, bsPlayer);
  D.P.Explode();
  EXPECT_FALSE(D.G.State.BulletUsed[1]);
  EXPECT_TRUE(D.G.State.BulletUsed[2]);
  EXPECT_TRUE(D.G.State.BulletUsed[3]);
}

TEST(Bullet, DiagonalTurnsThePicture32UnitsPastTheFlight) {
  TTestGame G;
  Shoot(G, 300, 200, 0, -96, bkGunBullet, bsEnemy, true);
  const auto Diagonal = Drawn(G);
  // Through the table, as the game frees a bullet: its slot is cleared with it.
  ReleaseAllBullets(G);
  G.Sprites.FreeDead();
  Shoot(G, 300, 200, 0, -64, bkGunBullet, bsEnemy, false);
  EXPECT_TRUE(Drawn(G) == Diagonal);
  // And a turned picture differs from the plain one.
  ReleaseAllBullets(G);
  G.Sprites.FreeDead();
  const auto Black = Drawn(G);
  Shoot(G, 300, 200, 0, 0, bkGunBullet, bsEnemy, false);
  const auto Plain = Drawn(G);
  EXPECT_FALSE(Plain == Diagonal);
  EXPECT_FALSE(Plain == Black);
}

TEST(Bullet, AFlyingMegaBombDrawsItsFlameBehindIt) {
  TTestGame G;
  TBullet& Mega = Shoot(G, 400, 300, 0, 0, bkMegaBomb, bsPlayer);
  const auto WithFlame = Drawn(G);
  // Left of the bomb, where only the flame can be.
  bool Lit = false;
  for (int32_t Y = 303; Y < 303 + 16; ++Y)
    for (int32_t X = 355; X < 400; ++X) Lit |= WithFlame[static_cast<size_t>(Y) * 800 + X] != 0;
  EXPECT_TRUE(Lit);
  Mega.Explode();
  Mega.Visible = false;
  const auto After = Drawn(G);
  bool Any = false;
  for (const uint32_t Px : After) Any |= Px != 0;
  EXPECT_FALSE(Any);
}

// ---- Bullets on monsters and hunters ------------------------------------------------------

namespace {

TMonster& NewMonster(TTestGame& G, uint8_t Kind, double X, double Y) {
  AddMonster(G, 900, 6, Kind);
  for (int32_t I = KMonsterSlots; I >= 1; --I) {
    const size_t S = static_cast<size_t>(I);
    if (G.State.MonsterUsed[S]) {
      G.State.Monsters[S]->X = X;
      G.State.Monsters[S]->Y = Y;
      return *G.State.Monsters[S];
    }
  }
  throw std::runtime_error("no monster");
}

TGroundGun& NewHunter(TTestGame& G, uint8_t Kind, double X) {
  AddHunter(G, 900, KHunterStartY[Kind], 6, Kind);
  for (int32_t I = KHunterSlots; I >= 1; --I) {
    const size_t S = static_cast<size_t>(I);
    if (G.State.HunterUsed[S]) {
      G.State.Hunters[S]->X = X;
      return *G.State.Hunters[S];
    }
  }
  throw std::runtime_error("no hunter");
}

}  // namespace

TEST(Bullet, AGunBulletOverlappingTwoMonstersHitsBothAndVanishes) {
  TTestGame G;
  G.State.MonstersLeft = 10;
  TMonster& A = NewMonster(G, mkDog, 400, 200);
  TMonster& B = NewMonster(G, mkDog, 410, 210);
  TBullet& Shot = Shoot(G, 450, 260, 0, 0, bkGunBullet, bsPlayer);
  const int32_t Slot = Shot.Slot;
  G.Step();
  EXPECT_EQ(A.Energy, 9);
  EXPECT_EQ(B.Energy, 9);
  EXPECT_FALSE(G.State.BulletUsed[static_cast<size_t>(Slot)]);
  EXPECT_EQ(G.CueCount("Explosion2"), 0) << "no explosion of its own";
}

TEST(Bullet, ADogTakingFourRocketsScoresAndCountsOnce) {
  TTestGame G;
  G.State.MonstersLeft = 10;
  TMonster& Dog = NewMonster(G, mkDog, 400, 200);
  const int32_t Energies[] = {7, 4, 1, -2};
  for (const int32_t E : Energies) {
    Shoot(G, Trunc(Dog.X + 40), Trunc(Dog.Y + 60), 0, 0, bkRocket, bsPlayer);
    G.Step();
    EXPECT_EQ(Dog.Energy, E);
  }
  EXPECT_TRUE(Dog.Dying);
  EXPECT_EQ(G.State.Score, 50);
  EXPECT_EQ(G.State.MonstersLeft, 9);
  // A dying dog is not hit: the rocket flies through.
  TBullet& Late = Shoot(G, Trunc(Dog.X + 40), Trunc(Dog.Y + 60), 0, 0, bkRocket, bsPlayer);
  G.Step();
  EXPECT_TRUE(G.State.BulletUsed[static_cast<size_t>(Late.Slot)]);
  EXPECT_EQ(G.State.Score, 50);
}

TEST(Bullet, AShotOnAHunterExplodesBetweenTheCentresAndFollowsItsFall) {
  TTestGame G;
  TGroundGun& Hunter = NewHunter(G, hkHunter2, 500);
  TBullet& Shot = Shoot(G, 540, 440, 0, 0, bkRocket, bsPlayer);
  // Half way between the two centres, placed with the rocket's own size.
  const double Mx = (Shot.X + Shot.Width / 2.0 + Hunter.X + Hunter.Width / 2.0) / 2;
  const double My = (Shot.Y + Shot.Height / 2.0 + Hunter.Y + Hunter.Height / 2.0) / 2;
  const int32_t ExpectDX = Trunc(Mx - Hunter.X - Shot.Width / 2.0);
  const int32_t ExpectDY = Trunc(My - Hunter.Y - Shot.Height / 2.0);
  G.Step();
  ASSERT_EQ(Shot.StuckTo, Hunter.Slot);
  EXPECT_TRUE(Shot.Exploding);
  EXPECT_EQ(Hunter.Energy, 6);
  EXPECT_EQ(Shot.StuckDX, ExpectDX);
  EXPECT_EQ(Shot.StuckDY, ExpectDY);
  // It follows the hunter, also once the hunter falls (and shifts to its fall picture).
  Hunter.Damage(10);
  ASSERT_TRUE(Hunter.Dying);
  G.Step();
  EXPECT_EQ(Shot.X, Hunter.X + ExpectDX);
  EXPECT_EQ(Shot.Y, Hunter.Y + ExpectDY);
  EXPECT_FALSE(Shot.CanCollide) << "it hits nothing more";
}

TEST(Bullet, AnExplosionNeverFollowsAHunterWhoseSlotWasReleased) {
  TTestGame G;
  TGroundGun& Hunter = NewHunter(G, hkHunter1, 500);
  const int32_t Slot = Hunter.Slot;
  TBullet& Shot = Shoot(G, 540, 440, 0, 0, bkRocket, bsPlayer);
  G.Step();
  ASSERT_EQ(Shot.StuckTo, Slot);
  ReleaseHunter(G, Slot);
  G.Sprites.FreeDead();  // the hunter's sprite is gone
  EXPECT_EQ(Shot.StuckTo, 0);
  // A newcomer takes the slot; the explosion stays with the ground, not with it.
  TGroundGun& Newcomer = NewHunter(G, hkHunter1, 100);
  ASSERT_EQ(Newcomer.Slot, Slot);
  const double X0 = Shot.X;
  G.Step();
  EXPECT_EQ(Shot.StuckTo, 0);
  EXPECT_LT(std::abs(Shot.X - X0), 2);
}

TEST(Bullet, AMegaBombBlastHitsEveryHunterAndMonsterOnce) {
  TDuckGame D;
  D.Alive();
  D.G.State.MonstersLeft = 10;
  TMonster& Plane = NewMonster(D.G, mkAirplane, 600, 100);
  TMonster& Dog = NewMonster(D.G, mkDog, 650, 300);
  Dog.Energy = 15;
  TGroundGun& Hunter = NewHunter(D.G, hkHunter3, 700);
  D.P.MegaBlast();
  EXPECT_TRUE(Plane.Dying);
  EXPECT_EQ(Dog.Energy, 5);
  EXPECT_FALSE(Dog.Dying);
  EXPECT_TRUE(Hunter.Dying);
  EXPECT_EQ(D.G.State.Score, 10 + 45);
  EXPECT_EQ(D.G.State.MonstersLeft, 9);
  // A second blast skips what already falls: the hunter scores once.
  D.P.MegaBlast();
  EXPECT_EQ(D.G.State.Score, 10 + 45 + 50);
}

TEST(Bullet, AMegaBombStrikingAMonsterKillsItWithoutPointsAndBlasts) {
  TDuckGame D;
  D.Alive();
  D.G.State.MonstersLeft = 10;
  TMonster& Target = NewMonster(D.G, mkHelicopter, 300, 200);
  TMonster& Other = NewMonster(D.G, mkAirplane, 600, 60);
  Shoot(D.G, Trunc(Target.X + 20), Trunc(Target.Y + 20), 0, 0, bkMegaBomb, bsPlayer);
  D.Step();
  EXPECT_TRUE(Target.Dying);
  EXPECT_TRUE(Other.Dying) << "the blast reaches the rest";
  EXPECT_EQ(D.G.State.Score, 10) << "only the airplane, killed by the blast, scores";
  EXPECT_EQ(D.G.State.MonstersLeft, 9);
}

TEST(Bullet, ThePlayersShotsPushBonuses) {
  TTestGame G;
  AddBonus(G, 400, 300, 9, 2);
  TBonus& Bonus = *G.State.Bonuses[1];
  Shoot(G, 410, 310, 0, 0, bkGunBullet, bsEnemy);
  G.Step();
  EXPECT_EQ(Bonus.PushSpeed, 0) << "enemy shots do not push";
  ReleaseAllBullets(G);
  G.Sprites.FreeDead();
  Shoot(G, 410, 310, 0, 0, bkGunBullet, bsPlayer);
  G.Step();
  EXPECT_EQ(Bonus.PushSpeed, 6);
}
