// The hunters: their shots, reload and firing pose, the random moments they fire at, the
// 45-point kill, the fall, and the drift with the front hills.
#include <gtest/gtest.h>

#include <vector>

#include "TestGame.h"
#include "engine/DXImageList.h"
#include "game/Bullet.h"
#include "game/GroundGun.h"
#include "game/ObjectTables.h"
#include "game/Player.h"
#include "game/ScrollBackground.h"

namespace {

// A hunter in table slot 1, as AddHunter makes it: its kind's height, Z 6.
TGroundGun& NewHunter(TTestGame& G, uint8_t Kind, double X = 900) {
  auto* H = new TGroundGun(G, Kind, 1, 900, KHunterStartY[Kind], 6);
  H->X = X;
  G.State.Hunters[1] = H;
  G.State.HunterUsed[1] = true;
  return *H;
}

// The front hills of a game, drifting 4 to the left a frame.
TScrollBackground& FrontHills(TTestGame& G) {
  const THillRow& Row = KHillRows[1];
  auto* Hills = new TScrollBackground(G, 2, Row.Name, Row.Columns, 1);
  Hills->Y = Row.Y;
  Hills->SetZ(Row.Z);
  Hills->SpeedX = Row.SpeedX;
  G.State.HillLayers[1] = Hills;
  return *Hills;
}

std::vector<TBullet*> LiveBullets(TTestGame& G) {
  std::vector<TBullet*> Out;
  for (int32_t I = 1; I <= KBulletSlots; ++I)
    if (G.State.BulletUsed[static_cast<size_t>(I)])
      Out.push_back(G.State.Bullets[static_cast<size_t>(I)]);
  return Out;
}

void ReleaseAll(TTestGame& G) {
  for (TBullet* B : LiveBullets(G)) ReleaseBullet(G, B->Slot);
}

}  // namespace

TEST(GroundGun, EachKindFiresItsOwnShotFromItsGun) {
  struct TShot {
    int32_t Dx, Dy;
  };
  struct TCase {
    uint8_t Kind;
    const char* Cue;
    std::vector<TShot> Shots;  // in the order they are made
    int32_t Speed, Angle;
    uint8_t BulletKind;
    int32_t Reload;
  } Cases[] = {
      {hkHunter1, "Shot3", {{77, -7}, {74, -17}, {71, -27}}, 7, -92, bkGunBullet, 400},
      {hkHunter2, "Shot1", {{90, 3}}, 10, -90, bkGunBullet, 300},
      {hkHunter3, "Rocket", {{50, 3}}, 8, -102, bkRocket, 400},
  };
  for (const TCase& C : Cases) {
    TTestGame G;
    TGroundGun& H = NewHunter(G, C.Kind, 400.9);
    H.Fire();
    EXPECT_EQ(G.Cues, std::vector<std::string>{C.Cue});
    const std::vector<TBullet*> Shots = LiveBullets(G);
    ASSERT_EQ(Shots.size(), C.Shots.size()) << C.Cue;
    for (size_t I = 0; I < Shots.size(); ++I) {
      const TBullet& B = *Shots[I];
      EXPECT_EQ(B.X, 400 + C.Shots[I].Dx) << C.Cue << " shot " << I;
      EXPECT_EQ(B.Y, KHunterStartY[C.Kind] + C.Shots[I].Dy) << C.Cue << " shot " << I;
      EXPECT_EQ(B.Z(), 6);
      EXPECT_EQ(B.Speed, C.Speed);
      EXPECT_EQ(B.Angle, C.Angle);
      EXPECT_EQ(B.Kind, C.BulletKind);
      EXPECT_EQ(B.Side, bsEnemy);
      EXPECT_TRUE(B.Diagonal);
    }
    EXPECT_EQ(H.ReloadLeft, C.Reload);
    EXPECT_TRUE(H.Firing);
    EXPECT_EQ(H.PoseLeft, 700);
  }
}

TEST(GroundGun, FiringPoseShowsFor700MsWhileTheReloadRunsBeneathIt) {
  TTestGame G;  // 11 ms a frame, no hills: the hunter stands still, beyond X 700
  TGroundGun& H = NewHunter(G, hkHunter2, 750);
  G.Step();
  EXPECT_EQ(H.FramePos, 0);
  H.Fire();
  ReleaseAll(G);
  int32_t PoseFrames = 0, ReloadFrames = 0;
  for (int32_t Frame = 0; Frame < 200; ++Frame) {
    G.Step();
    PoseFrames += H.FramePos == 1 ? 1 : 0;
    ReloadFrames += H.ReloadLeft > 0 ? 1 : 0;
  }
  // 700 ms of pose (64 frames of 11 ms, and the frame that finds it run out), and a
  // reload of 300 ms that ends long before it.
  EXPECT_EQ(PoseFrames, 65);
  EXPECT_EQ(ReloadFrames, 27);
  EXPECT_FALSE(H.Firing);
  EXPECT_EQ(H.FramePos, 0);
}

// With its gun loaded a hunter draws one chance in 200 every frame, wherever it stands;
// after a shot it draws nothing until the reload has counted down.
TEST(GroundGun, DrawsOneChanceAFrameOnlyWhileLoaded) {
  TTestGame G(99);
  TRandom Replay(99);
  TGroundGun& H = NewHunter(G, hkHunter1, 350);
  int32_t Frame = 0;
  int32_t ShotFrame = -1;
  while (ShotFrame < 0 && Frame < 5000) {
    const int32_t Chance = Replay.Below(200);
    G.Step();
    ReleaseAll(G);
    ++Frame;
    if (Chance == 1) ShotFrame = Frame;
    ASSERT_EQ(H.ReloadLeft > 0, ShotFrame >= 0) << "frame " << Frame;
  }
  ASSERT_GT(ShotFrame, 0);
  // 400 ms at 11 ms a frame: 37 frames without a draw.
  for (int32_t I = 0; I < 37; ++I) {
    G.Step();
    ReleaseAll(G);
  }
  EXPECT_LE(H.ReloadLeft, 0);
  TRandom Now = G.Rand;
  TRandom Expected = Replay;
  EXPECT_EQ(Now.Below(1 << 30), Expected.Below(1 << 30));
  // The next frame draws again.
  G.Step();
  Replay.Below(200);
  Now = G.Rand;
  Expected = Replay;
  EXPECT_EQ(Now.Below(1 << 30), Expected.Below(1 << 30));
}

// Off the screen's left 700 pixels (a newcomer at 900, or one past the left edge) a hunter
// draws its chances but never fires.
TEST(GroundGun, FiresOnlyBetweenTheLeftEdgeAndX700) {
  struct TCase {
    double X;
    bool Fires;
  } Cases[] = {{900, false}, {700, false}, {699.5, true}, {1, true}, {0, false}, {-50, false}};
  for (const TCase& C : Cases) {
    TTestGame G(5);
    TGroundGun& H = NewHunter(G, hkHunter2, C.X);
    int32_t Shots = 0;
    for (int32_t Frame = 0; Frame < 3000; ++Frame) {
      G.Step();
      Shots += static_cast<int32_t>(LiveBullets(G).size());
      ReleaseAll(G);
      H.X = C.X;
    }
    EXPECT_EQ(Shots > 0, C.Fires) << "at X " << C.X;
  }
}

TEST(GroundGun, ABlastOf10KillsAtOnceFor45PointsOnce) {
  struct TCase {
    uint8_t Kind;
    const char* Fall;
    double Dx, Dy;
  } Cases[] = {
      {hkHunter1, "Hunter1Fall", 97, 57},
      {hkHunter2, "Hunter2Fall", 95, 63},
      {hkHunter3, "Hunter3Fall", 65, 41},
  };
  for (const TCase& C : Cases) {
    TTestGame G;
    G.State.MonstersLeft = 10;
    TGroundGun& H = NewHunter(G, C.Kind, 300);
    EXPECT_EQ(H.Energy, 9);
    H.Damage(10);
    EXPECT_EQ(G.State.Score, 45);
    EXPECT_EQ(G.State.MonstersLeft, 10) << "hunters do not count toward the quota";
    EXPECT_TRUE(H.Dying);
    EXPECT_EQ(H.Image(), &G.List2.Items().Find(C.Fall));
    EXPECT_TRUE(H.HideAtAnimEnd);
    EXPECT_EQ(H.AnimRate, 3);
    EXPECT_EQ(H.X, 300 + C.Dx);
    EXPECT_EQ(H.Y, KHunterStartY[C.Kind] + C.Dy);
    // A second blast on the falling hunter scores nothing and moves nothing.
    H.Damage(10);
    EXPECT_EQ(G.State.Score, 45);
    EXPECT_EQ(H.X, 300 + C.Dx);
    EXPECT_EQ(G.CueCount("HunterKill"), 1);
  }
}

TEST(GroundGun, SmallHitsAddUpAndAFallPlaysOnceThenHides) {
  TTestGame G;
  TGroundGun& H = NewHunter(G, hkHunter3, 300);
  H.Damage(3);
  H.Damage(3);
  EXPECT_FALSE(H.Dying);
  EXPECT_EQ(G.State.Score, 0);
  H.Damage(3);
  EXPECT_TRUE(H.Dying);
  EXPECT_EQ(G.State.Score, 45);
  int32_t Frames = 0;
  while (H.Visible && Frames < 1000) {
    G.Step();
    ++Frames;
  }
  EXPECT_FALSE(H.Visible);
  // Three patterns at 3 hundredths of a frame per frame-time: about a second.
  EXPECT_GT(Frames, 70);
  EXPECT_LT(Frames, 100);
}

TEST(GroundGun, StandingOrFallingItKeepsItsPlaceOnTheFrontHills) {
  TTestGame G;
  TScrollBackground& Hills = FrontHills(G);
  TGroundGun& H = NewHunter(G, hkHunter1, 900);
  G.Step(10);
  EXPECT_DOUBLE_EQ(H.X, 860);
  H.Die();
  const double Fallen = H.X;
  const double HillsX = Hills.X;
  G.Step(10);
  EXPECT_DOUBLE_EQ(H.X, Fallen - 40);
  EXPECT_DOUBLE_EQ(Hills.X, HillsX - 40);
  // At half the reference rate everything moves twice as far a frame.
  G.Speed = 2.0;
  G.Step();
  EXPECT_DOUBLE_EQ(H.X, Fallen - 48);
}

TEST(GroundGun, FallsSilentlyWhileTheDuckIsDying) {
  for (const uint8_t State : {psRespawning, psAlive, psDying}) {
    TTestGame G;
    auto* Duck = new TPlayer(G);
    G.State.Player = Duck;
    Duck->State = State;
    TGroundGun& H = NewHunter(G, hkHunter2, 300);
    H.Die();
    EXPECT_TRUE(H.Dying);
    EXPECT_EQ(H.Image(), &G.List2.Items().Find("Hunter2Fall"));
    EXPECT_EQ(G.CueCount("HunterKill"), State == psDying ? 0 : 1) << int(State);
    EXPECT_EQ(G.State.Score, 0) << "a fall on its own scores nothing";
  }
}
