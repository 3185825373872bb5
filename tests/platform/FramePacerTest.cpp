#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/FramePacer.h"

namespace {

// A scripted clock: frames "work" by moving it on, and the pacer's sleeps move it on by what
// they ask plus an oversleep, as a real sleep would.
struct TScriptedClock {
  uint64_t Now = 1000000;
  uint64_t Oversleep = 0;
  uint64_t Slept = 0;
  TFramePacer Pacer{[this] { return Now; },
                    [this](uint64_t Micros) {
                      Slept += Micros;
                      Now += Micros + Oversleep;
                    }};
};

}  // namespace

TEST(FramePacer, PresenterThatReturnsAtOnceIsHeldToTheRefreshRate) {
  struct TCase {
    const char* What;
    int32_t Refresh;      // as the system reports it
    uint64_t WorkMicros;  // a frame's own work; presenting takes no time at all
    uint64_t Oversleep;
    int32_t PacedHz;
  };
  const std::vector<TCase> Cases = {
      {"refresh unknown (0): 60 Hz", 0, 2000, 0, 60},
      {"refresh 1 counts as unknown", 1, 2000, 0, 60},
      {"75 Hz monitor", 75, 2000, 0, 75},
      {"a sleep that oversleeps does not slow the beat", 60, 2000, 900, 60},
      {"no work at all", 144, 0, 0, 144},
  };
  for (const TCase& C : Cases) {
    TScriptedClock Clock;
    Clock.Oversleep = C.Oversleep;
    const int32_t Frames = 600;
    std::vector<uint64_t> Shown;
    for (int32_t I = 0; I < Frames; ++I) {
      Clock.Now += C.WorkMicros;
      Clock.Pacer.FrameShown(C.Refresh);
      Shown.push_back(Clock.Now);
    }
    const double Seconds = static_cast<double>(Shown.back() - Shown.front()) / 1e6;
    const double Rate = (Frames - 1) / Seconds;
    EXPECT_NEAR(Rate, C.PacedHz, C.PacedHz * 0.01) << C.What;
    EXPECT_EQ(TFramePacer::PacedRate(C.Refresh), C.PacedHz) << C.What;
    EXPECT_EQ(Clock.Pacer.HeldBack(), static_cast<uint64_t>(Frames - 1)) << C.What;
    // Never two frames closer than a period, less what one oversleep can shift.
    const uint64_t Period = 1000000u / static_cast<uint64_t>(C.PacedHz);
    for (size_t I = 1; I < Shown.size(); ++I)
      ASSERT_GE(Shown[I] - Shown[I - 1] + C.Oversleep + 1, Period) << C.What << " frame " << I;
  }
}

TEST(FramePacer, PresenterThatWaitsOrSlowFramesAreLeftAlone) {
  struct TCase {
    const char* What;
    int32_t Refresh;
    uint64_t FrameMicros;  // from one shown frame to the next, waiting included
  };
  const std::vector<TCase> Cases = {
      {"vsync that waits, 60 Hz", 60, 16667},
      {"vsync of a monitor 1 % faster than it says", 60, 16500},
      {"frames slower than the refresh", 60, 25000},
      {"refresh unknown, frames slower than 60 Hz", 0, 20000},
  };
  for (const TCase& C : Cases) {
    TScriptedClock Clock;
    for (int32_t I = 0; I < 300; ++I) {
      Clock.Now += C.FrameMicros;
      Clock.Pacer.FrameShown(C.Refresh);
    }
    EXPECT_EQ(Clock.Pacer.HeldBack(), 0u) << C.What;
    EXPECT_EQ(Clock.Slept, 0u) << C.What;
  }
}

TEST(FramePacer, AfterAStallTheBeatStartsAgainWithoutABurst) {
  TScriptedClock Clock;
  for (int32_t I = 0; I < 10; ++I) Clock.Pacer.FrameShown(60);
  Clock.Now += 500000;  // half a second without a frame (a window being dragged)
  Clock.Pacer.FrameShown(60);
  const uint64_t AfterStall = Clock.Now;
  Clock.Pacer.FrameShown(60);
  // The frame after the stall is held a whole period, not let through to catch up.
  EXPECT_GE(Clock.Now - AfterStall, 16666u);
}
