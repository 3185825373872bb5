#include "platform/FramePacer.h"

#include <utility>

TFramePacer::TFramePacer(TNow Now, TSleep Sleep) : FNow(std::move(Now)), FSleep(std::move(Sleep)) {}

void TFramePacer::FrameShown(int32_t RefreshRate) {
  const uint64_t Period = 1000000u / static_cast<uint64_t>(PacedRate(RefreshRate));
  const uint64_t Now = FNow();
  if (FLast == 0 || Now >= FLast + Period - Period / 50 || Now < FLast) {
    // The first frame, a presenter that waited, or a frame slow on its own: no wait.
    FLast = Now;
    return;
  }
  // Early: wait for the next beat. The beat moves by whole periods, so a sleep that
  // oversleeps a little is not added to the next frame's wait.
  const uint64_t Due = FLast + Period;
  ++FHeldBack;
  FSleep(Due - Now);
  const uint64_t After = FNow();
  FLast = After > Due + Period ? After : Due;
}
