// The player's weapon slots: what each fires, how often, for how long, and what happens
// when the bullet table is full.
#include <gtest/gtest.h>

#include <vector>

#include "GameTestHelpers.h"
#include "game/Weapons.h"

namespace {

// Frames between the shots of a weapon held with fire down (cue counts per frame).
std::vector<int32_t> ShotFrames(TDuckGame& D, const char* Cue, int32_t Frames) {
  std::vector<int32_t> At;
  for (int32_t F = 0; F < Frames; ++F) {
    const int32_t Before = D.G.CueCount(Cue);
    D.Step();
    if (D.G.CueCount(Cue) > Before) At.push_back(F);
    ReleaseAllBullets(D.G);  // keep the table from filling
  }
  return At;
}

}  // namespace

TEST(Weapons, SlotsAndKindsMapBothWays) {
  const int32_t SlotOf[10] = {1, 2, 3, 4, 5, 9, 10, 6, 7, 8};
  for (int32_t Kind = 0; Kind <= 9; ++Kind) {
    EXPECT_EQ(SlotOfKind(Kind), SlotOf[Kind]) << Kind;
    EXPECT_EQ(KindOfSlot(SlotOfKind(Kind)), Kind);
  }
  EXPECT_EQ(SlotOfKind(10), 0);
  EXPECT_EQ(KindOfSlot(0), 0);
  EXPECT_EQ(KindOfSlot(11), 0);
}

TEST(Weapons, CooldownsAreRoundedUpToWholeFrames) {
  struct TCase {
    uint8_t Kind;
    const char* Cue;
    int32_t Ms;
    int32_t Frames;  // ceil(cooldown / frame length)
  };
  const TCase Cases[] = {
      {0, "Laser", 11, 28},   // 300 ms
      {0, "Laser", 16, 19},   //
      {0, "Laser", 15, 20},   // 300 ms in exactly 20 frames
      {7, "Laser", 11, 14},   // single gun, 150 ms
      {8, "Laser2", 11, 28},  // multi gun
      {2, "Rocket", 40, 8},   // rocket, 300 ms
  };
  for (const TCase& C : Cases) {
    TDuckGame D;
    D.Alive();
    D.G.Ms = C.Ms;
    D.P.TakeSlot(C.Kind);
    D.P.FireHeld = true;
    const std::vector<int32_t> At = ShotFrames(D, C.Cue, 3 * C.Frames + 1);
    ASSERT_EQ(At.size(), 4u) << "kind " << int(C.Kind) << " at " << C.Ms << " ms";
    for (size_t I = 1; I < At.size(); ++I) EXPECT_EQ(At[I] - At[I - 1], C.Frames);
  }
}

TEST(Weapons, VolleysLeaveFromTheGunOrLauncherWithTheirAnglesAndLayers) {
  struct TShot {
    int32_t Dx, Dy, Z, Speed, Angle;
    uint8_t Kind;
  };
  struct TCase {
    uint8_t BonusKind;
    std::vector<TShot> Shots;
  };
  const TCase Cases[] = {
      {0, {{85, 47, 11, 10, 0, bkGunBullet}}},
      {7, {{85, 47, 11, 10, 0, bkGunBullet}}},
      {8, {{85, 43, 11, 10, 0, bkGunBullet}, {85, 59, 11, 10, 0, bkGunBullet}}},
      {2, {{110, 59, 11, 2, 0, bkRocket}}},
      // The outer rockets fly under the duck (Z 10), spread by 10/256 of a turn.
      {9,
       {{110, 55, 9, 2, -10, bkRocket},
        {110, 59, 11, 2, 0, bkRocket},
        {110, 63, 9, 2, 10, bkRocket}}},
      {5, {{43, 52, 11, 6, 0, bkMegaBomb}}},
  };
  for (const TCase& C : Cases) {
    TDuckGame D;
    D.Alive();
    D.P.X = 100.9;  // positions are truncated
    D.P.Y = 200.6;
    D.P.TakeSlot(C.BonusKind);
    D.P.FireHeld = true;
    D.Step();
    ASSERT_EQ(D.LiveBullets(), static_cast<int32_t>(C.Shots.size())) << int(C.BonusKind);
    for (size_t I = 0; I < C.Shots.size(); ++I) {
      const TShot& S = C.Shots[I];
      const TBullet& B = D.Bullet(static_cast<int32_t>(I) + 1);
      EXPECT_EQ(B.X, 100 + S.Dx) << int(C.BonusKind) << " shot " << I;
      EXPECT_EQ(B.Y, 200 + S.Dy) << int(C.BonusKind) << " shot " << I;
      EXPECT_EQ(B.Z(), S.Z);
      EXPECT_EQ(B.Speed, S.Speed);
      EXPECT_EQ(B.Angle, S.Angle);
      EXPECT_EQ(B.Kind, S.Kind);
      EXPECT_EQ(B.Side, bsPlayer);
      EXPECT_FALSE(B.Diagonal);
    }
  }
}

TEST(Weapons, AFullBulletTableStillSoundsAndStartsTheCooldown) {
  TDuckGame D;
  D.Alive();
  for (int32_t I = 0; I < 51; ++I)  // the 51st request is ignored
    AddBullet(D.G, 1000, 100, 6, 0, 0, bkGunBullet, bsEnemy, false);
  ASSERT_EQ(D.LiveBullets(), KBulletSlots);
  D.P.TakeSlot(0);
  D.P.FireHeld = true;
  D.Step();
  EXPECT_EQ(D.G.CueCount("Laser"), 1);
  EXPECT_EQ(D.P.FireCooldown, 300 - 11);
  EXPECT_EQ(D.LiveBullets(), KBulletSlots);
  for (int32_t I = 1; I <= KBulletSlots; ++I) EXPECT_EQ(D.Bullet(I).Side, bsEnemy);
}

TEST(Weapons, AMegaBombReplacesTheWeaponLeavesAtOnceAndTheLaserReturns) {
  TDuckGame D;
  D.Alive();
  D.P.TakeSlot(9);
  D.P.FireCooldown = 200;  // running
  D.P.TakeSlot(5);
  EXPECT_FALSE(D.P.SlotOn[8]) << "the triple rocket is dropped";
  EXPECT_TRUE(D.P.SlotOn[9]);
  D.P.FireHeld = true;
  D.Step();
  ASSERT_EQ(D.LiveBullets(), 1);
  EXPECT_EQ(D.Bullet(1).Kind, bkMegaBomb);
  EXPECT_EQ(D.G.CueCount("Rail"), 1);
  EXPECT_FALSE(D.P.SlotOn[9]) << "used up";
  EXPECT_TRUE(D.P.SlotOn[1]) << "the laser is back";
  // The laser waits out the bomb's 500 ms: 46 frames of 11 ms.
  int32_t Frames = 0;
  while (D.G.CueCount("Laser") == 0 && Frames < 100) {
    D.Step();
    ++Frames;
  }
  EXPECT_EQ(Frames, 46);
}

TEST(Weapons, TimedWeaponsRunOutAfter5000MsAndTheLaserReturns) {
  TDuckGame D;
  D.Alive();
  D.P.TakeSlot(7);
  EXPECT_EQ(D.P.SlotTime[6], 5000);
  // 5000 ms at 11 ms: 454 frames count down, the 455th runs out.
  D.Step(454);
  EXPECT_TRUE(D.P.SlotOn[6]);
  D.Step();
  EXPECT_FALSE(D.P.SlotOn[6]);
  EXPECT_FALSE(D.P.SlotOn[1]);
  D.Step();
  EXPECT_TRUE(D.P.SlotOn[1]);
}

TEST(Weapons, TheAssistantAndTheScoreKeepTheWeapon) {
  TDuckGame D;
  D.Alive();
  D.P.TakeSlot(8);
  D.P.TakeSlot(3);
  EXPECT_TRUE(D.P.SlotOn[7]);
  EXPECT_TRUE(D.P.SlotOn[4]);
  EXPECT_EQ(D.P.HeroX, -70) << "a new assistant starts afresh";
  D.P.HeroX = 10;
  D.P.TakeSlot(3);
  EXPECT_EQ(D.P.HeroX, 10) << "one already flying is left alone";
  D.P.TakeSlot(0);
  EXPECT_FALSE(D.P.SlotOn[7]);
  EXPECT_TRUE(D.P.SlotOn[1]);
  EXPECT_TRUE(D.P.SlotOn[4]);
  D.P.DropWeapons();
  EXPECT_FALSE(D.P.HasWeapon());
  EXPECT_TRUE(D.P.SlotOn[4]) << "the assistant stays";
}
