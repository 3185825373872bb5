// The same play at 60, 85 and 144 frames per second, each with the speed calibration the
// main window computes for that rate: distances per second of time move alike, and the
// millisecond timers count their time alike.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "TestGame.h"
#include "TestScreen.h"
#include "game/Bonus.h"
#include "game/GameFlow.h"
#include "game/Monster.h"
#include "game/ObjectTables.h"
#include "game/Player.h"
#include "game/ScrollBackground.h"
#include "game/Weapons.h"
#include "shell/MainForm.h"

namespace {

struct TRun {
  double DuckPerSecond = 0;
  double MonsterPerSecond = 0;
  double HillsPerSecond = 0;
  int32_t WeaponMsCounted = 0;  // frames x FrameMs until the single gun is dropped
  int32_t FrameMs = 0;
};

// Plays a short script at Fps frames per second (the monitor's refresh rate and the measured
// rate both Fps).
TRun Play(int32_t Fps) {
  const TCalibration C = Calibrate(Fps, Fps);
  TTestGame Game;
  Game.Speed = C.SpeedFactor;
  Game.Ms = C.FrameMs;
  TTestScreen Screen;
  StartGame(Game, Screen);
  TGameState& G = Game.State;
  TPlayer& P = *G.Player;
  auto Tick = [&](const TGameControls& Keys) {
    GameTick(Game, Screen, Game.Ms, Keys);
    Game.Sprites.FreeDead();
  };
  // Half a second (72 frames at 144, 42 at 85, 30 at 60); the time is Frames / Fps.
  const int32_t Frames = Fps / 2;
  const double Seconds = static_cast<double>(Frames) / Fps;
  TRun Run;
  Run.FrameMs = C.FrameMs;

  // The duck flies down from the top of its area; the keys of a frame steer the next move.
  TGameControls Down;
  Down.Down = true;
  P.Y = 44;
  Tick(Down);
  const double Y0 = P.Y;
  for (int32_t F = 0; F < Frames; ++F) Tick(Down);
  Run.DuckPerSecond = (P.Y - Y0) / Seconds;

  // An airplane flies in; the front hills drift (unwrapped at each jump back).
  AddMonster(Game, 900, 6, mkAirplane);
  int32_t Slot = 1;
  while (!G.MonsterUsed[Slot] || G.Monsters[Slot]->X != 900) ++Slot;
  TMonster& Plane = *G.Monsters[Slot];
  TScrollBackground& Hills = *G.HillLayers[1];
  const double HillsWidth = Game.List2.Items().Find("Hills1").Width();
  double HillsX = Hills.X, HillsDrift = 0;
  const double X0 = Plane.X;
  for (int32_t F = 0; F < Frames; ++F) {
    Tick({});
    double Step = Hills.X - HillsX;
    if (Step > 0) Step -= HillsWidth;
    HillsDrift += Step;
    HillsX = Hills.X;
  }
  Run.MonsterPerSecond = (Plane.X - X0) / Seconds;
  Run.HillsPerSecond = HillsDrift / Seconds;

  // A single gun lasts its 5000 ms; no enemy comes meanwhile to take it away.
  ReleaseAllMonsters(Game);
  P.TakeSlot(bnSingleGun);
  const size_t GunSlot = static_cast<size_t>(SlotOfKind(bnSingleGun));
  int32_t Held = 0;
  while (P.SlotOn[GunSlot] && Held < 10000) {
    G.MonsterTimer = G.HunterTimer = 0;
    Tick({});
    ++Held;
  }
  Run.WeaponMsCounted = Held * C.FrameMs;
  std::printf(
      "%3d fps: duck %.1f px/s, airplane %.1f px/s, hills %.1f px/s, gun %d frames "
      "(%d ms counted, %.0f ms of clock)\n",
      Fps, Run.DuckPerSecond, Run.MonsterPerSecond, Run.HillsPerSecond, Held, Run.WeaponMsCounted,
      Held * 1000.0 / Fps);
  return Run;
}

TEST(SpeedIndependence, SixtyEightyFiveAndOneFortyFourFramesPlayAlike) {
  if (!GamePacksBuilt()) GTEST_SKIP() << "the packs are not built";
  const TRun Ref = Play(85);
  ASSERT_GT(Ref.DuckPerSecond, 0);
  ASSERT_LT(Ref.MonsterPerSecond, 0);
  ASSERT_LT(Ref.HillsPerSecond, 0);
  for (const int32_t Fps : {60, 144}) {
    SCOPED_TRACE(Fps);
    const TRun R = Play(Fps);
    EXPECT_NEAR(R.DuckPerSecond / Ref.DuckPerSecond, 1.0, 0.02);
    EXPECT_NEAR(R.MonsterPerSecond / Ref.MonsterPerSecond, 1.0, 0.02);
    EXPECT_NEAR(R.HillsPerSecond / Ref.HillsPerSecond, 1.0, 0.02);
    // The counted time of the weapon is its 5000 ms, give or take one frame.
    EXPECT_LE(std::abs(R.WeaponMsCounted - 5000), R.FrameMs);
  }
  EXPECT_LE(std::abs(Ref.WeaponMsCounted - 5000), Ref.FrameMs);
}

}  // namespace
