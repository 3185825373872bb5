#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/FramePacer.h"

namespace {

// A scripted clock: frames "work" by moving it on, and the pacer's sleeps move it to their
// deadline plus an oversleep, as a real sleep would. Deadlines holds what each sleep asked.
struct TScriptedClock {
  uint64_t Now = 1000000;
  uint64_t Oversleep = 0;
  uint64_t Slept = 0;
  std::vector<uint64_t> Deadlines;
  TFramePacer Pacer{[this] { return Now; },
                    [this](uint64_t Deadline) {
                      Deadlines.push_back(Deadline);
                      if (Deadline > Now) {
                        Slept += Deadline - Now;
                        Now = Deadline;
                      }
                      Now += Oversleep;
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

TEST(FramePacer, OversleepsAreNotAddedToTheNextFrame) {
  // Each sleep wakes late by the case's oversleep (a busy machine, the system's timer slack);
  // the deadlines stay on the beat of whole periods from the first frame, so the rate over
  // ten seconds is the refresh rate and the game's calibration (frames counted in windows of
  // a second) sees 60, not 60 less what the oversleeps add up to.
  struct TCase {
    const char* What;
    uint64_t WorkMicros;
    uint64_t Oversleep;
  };
  const std::vector<TCase> Cases = {
      {"timer slack", 400, 60},
      {"a wake-up 3 ms late every frame", 400, 3000},
      {"work and oversleep nearly a whole period", 8000, 8000},
  };
  for (const TCase& C : Cases) {
    TScriptedClock Clock;
    Clock.Oversleep = C.Oversleep;
    const uint64_t Period = 1000000 / 60;
    const int32_t Frames = 601;
    uint64_t First = 0, WindowStart = 0;
    int32_t InWindow = 0;
    std::vector<int32_t> PerSecond;
    for (int32_t I = 0; I < Frames; ++I) {
      Clock.Now += C.WorkMicros;
      Clock.Pacer.FrameShown(60);
      if (I == 0) First = WindowStart = Clock.Now;
      ++InWindow;
      if (Clock.Now - WindowStart >= 1000000) {
        PerSecond.push_back(InWindow);
        InWindow = 0;
        WindowStart = Clock.Now;
      }
    }
    ASSERT_EQ(Clock.Deadlines.size(), static_cast<size_t>(Frames - 1)) << C.What;
    for (size_t I = 0; I < Clock.Deadlines.size(); ++I)
      ASSERT_EQ(Clock.Deadlines[I], First + (I + 1) * Period) << C.What << " sleep " << I;
    // The last frame woke its oversleep after the last beat, and no later.
    EXPECT_EQ(Clock.Now - First, (Frames - 1) * Period + C.Oversleep) << C.What;
    for (int32_t Count : PerSecond) {
      EXPECT_GE(Count, 59) << C.What;
      EXPECT_LE(Count, 61) << C.What;
    }
  }
}
