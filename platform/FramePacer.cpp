#include "platform/FramePacer.h"

#include <utility>

TFramePacer::TFramePacer(TNow Now, TSleepUntil SleepUntil)
    : FNow(std::move(Now)), FSleepUntil(std::move(SleepUntil)) {}

void TFramePacer::FrameShown(int32_t RefreshRate) {
  const uint64_t Period = 1000000u / static_cast<uint64_t>(PacedRate(RefreshRate));
  const uint64_t Now = FNow();
  if (FLast == 0 || Now >= FLast + Period - Period / 50 || Now < FLast) {
    // The first frame, a presenter that waited, or a frame slow on its own: no wait.
    FLast = Now;
    return;
  }
  // Early: sleep to the next beat. The beat moves by whole periods, so a sleep that
  // oversleeps is not added to the next frame's wait; only a wake-up later than a whole
  // period (a stalled machine) starts the beat again from that moment, so that the frames
  // after it do not come in a burst to catch up.
  const uint64_t Due = FLast + Period;
  ++FHeldBack;
  FSleepUntil(Due);
  const uint64_t After = FNow();
  FLast = After > Due + Period ? After : Due;
}
