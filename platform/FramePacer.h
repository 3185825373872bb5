#pragma once
// Keeps frames that asked to wait for the vertical blank from coming faster than the refresh
// rate. The game's speed calibration counts on that: a presenter that cannot wait (the window
// framebuffer), or one that accepts vsync and then returns at once (vsync forced off by a
// driver setting, some compositors), would otherwise run the game up to F/R times too fast.
// A presenter that really waits is left alone: its frames are never early.

#include <cstdint>
#include <functional>

class TFramePacer {
 public:
  // The clock in microseconds and a sleep until that clock reaches a deadline (it may wake
  // late, never early); the SDL window gives the system's (platform/DeadlineSleep.h), tests
  // a scripted clock.
  using TNow = std::function<uint64_t()>;
  using TSleepUntil = std::function<void(uint64_t Deadline)>;
  TFramePacer(TNow Now, TSleepUntil SleepUntil);

  // The rate frames are paced at for a refresh rate as the system reports it: the rate
  // itself, or 60 Hz when the system does not say (0 or 1).
  static int32_t PacedRate(int32_t RefreshRate) { return RefreshRate > 1 ? RefreshRate : 60; }

  // Called right after each presented frame that asked to wait. A frame that follows the
  // previous one by less than a refresh period (allowing 2 % for a monitor a little faster
  // than its reported rate) returned early: it sleeps to the next beat of the refresh rate.
  // The beats stand a whole period apart whatever the sleeps overslept, so frames come at
  // the refresh rate on average and the game's speed calibration measures that rate.
  void FrameShown(int32_t RefreshRate);
  // Forgets the beat (a frame that did not ask to wait, or a new mode).
  void Reset() { FLast = 0; }

  // Frames held back so far.
  uint64_t HeldBack() const { return FHeldBack; }

 private:
  TNow FNow;
  TSleepUntil FSleepUntil;
  uint64_t FLast = 0;  // the beat: when the previous frame counted as shown
  uint64_t FHeldBack = 0;
};
