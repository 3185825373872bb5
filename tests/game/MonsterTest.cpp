// The flying enemies: their kinds, damage and single scoring, the bird's wave, the dog's
// bombs and the helicopter's rockets, the overlays, and when they may fire.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "TestGame.h"
#include "engine/DXImageList.h"
#include "game/Bullet.h"
#include "game/Monster.h"
#include "game/ObjectTables.h"
#include "game/Player.h"

namespace {

// A monster in table slot 1, as AddMonster makes it: at X 900, Z 6.
TMonster& NewMonster(TTestGame& G, uint8_t Kind, int32_t Slot = 1) {
  auto* M = new TMonster(G, Slot, 900, 6, Kind);
  G.State.Monsters[static_cast<size_t>(Slot)] = M;
  G.State.MonsterUsed[static_cast<size_t>(Slot)] = true;
  return *M;
}

std::vector<TBullet*> LiveBullets(TTestGame& G) {
  std::vector<TBullet*> Out;
  for (int32_t I = 1; I <= KBulletSlots; ++I)
    if (G.State.BulletUsed[static_cast<size_t>(I)])
      Out.push_back(G.State.Bullets[static_cast<size_t>(I)]);
  return Out;
}

std::vector<uint32_t> Snapshot(const TDirectDrawSurface& S) {
  return {S.Pixels(), S.Pixels() + static_cast<size_t>(S.Width()) * S.Height()};
}

}  // namespace

TEST(Monster, EachKindStartsFromItsRowAndItsRandomHeight) {
  struct TCase {
    uint8_t Kind;
    const char* Image;
    int32_t Energy, SpeedX, LowY, HighY, AnimRate, LowShots, HighShots;
  } Cases[] = {
      {mkAirplane, "MAirplane", 2, -5, 46, 399, 0, 0, 0},
      {mkBird, "MBird", 4, -2, 150, 449, 3, 0, 0},
      {mkDog, "MDog", 10, -1, 46, 245, 3, 5, 5},
      {mkHelicopter, "MHelicopter", 10, -3, 70, 399, 0, 1, 5},
  };
  for (const TCase& C : Cases) {
    TTestGame G(7);
    TRandom Replay(7);
    TMonster& M = NewMonster(G, C.Kind);
    const int32_t ExpectedY = C.LowY + Replay.Below(C.HighY - C.LowY + 1);
    EXPECT_EQ(M.Image(), &G.List2.Items().Find(C.Image)) << C.Image;
    EXPECT_EQ(M.X, 900);
    EXPECT_EQ(M.Y, ExpectedY) << C.Image << ": the start height is the first draw";
    EXPECT_EQ(M.Z(), 6);
    EXPECT_EQ(M.Energy, C.Energy);
    EXPECT_EQ(M.MaxEnergy, C.Energy);
    EXPECT_EQ(M.SpeedX, C.SpeedX);
    EXPECT_EQ(M.AnimRate, C.AnimRate);
    EXPECT_GE(M.ShotsLeft, C.LowShots);
    EXPECT_LE(M.ShotsLeft, C.HighShots);
    EXPECT_FALSE(M.PixelExact);
    EXPECT_FALSE(M.Dying);
  }
}

TEST(Monster, TheHelicoptersShotsAndTheBirdsPhaseAreTheSecondDraw) {
  TTestGame G(11);
  TRandom Replay(11);
  TMonster& Heli = NewMonster(G, mkHelicopter, 1);
  const int32_t HeliY = Replay.Below(330);
  const int32_t HeliShots = Replay.Below(5);
  TMonster& Bird = NewMonster(G, mkBird, 2);
  const int32_t BirdY = Replay.Below(300);
  const int32_t BirdPhase = Replay.Below(800);
  EXPECT_EQ(Heli.Y, 70 + HeliY);
  EXPECT_EQ(Heli.ShotsLeft, 1 + HeliShots);
  EXPECT_EQ(Bird.Y, 150 + BirdY);
  EXPECT_EQ(Bird.Phase, BirdPhase);
}

// Bullets of damage 3 on a dog of 10 hit points: the kill scores 50 and one kill, once.
TEST(Monster, TheFourthHitKillsTheDogAndScoresOnce) {
  TTestGame G;
  G.State.MonstersLeft = 10;
  TMonster& Dog = NewMonster(G, mkDog);
  const int32_t EnergyAfter[] = {7, 4, 1, -2};
  for (const int32_t E : EnergyAfter) {
    Dog.Damage(3);
    EXPECT_EQ(Dog.Energy, E);
  }
  EXPECT_TRUE(Dog.Dying);
  EXPECT_EQ(G.State.Score, 50);
  EXPECT_EQ(G.State.MonstersLeft, 9);
  EXPECT_EQ(G.CueCount("DogKill"), 1);
  // Later hits on the falling dog count nothing.
  Dog.Damage(3);
  Dog.Damage(10);
  Dog.Die();
  EXPECT_EQ(G.State.Score, 50);
  EXPECT_EQ(G.State.MonstersLeft, 9);
  EXPECT_EQ(G.CueCount("DogKill"), 1);
}

TEST(Monster, EveryKindDiesItsOwnWayAndScoresFiveTimesItsHitPoints) {
  struct TCase {
    uint8_t Kind;
    int32_t Score;
    const char* Cue;
    const char* Image;
    double Drop;      // the picture moves down by this much when the fall starts
    bool HidesAtEnd;  // an explosion played once
  } Cases[] = {
      {mkAirplane, 10, "Explosion2", "Explosion", 0, true},
      {mkBird, 20, "BirdKill", "MBirdFall", 50, false},
      {mkDog, 50, "DogKill", "MDogFall", 0, false},
      {mkHelicopter, 50, "Explosion2", "Explosion", 0, true},
  };
  for (const TCase& C : Cases) {
    TTestGame G;
    TMonster& M = NewMonster(G, C.Kind);
    const double Y = M.Y;
    M.Damage(M.Energy);
    EXPECT_EQ(G.State.Score, C.Score) << C.Image;
    EXPECT_EQ(G.State.MonstersLeft, -1);
    EXPECT_EQ(G.CueCount(C.Cue), 1) << C.Image;
    EXPECT_EQ(M.Image(), &G.List2.Items().Find(C.Image));
    EXPECT_EQ(M.Y, Y + C.Drop);
    EXPECT_EQ(M.HideAtAnimEnd, C.HidesAtEnd);
  }
}

TEST(Monster, DyingDirectlyScoresNothing) {
  TTestGame G;
  G.State.MonstersLeft = 10;
  TMonster& M = NewMonster(G, mkHelicopter);
  M.Die();
  EXPECT_TRUE(M.Dying);
  M.Damage(100);
  EXPECT_EQ(G.State.Score, 0);
  EXPECT_EQ(G.State.MonstersLeft, 10);
  EXPECT_EQ(G.CueCount("Explosion2"), 1);
}

TEST(Monster, TheBirdRidesItsWaveFromTheFirstMove) {
  TTestGame G;
  TMonster& Bird = NewMonster(G, mkBird);
  for (int32_t Frame = 1; Frame <= 300; ++Frame) {
    G.Step();
    const double X = 900 - 2.0 * Frame;
    ASSERT_DOUBLE_EQ(Bird.X, X);
    ASSERT_DOUBLE_EQ(Bird.Y, std::sin((Bird.Phase + X) / 150) * 150 + 300) << "frame " << Frame;
  }
  // Shot down, it drops 50 and falls 2 a frame while drifting left.
  Bird.Die();
  const double Y = Bird.Y;
  EXPECT_NEAR(Y, std::sin((Bird.Phase + Bird.X) / 150) * 150 + 350, 1e-9);
  G.Step(10);
  EXPECT_DOUBLE_EQ(Bird.Y, Y + 20);
  EXPECT_DOUBLE_EQ(Bird.X, 900 - 2.0 * 310);
}

TEST(Monster, TheBirdEatsUntilItsThirdFrameThenFliesOn) {
  TTestGame G;
  TMonster& Bird = NewMonster(G, mkBird);
  G.Step();
  Bird.StartEating();
  EXPECT_TRUE(Bird.Eating);
  EXPECT_EQ(Bird.Image(), &G.List2.Items().Find("MBirdEat"));
  // The first move still runs at the flying rate (0.03 of a frame), then 0.06 a move: frame 2
  // comes in the 34th move.
  int32_t Moves = 0;
  while (Bird.Eating && Moves < 100) {
    G.Step();
    ++Moves;
  }
  EXPECT_EQ(Moves, 34);
  EXPECT_EQ(Bird.Image(), &G.List2.Items().Find("MBird"));
  EXPECT_EQ(Bird.FramePos, 0);
  EXPECT_EQ(Bird.AnimRate, 3);
  // Only the bird eats.
  TMonster& Dog = NewMonster(G, mkDog, 2);
  Dog.StartEating();
  EXPECT_FALSE(Dog.Eating);
  EXPECT_EQ(Dog.Image(), &G.List2.Items().Find("MDog"));
}

TEST(Monster, PropellerAndRotorTurnInFrameTime) {
  struct TCase {
    uint8_t Kind;
    double Step;  // per frame at 11 ms
    double Last;  // the loop restarts after passing it
  } Cases[] = {{mkAirplane, 0.176, 3}, {mkHelicopter, 0.132, 2}};
  for (const TCase& C : Cases) {
    TTestGame G;
    TMonster& M = NewMonster(G, C.Kind);
    double Expected = 0;
    for (int32_t Frame = 0; Frame < 60; ++Frame) {
      G.Step();
      Expected += C.Step;
      if (Expected > C.Last) Expected = 0;
      ASSERT_NEAR(M.RotorPos, Expected, 1e-9) << "frame " << Frame;
    }
  }
}

// The dog's five bombs and the helicopter's rockets: never while the monster is still off
// the screen (X 815 or more), one chance in 100 a frame afterwards, and never once the
// shots are used up. The chance is drawn only when the monster could fire.
TEST(Monster, FiresOnlyOnScreenAndOnlyItsShots) {
  for (const uint8_t Kind : {mkDog, mkHelicopter}) {
    TTestGame G(3);
    TMonster& M = NewMonster(G, Kind);
    TRandom Replay(3);
    Replay.Below(Kind == mkDog ? 200 : 330);
    if (Kind == mkHelicopter) Replay.Below(5);
    M.ShotsLeft = 5;
    M.X = 815;
    M.SpeedX = 0;
    G.Step(500);
    EXPECT_TRUE(LiveBullets(G).empty());
    EXPECT_EQ(G.Rand.Below(1 << 30), Replay.Below(1 << 30)) << "no chance drawn off screen";

    M.X = 814.5;
    int32_t Frames = 0;
    while (M.ShotsLeft > 0 && Frames < 20000) {
      G.Step();
      ++Frames;
      for (TBullet* B : LiveBullets(G)) ReleaseBullet(G, B->Slot);
    }
    EXPECT_EQ(M.ShotsLeft, 0);
    const TRandom Before = G.Rand;
    G.Step(1000);
    EXPECT_TRUE(LiveBullets(G).empty());
    TRandom After = G.Rand;
    TRandom Untouched = Before;
    EXPECT_EQ(After.Below(1 << 30), Untouched.Below(1 << 30)) << "no chance drawn without shots";
  }
}

TEST(Monster, ShotsLeaveFromTheBombBayAndTheNose) {
  struct TCase {
    uint8_t Kind;
    int32_t Dx, Dy, Speed, Angle;
    uint8_t BulletKind;
    int32_t Cooldown;
  } Cases[] = {
      {mkDog, 7, 130, 0, 0, bkBomb, 1500},
      {mkHelicopter, -24, 43, 8, -128, bkRocket, 1000},
  };
  for (const TCase& C : Cases) {
    TTestGame G;
    TMonster& M = NewMonster(G, C.Kind);
    M.X = 500.7;
    M.Y = 200.6;
    M.Fire();
    const std::vector<TBullet*> Shots = LiveBullets(G);
    ASSERT_EQ(Shots.size(), 1u);
    const TBullet& B = *Shots[0];
    EXPECT_EQ(B.X, 500 + C.Dx);
    EXPECT_EQ(B.Y, 200 + C.Dy);
    EXPECT_EQ(B.Z(), 9);
    EXPECT_EQ(B.Speed, C.Speed);
    EXPECT_EQ(B.Angle, C.Angle);
    EXPECT_EQ(B.Kind, C.BulletKind);
    EXPECT_EQ(B.Side, bsEnemy);
    EXPECT_FALSE(B.Diagonal);
    EXPECT_EQ(M.FireCooldown, C.Cooldown);
    // No sound when a monster fires.
    EXPECT_TRUE(G.Cues.empty());
  }
}

TEST(Monster, OverlayTurnsOverTheBodyUntilTheMonsterDies) {
  struct TCase {
    uint8_t Kind;
    const char* Overlay;
    double Dx, Dy;
  } Cases[] = {{mkAirplane, "MAirplaneAnim", -6, 10}, {mkHelicopter, "MHelicopterAnim", -15, -16}};
  for (const TCase& C : Cases) {
    TTestGame G;
    TMonster& M = NewMonster(G, C.Kind);
    M.X = 300.4;
    M.Y = 200.5;
    M.RotorPos = 1.7;
    TDirectDrawSurface& S = G.ClearSurface();
    G.Sprites.Draw();
    const std::vector<uint32_t> Shown = Snapshot(S);

    // The same picture by hand: the body at its rounded place, then pattern 1 of the overlay.
    G.ClearSurface();
    M.Image()->Draw(S, 300, 200, 0);
    G.List2.Items().Find(C.Overlay).Draw(S, RoundEven(300.4 + C.Dx), RoundEven(200.5 + C.Dy), 1);
    EXPECT_EQ(Shown, Snapshot(S)) << C.Overlay;

    M.Die();
    M.Visible = true;
    G.ClearSurface();
    G.Sprites.Draw();
    const std::vector<uint32_t> Dying = Snapshot(S);
    G.ClearSurface();
    M.Image()->Draw(S, M.DrawRect().Left, M.DrawRect().Top, M.FrameIndex());
    EXPECT_EQ(Dying, Snapshot(S)) << C.Overlay << ": no overlay on the explosion";
  }
}

// The bird catches the duck only with its beak: the duck's middle within 30 pixels of the
// bird's Y + 60.5, and the duck's X less than 110 beyond the bird's.
TEST(Monster, TheBirdSwallowsTheDuckOnlyAtItsBeak) {
  struct TCase {
    const char* What;
    double Dx, Dy;  // the duck's place from the bird's
    uint8_t State;
    bool Swallowed;
  } Cases[] = {
      {"at the beak", -100, 15.5, psAlive, true},
      {"just inside the beak's reach", 109.5, 15.5, psAlive, true},
      {"over the bird's back", 110, 15.5, psAlive, false},
      {"just above the beak", -100, -14, psAlive, true},
      {"below the beak", -100, 45.5, psAlive, false},
      {"blinking after a respawn", -100, 15.5, psRespawning, false},
  };
  for (const TCase& C : Cases) {
    TTestGame G;
    TMonster& Bird = NewMonster(G, mkBird);
    Bird.X = 400;
    Bird.Y = 200;
    auto* Duck = new TPlayer(G);
    G.State.Player = Duck;
    Duck->State = C.State;
    Duck->X = 400 + C.Dx;
    Duck->Y = 200 + C.Dy;
    Duck->Collide();
    EXPECT_EQ(Duck->State == psDying, C.Swallowed) << C.What;
    EXPECT_EQ(Bird.Eating, C.Swallowed) << C.What;
    EXPECT_EQ(Duck->Visible, !C.Swallowed) << C.What;
    EXPECT_EQ(G.State.Lives, C.Swallowed ? 2 : 3) << C.What;
    EXPECT_EQ(Bird.Image(), &G.List2.Items().Find(C.Swallowed ? "MBirdEat" : "MBird")) << C.What;
  }
}

// Any other monster explodes the duck on contact, wherever it touches.
TEST(Monster, OtherKindsExplodeTheDuckOnContact) {
  for (const uint8_t Kind : {mkAirplane, mkDog, mkHelicopter}) {
    TTestGame G;
    TMonster& M = NewMonster(G, Kind);
    M.X = 400;
    M.Y = 200;
    auto* Duck = new TPlayer(G);
    G.State.Player = Duck;
    Duck->State = psAlive;
    Duck->X = 300;
    Duck->Y = 250;
    Duck->Collide();
    EXPECT_EQ(Duck->State, psDying) << int(Kind);
    EXPECT_FALSE(M.Dying) << "the monster flies on";
  }
}
