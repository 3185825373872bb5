// The duck: steering and the play area, the pointer parked on it, lives and respawning,
// blinking, the assistant, and the hit test of quadrilaterals.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "GameTestHelpers.h"
#include "game/Bonus.h"
#include "game/GroundGun.h"
#include "game/Monster.h"

TEST(Player, CreationAndRespawnSetTheGameUp) {
  TDuckGame D;
  EXPECT_EQ(D.G.State.Lives, 3);
  EXPECT_EQ(D.G.State.Score, 0);
  EXPECT_EQ(D.P.State, psRespawning);
  EXPECT_EQ(D.P.X, 30);
  EXPECT_EQ(D.P.Y, 221);
  EXPECT_EQ(D.P.Z(), 10);
  EXPECT_EQ(D.P.Energy, 1);
  EXPECT_EQ(D.P.FramePos, 1.0);
  EXPECT_TRUE(D.P.Visible);
}

TEST(Player, KeysNeverTakeTheDuckOutOfThePlayArea) {
  struct TCase {
    bool Left, Right, Up, Down;
  };
  for (const TCase C : {TCase{true, false, true, false}, TCase{false, true, false, true}}) {
    TDuckGame D;
    D.Alive();
    D.P.MoveLeft = C.Left;
    D.P.MoveRight = C.Right;
    D.P.MoveUp = C.Up;
    D.P.MoveDown = C.Down;
    for (int32_t I = 0; I < 200; ++I) {
      D.Step();
      ASSERT_GE(D.P.X, -10);
      ASSERT_LE(D.P.X, 815 - D.P.Width);
      ASSERT_GE(D.P.Y, 44);
      ASSERT_LE(D.P.Y, 570 - D.P.Height);
    }
    EXPECT_EQ(D.P.X, C.Left ? -10 : 815 - D.P.Width);
    EXPECT_EQ(D.P.Y, C.Up ? 44 : 570 - D.P.Height);
  }
}

TEST(Player, LeftAndRightTogetherCancel) {
  TDuckGame D;
  D.Alive();
  D.P.MoveLeft = D.P.MoveRight = true;
  D.P.MoveUp = D.P.MoveDown = true;
  D.Step(10);
  EXPECT_EQ(D.P.X, 30);
  EXPECT_EQ(D.P.Y, 221);
}

TEST(Player, ThePointerIsParkedOnTheDuckAndOnlyItsMovementSteers) {
  TDuckGame D;
  D.Alive();
  D.G.P.FakeWindow.OriginX = 100;  // the window's client area on the screen
  D.G.P.FakeWindow.OriginY = 40;
  D.Step();  // measures against (0, 0): limited, then parks the pointer
  const auto& W = D.G.P.FakeWindow;
  ASSERT_FALSE(W.Warps.empty());
  EXPECT_EQ(W.Warps.back().X, std::trunc(100 + D.P.X + D.P.Width / 2.0));
  EXPECT_EQ(W.Warps.back().Y, std::trunc(40 + D.P.Y + D.P.Height / 2.0));
  EXPECT_EQ(D.G.State.LastCursorX, W.CursorX);
  // A pointer that stays put does not move the duck.
  const double X0 = D.P.X, Y0 = D.P.Y;
  D.Step();
  EXPECT_EQ(D.P.X, X0);
  EXPECT_EQ(D.P.Y, Y0);
  // A small move counts in full (divided by 1.5 across, 1.8 down).
  D.G.P.FakeWindow.CursorX += 6;
  D.G.P.FakeWindow.CursorY -= 9;
  D.Step();
  EXPECT_DOUBLE_EQ(D.P.X, X0 + 6 / 1.5);
  EXPECT_DOUBLE_EQ(D.P.Y, Y0 - 9 / 1.8);
}

TEST(Player, AMouseJumpIsLimitedTo20PixelsAFrameTimesTheSpeed) {
  struct TCase {
    double Speed;
    int32_t Jump;
    double Limit;  // round(20 x speed)
  };
  for (const TCase C : {TCase{1.0, 200, 20}, TCase{1.0, -200, -20}, TCase{85.0 / 60, 200, 28},
                        TCase{0.5, -35, -10}}) {
    TDuckGame D;
    D.Alive();
    D.G.Speed = C.Speed;
    D.Step();  // parks the pointer
    const double X0 = D.P.X, Y0 = D.P.Y;
    D.G.P.FakeWindow.CursorX += C.Jump;
    D.G.P.FakeWindow.CursorY += C.Jump;
    D.Step();
    EXPECT_NEAR(D.P.X - X0, C.Limit / 1.5, 1e-9) << C.Speed << " " << C.Jump;
    EXPECT_NEAR(D.P.Y - Y0, C.Limit / 1.8, 1e-9) << C.Speed << " " << C.Jump;
  }
}

TEST(Player, TheMouseDoesNotSteerTheWreck) {
  TDuckGame D;
  D.Alive();
  D.Step();
  D.P.Explode();
  const double X0 = D.P.X;
  const size_t Warps = D.G.P.FakeWindow.Warps.size();
  D.G.P.FakeWindow.CursorX += 15;
  D.Step();
  EXPECT_DOUBLE_EQ(D.P.X, X0 + 6);  // only the drift
  EXPECT_EQ(D.G.P.FakeWindow.Warps.size(), Warps);
}

TEST(Player, RespawningBlinks15TimesAt100MsThenLives) {
  // 11 ms frames: a flip every 10 frames, alive in the 150th.
  TDuckGame D;
  int32_t Flips = 0;
  bool WasVisible = D.P.Visible;
  for (int32_t Frame = 1; Frame < 150; ++Frame) {
    D.Step();
    ASSERT_EQ(D.P.State, psRespawning) << "frame " << Frame;
    Flips += D.P.Visible != WasVisible;
    WasVisible = D.P.Visible;
  }
  EXPECT_EQ(Flips, 14);
  D.Step();
  EXPECT_EQ(D.P.State, psAlive);
  EXPECT_TRUE(D.P.Visible);
}

TEST(Player, DyingLasts1500MsThenRespawnsAtTheStartDrifted) {
  TDuckGame D;
  D.Alive();
  D.P.Explode();
  EXPECT_EQ(D.G.State.Lives, 2);
  EXPECT_EQ(D.G.CueCount("PlayerKill"), 1);
  EXPECT_EQ(D.P.Image(), &D.G.List2.Items().Find("PlayerExplosion"));
  // 1500 ms at 11 ms: 136 frames count down, the 137th runs out.
  D.Step(136);
  EXPECT_EQ(D.P.State, psDying);
  D.Step();
  EXPECT_EQ(D.P.State, psRespawning);
  EXPECT_EQ(D.P.X, 30 + 6);
  EXPECT_EQ(D.P.Y, 221 + 6);
  EXPECT_EQ(D.P.Image(), &D.G.List2.Items().Find("Player"));
}

TEST(Player, TheThirdDeathEndsTheGameAfterTheWreckFalls) {
  TDuckGame D;
  D.G.State.Lives = 1;
  D.Alive();
  D.P.Damage(1);
  EXPECT_EQ(D.G.State.Lives, 0);
  D.Step(137);
  EXPECT_EQ(D.G.GameOverBanners, 1);
  EXPECT_EQ(D.G.CueCount("GameOver"), 1);
  EXPECT_FALSE(D.P.Visible);
  EXPECT_EQ(D.P.State, psRespawning);
}

TEST(Player, LivesStayBetween0And3) {
  TDuckGame D;
  D.P.AddLife();
  EXPECT_EQ(D.G.State.Lives, 3);
  D.G.State.Lives = 0;
  D.Alive();
  D.P.Explode();
  EXPECT_EQ(D.G.State.Lives, 0);
  D.P.AddLife();
  EXPECT_EQ(D.G.State.Lives, 1);
}

TEST(Player, SwallowedHidesTheDuckWhereItWas) {
  TDuckGame D;
  D.Alive();
  D.P.Swallowed();
  EXPECT_EQ(D.P.State, psDying);
  EXPECT_FALSE(D.P.Visible);
  EXPECT_EQ(D.P.X, 30);
  EXPECT_EQ(D.G.State.Lives, 2);
  EXPECT_EQ(D.P.Image(), &D.G.List2.Items().Find("Player"));
}

TEST(Player, EnemyFireDoesNoHarmWhileTheDuckBlinks) {
  TDuckGame D;  // respawning
  AddBullet(D.G, Trunc(D.P.X + 40), Trunc(D.P.Y + 40), 6, 0, 0, bkGunBullet, bsEnemy, false);
  D.Step(5);
  EXPECT_EQ(D.P.State, psRespawning);
  EXPECT_EQ(D.G.State.Lives, 3);
  // Alive, the same shot kills.
  D.P.BecomeAlive();
  D.Step();
  EXPECT_EQ(D.P.State, psDying);
  EXPECT_EQ(D.G.State.Lives, 2);
}

TEST(Player, LevelEndBlinksAndStopsTheWeapons) {
  TDuckGame D;
  D.Alive();
  D.P.TakeSlot(9);  // triple rocket
  D.P.BeginLevelEnd();
  EXPECT_EQ(D.G.CueCount("Reborn"), 1);
  EXPECT_FALSE(D.P.SlotOn[8]);
  D.P.FireHeld = true;
  D.Step(150);
  EXPECT_EQ(D.LiveBullets(), 0) << "no shots while the level ends";
  EXPECT_EQ(D.P.BlinkCount, 15);
  EXPECT_EQ(D.P.State, psAlive);
}

TEST(Player, TheAssistantEasesInAndCannotBeHitWhileItTrails) {
  TDuckGame D;
  D.Alive();
  D.P.X = 300;  // far enough right that its place is on the screen
  D.P.ResetHero();
  EXPECT_EQ(D.P.HeroX, -70);
  EXPECT_EQ(D.P.HeroY, 450);
  // An enemy bullet parked on the assistant's path: it passes unharmed while it flies in.
  int32_t Safe = 0;
  for (int32_t Frame = 0; Frame < 300; ++Frame) {
    if (D.P.HeroTargetX - D.P.HeroX >= 10 || Frame == 0) {
      ++Safe;
      ReleaseAllBullets(D.G);
      AddBullet(D.G, Trunc(D.P.HeroX + 10), Trunc(D.P.HeroY + 10), 6, 0, 0, bkGunBullet, bsEnemy,
                false);
      D.Step();
      ASSERT_FALSE(D.P.HeroExploding) << "hit while trailing, frame " << Frame;
    } else {
      break;
    }
  }
  EXPECT_GT(Safe, 10);
  ReleaseAllBullets(D.G);
  // Its place: about 117 pixels left of the duck's centre and 20 below (top-left corner).
  EXPECT_NEAR(D.P.HeroTargetX - D.P.CenterX, -117.2, 0.1);
  EXPECT_NEAR(D.P.HeroTargetY - D.P.CenterY, 20.3, 0.1);
  D.Step(100);
  EXPECT_NEAR(D.P.HeroX, D.P.HeroTargetX, 1);
  EXPECT_NEAR(D.P.HeroY, D.P.HeroTargetY, 1);
  ReleaseAllBullets(D.G);
  AddBullet(D.G, Trunc(D.P.HeroX + 10), Trunc(D.P.HeroY + 10), 6, 0, 0, bkGunBullet, bsEnemy,
            false);
  const int32_t Slot = 1;
  ASSERT_TRUE(D.G.State.BulletUsed[Slot]);
  D.Step();
  EXPECT_TRUE(D.P.HeroExploding);
  EXPECT_TRUE(D.P.HeroLost);
  EXPECT_FALSE(D.G.State.BulletUsed[Slot]) << "the shot that hit it is gone";
  EXPECT_EQ(D.G.CueCount("HeroKill"), 1);
  // The explosion plays out (4 frames a second over three frames) and the slot is lost.
  D.Step(100);
  EXPECT_FALSE(D.P.SlotOn[4]);
  EXPECT_EQ(D.P.State, psAlive) << "the duck itself was not hurt";
}

TEST(Player, TheAssistantFiresAtRandomWhenItsDelayHasRunOut) {
  TDuckGame D(7);
  D.Alive();
  D.P.ResetHero();
  D.Step(19);  // 200 ms of delay at 11 ms: no draw, no shot yet
  EXPECT_EQ(D.G.CueCount("Laser"), 0);
  int32_t Shots = 0;
  for (int32_t I = 0; I < 2400; ++I) {
    const int32_t Before = D.G.CueCount("Laser");
    D.Step();
    if (D.G.CueCount("Laser") > Before) {
      ++Shots;
      EXPECT_EQ(D.P.HeroFireDelay, 200);
    }
  }
  // One chance in 24 per frame once the delay allows: a shot every ~0.5 s on average.
  EXPECT_GT(Shots, 40);
  EXPECT_LT(Shots, 120);
}

TEST(PointInQuad, InsideOutsideEdgesAndCorners) {
  const TQuad Box = BoxQuad(0, 0, 40, 20);
  struct TCase {
    double X, Y;
    bool Inside;
  };
  const TCase Cases[] = {
      {20, 10, true},  {1, 1, true},     {39, 19, true}, {-5, -5, false},
      {60, 10, false}, {20, 30, false},  {20, 0, true},  {0, 10, true},  // on edges
      {0, 0, true},    {40, 20, true},   {40, 0, true},  {0, 20, true},  // on corners
      {-2, 10, true},  {42, 10, true},  // a little beyond mid-height still counts
      {-4, 10, false}, {-30, 10, false},
  };
  for (const TCase& C : Cases) {
    EXPECT_EQ(PointInQuad({C.X, C.Y}, Box[0], Box[1], Box[2], Box[3]), C.Inside)
        << C.X << ", " << C.Y;
  }
}

TEST(PointInQuad, BoxesSharingACornerOverlapWithoutAnyNaN) {
  // Before the corner rule, a point on a corner gave 0 / 0 and a NaN sum.
  const TQuad A = BoxQuad(0, 0, 10, 10);
  const TQuad B = BoxQuad(10, 10, 30, 30);
  EXPECT_TRUE(QuadsOverlap(A, B));
  EXPECT_TRUE(QuadsOverlap(A, A));
  EXPECT_FALSE(QuadsOverlap(A, BoxQuad(50, 50, 60, 60)));
  // A quad shrunk to one point lying on another's corner.
  const TPointD P{10, 10};
  EXPECT_TRUE(PointInQuad(P, P, P, P, P));
}

// ---- Contacts -----------------------------------------------------------------------------

TEST(Player, FlyingIntoAHunterCostsALifeAndFellsItWithoutPoints) {
  TDuckGame D;
  D.Alive();
  AddHunter(D.G, Trunc(D.P.X + 20), Trunc(D.P.Y + 20), 6, hkHunter2);
  D.Step();
  EXPECT_EQ(D.P.State, psDying);
  EXPECT_EQ(D.G.State.Lives, 2);
  EXPECT_TRUE(D.G.State.Hunters[1]->Dying);
  EXPECT_EQ(D.G.State.Score, 0);
}

TEST(Player, ABirdSwallowsTheDuckOnlyWithItsBeak) {
  struct TCase {
    double Dx;  // duck X - bird X
    bool Eaten;
  };
  for (const TCase C : {TCase{20, true}, TCase{109, true}, TCase{112, false}}) {
    TDuckGame D;
    D.Alive();
    AddMonster(D.G, 900, 6, mkBird);
    TMonster& Bird = *D.G.State.Monsters[1];
    Bird.X = 300;
    D.Step();  // the bird takes its place on its wave
    D.P.X = Bird.X + C.Dx;
    D.P.Y = Bird.Y + 60.5 - D.P.Height / 2.0;
    D.G.State.LastCursorX = D.G.P.FakeWindow.CursorX;  // the pointer does not steer
    D.G.State.LastCursorY = D.G.P.FakeWindow.CursorY;
    D.Step();
    EXPECT_EQ(D.P.State == psDying, C.Eaten) << C.Dx;
    EXPECT_EQ(Bird.Eating, C.Eaten) << C.Dx;
    EXPECT_EQ(D.P.Visible, !C.Eaten) << C.Dx;
  }
}

TEST(Player, BonusesAreTakenAliveOrBlinkingButNotDying) {
  struct TCase {
    uint8_t Kind;
    uint8_t State;
    bool Taken;
  };
  const TCase Cases[] = {{1, psAlive, true}, {1, psRespawning, true}, {1, psDying, false}};
  for (const TCase& C : Cases) {
    TDuckGame D;
    D.P.State = C.State;
    AddBonus(D.G, Trunc(D.P.X + 30), Trunc(D.P.Y + 20), 9, C.Kind);
    D.Step();
    EXPECT_EQ(D.G.State.Bonuses[1]->Taken, C.Taken) << int(C.State);
    EXPECT_EQ(D.G.State.Score, C.Taken ? 100 : 0);
    EXPECT_EQ(D.G.CueCount("Bonus"), C.Taken ? 1 : 0);
  }
}

TEST(Player, EachBonusKindHasItsEffect) {
  TDuckGame D;
  D.Alive();
  D.G.State.Lives = 2;
  D.P.TakeSlot(9);
  struct TCase {
    uint8_t Kind;
    int32_t Slot;  // then held, 0 = none
  };
  const TCase Cases[] = {{0, 1}, {2, 3}, {5, 9}, {7, 6}, {8, 7}, {9, 8}, {3, 4}};
  for (const TCase& C : Cases) {
    ReleaseAllBonuses(D.G);
    AddBonus(D.G, Trunc(D.P.X + 30), Trunc(D.P.Y + 20), 9, C.Kind);
    D.Step();
    EXPECT_TRUE(D.P.SlotOn[static_cast<size_t>(C.Slot)]) << int(C.Kind);
  }
  EXPECT_TRUE(D.P.SlotOn[8]) << "the assistant keeps the triple rocket";
  ReleaseAllBonuses(D.G);
  AddBonus(D.G, Trunc(D.P.X + 30), Trunc(D.P.Y + 20), 9, 6);
  D.Step();
  EXPECT_EQ(D.G.State.Lives, 3);
  ReleaseAllBonuses(D.G);
  AddBonus(D.G, Trunc(D.P.X + 30), Trunc(D.P.Y + 20), 9, 6);
  D.Step();
  EXPECT_EQ(D.G.State.Lives, 3);
  EXPECT_TRUE(D.G.State.Bonuses[1]->Taken);
}

TEST(Player, TheAssistantRamsAMonsterOnceItHasCaughtUp) {
  TDuckGame D;
  D.Alive();
  D.P.X = 300;
  D.P.ResetHero();
  D.Step(150);
  ReleaseAllBullets(D.G);
  ASSERT_LT(D.P.HeroTargetX - D.P.HeroX, 10);
  AddMonster(D.G, 900, 6, mkDog);
  // Over the assistant's left half, clear of the duck.
  D.G.State.Monsters[1]->X = D.P.HeroX - 60;
  D.G.State.Monsters[1]->Y = D.P.HeroY - 20;
  D.Step();
  EXPECT_TRUE(D.P.HeroExploding);
  EXPECT_FALSE(D.G.State.MonsterUsed[1]);
  EXPECT_EQ(D.G.State.Score, 0);
}

// What the assistant released is gone for the rest of the frame too, though its sprite is
// freed only at the frame's end: the shots that move after the duck do not find it.
TEST(Player, WhatTheAssistantReleasedIsNotHitAgainInTheSameFrame) {
  const auto CaughtUp = [](TDuckGame& D) {
    D.Alive();
    D.P.X = 300;
    D.P.ResetHero();
    D.Step(150);
    ReleaseAllBullets(D.G);
    ASSERT_LT(D.P.HeroTargetX - D.P.HeroX, 10);
  };
  {
    // A monster the assistant rams, with one of the duck's shots standing in it: the ram
    // gives no points and does not count, and the shot does not kill it a second time.
    TDuckGame D;
    CaughtUp(D);
    AddMonster(D.G, 900, 6, mkDog);
    TMonster& Dog = *D.G.State.Monsters[1];
    Dog.X = D.P.HeroX - 60;
    Dog.Y = D.P.HeroY - 20;
    Dog.Energy = 1;
    const int32_t Left = D.G.State.MonstersLeft;
    AddBullet(D.G, Trunc(Dog.X + Dog.Width / 2.0), Trunc(Dog.Y + Dog.Height / 2.0), 11, 0, 0,
              bkGunBullet, bsPlayer, false);
    D.Step();
    EXPECT_TRUE(D.P.HeroExploding);
    EXPECT_FALSE(D.G.State.MonsterUsed[1]);
    EXPECT_EQ(D.G.State.Score, 0);
    EXPECT_EQ(D.G.State.MonstersLeft, Left);
    EXPECT_EQ(D.G.CueCount("DogKill"), 0);
    EXPECT_TRUE(D.G.State.BulletUsed[1]) << "the shot flies on";
  }
  {
    // An enemy bullet the assistant takes does not use up a shot of the duck's in it.
    TDuckGame D;
    CaughtUp(D);
    const int32_t X = Trunc(D.P.HeroX + 10), Y = Trunc(D.P.HeroY + 10);
    AddBullet(D.G, X, Y, 11, 0, 0, bkGunBullet, bsEnemy, false);
    AddBullet(D.G, X, Y, 11, 0, 0, bkGunBullet, bsPlayer, false);
    D.Step();
    EXPECT_TRUE(D.P.HeroExploding);
    EXPECT_FALSE(D.G.State.BulletUsed[1]);
    ASSERT_TRUE(D.G.State.BulletUsed[2]);
    EXPECT_FALSE(D.Bullet(2).Exploding);
    EXPECT_TRUE(D.Bullet(2).Visible);
  }
}
