#include <gtest/gtest.h>

#include <vector>

#include "engine/DXClass.h"
#include "platform/fake/FakePlatform.h"

namespace {

// A running timer on a scripted clock, recording every LagCount it reports.
struct TTimerFixture {
  TFakeClock Clock;
  TDXTimer Timer{Clock};
  std::vector<int32_t> Lags;
  explicit TTimerFixture(uint32_t Interval, uint32_t Start = 0) {
    Clock.SetTicks(Start);
    Timer.SetInterval(Interval);
    Timer.OnTimer = [this](int32_t Lag) { Lags.push_back(Lag); };
    Timer.Loaded();
  }
  // Moves the clock by Ms and runs one idle pass.
  void IdleAfter(uint32_t Ms) {
    Clock.Advance(Ms);
    Timer.Idle();
  }
};

}  // namespace

TEST(FrameTimer, LagCountIsTheTimeSinceTheLastTick) {
  struct TCase {
    const char* What;
    uint32_t Interval;
    uint32_t Start;
    std::vector<uint32_t> Steps;
    std::vector<int32_t> Expected;
  };
  const TCase Cases[] = {
      {"every idle pass ticks; 0 ms apart still reports 1", 0, 0, {0, 0, 37}, {1, 1, 37}},
      {"interval 20: 15 ms is too early, 45 ms is two intervals", 20, 0, {15, 30}, {2}},
      {"the clock wraps between two ticks", 0, 0xFFFFFFF0u, {10, 20}, {10, 20}},
      {"interval 20 across the wrap", 20, 0xFFFFFFFFu - 5, {25, 19, 1}, {1, 1}},
  };
  for (const TCase& C : Cases) {
    TTimerFixture F(C.Interval, C.Start);
    for (uint32_t Step : C.Steps) F.IdleAfter(Step);
    EXPECT_EQ(F.Lags, C.Expected) << C.What;
  }
}

TEST(FrameTimer, FrameRateCountsFramesOverOneSecondWindows) {
  TTimerFixture F(0, 0xFFFFFE00u);               // the window spans the clock's wrap
  for (int I = 0; I < 10; ++I) F.IdleAfter(99);  // ten ticks, the last at 990 ms
  EXPECT_EQ(F.Timer.FrameRate(), 0);             // no full second yet
  F.IdleAfter(14);                               // the eleventh at 1004 ms
  EXPECT_EQ(F.Timer.FrameRate(), 11);            // round(11 * 1000 / 1004)
  // The next window starts at that tick: 85 ticks in 1000 ms give 85.
  for (int I = 0; I < 85; ++I) F.IdleAfter(I < 84 ? 11 : 1000 - 84 * 11);
  EXPECT_EQ(F.Timer.FrameRate(), 85);
}

TEST(FrameTimer, PauseWhileInactiveIsNotLag) {
  TTimerFixture F(0);
  int Activations = 0, Deactivations = 0;
  F.Timer.OnActivate = [&] { ++Activations; };
  F.Timer.OnDeactivate = [&] { ++Deactivations; };
  F.IdleAfter(10);
  F.Timer.ApplicationDeactivated();
  EXPECT_FALSE(F.Timer.Running());
  F.IdleAfter(5000);  // idle passes while inactive do nothing
  F.Timer.ApplicationActivated();
  F.IdleAfter(12);
  EXPECT_EQ(F.Lags, (std::vector<int32_t>{10, 12}));
  EXPECT_EQ(Activations, 1);
  EXPECT_EQ(Deactivations, 1);
  // The rate window restarted too: a second after reactivation shows only its own frames.
  for (int I = 0; I < 9; ++I) F.IdleAfter(110);
  EXPECT_EQ(F.Timer.FrameRate(), 10);  // round(10 * 1000 / 1002)
}

TEST(FrameTimer, StartsOnlyWhenLoadedEnabledAndActive) {
  TFakeClock Clock;
  TDXTimer Timer(Clock);
  int Ticks = 0;
  Timer.SetInterval(0);
  Timer.OnTimer = [&](int32_t) { ++Ticks; };
  Timer.Idle();
  EXPECT_EQ(Ticks, 0);  // not loaded yet
  Timer.ApplicationDeactivated();
  Timer.Loaded();
  Timer.Idle();
  EXPECT_EQ(Ticks, 0);  // ActiveOnly and the application is in the background
  Timer.SetActiveOnly(false);
  Timer.Idle();
  EXPECT_EQ(Ticks, 1);  // runs in the background once ActiveOnly is off
  Timer.SetEnabled(false);
  Timer.Idle();
  EXPECT_EQ(Ticks, 1);
  Timer.SetEnabled(true);
  Timer.Idle();
  EXPECT_EQ(Ticks, 2);
}

TEST(WindowBase, PlacementIsRestoredOnceAfterStoring) {
  TFakeWindow Window;
  TDXForm Form(Window);
  Form.RestorePlacement();  // nothing stored: nothing applied
  EXPECT_EQ(Window.PlacementsSet, 0);
  Window.Placement = {40, 30, 800, 600};
  Form.StorePlacement();
  Window.Placement = {0, 0, 1920, 1080};
  Form.RestorePlacement();
  EXPECT_EQ(Window.Placement.X, 40);
  EXPECT_EQ(Window.Placement.Width, 800);
  Form.RestorePlacement();
  EXPECT_EQ(Window.PlacementsSet, 1);
}
