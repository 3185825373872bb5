#include "platform/DeadlineSleep.h"

#include <windows.h>

// Not in every MinGW-w64 header set yet (Windows 10 1803 and later know it).
#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

namespace {

uint64_t CounterFrequency() {
  LARGE_INTEGER F;
  QueryPerformanceFrequency(&F);
  return static_cast<uint64_t>(F.QuadPart);
}

// One timer per thread, made on the first sleep and kept: a high-resolution one where the
// system has them (it wakes within about half a millisecond without raising the system's
// timer rate), else a plain one, whose wake-ups follow the timer rate SDL sets (1 ms).
class TSleepTimer {
 public:
  TSleepTimer() {
    FHandle = CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION,
                                     TIMER_ALL_ACCESS);
    if (!FHandle) FHandle = CreateWaitableTimerExW(nullptr, nullptr, 0, TIMER_ALL_ACCESS);
  }
  ~TSleepTimer() {
    if (FHandle) CloseHandle(FHandle);
  }
  TSleepTimer(const TSleepTimer&) = delete;
  TSleepTimer& operator=(const TSleepTimer&) = delete;

  // Sleeps about Micros microseconds; false when no timer could be made or armed.
  bool Sleep(uint64_t Micros) {
    if (!FHandle) return false;
    // A negative due time is relative, in units of 100 ns. The deadline itself is on the
    // performance counter's clock, which a waitable timer's absolute times (system time)
    // are not: relative waits, re-armed below for what is left, keep to the counter.
    LARGE_INTEGER Due;
    Due.QuadPart = -static_cast<LONGLONG>(Micros * 10u);
    if (!SetWaitableTimer(FHandle, &Due, 0, nullptr, nullptr, FALSE)) return false;
    return WaitForSingleObject(FHandle, INFINITE) == WAIT_OBJECT_0;
  }

 private:
  HANDLE FHandle = nullptr;
};

}  // namespace

uint64_t SteadyMicros() {
  static const uint64_t Frequency = CounterFrequency();
  LARGE_INTEGER C;
  QueryPerformanceCounter(&C);
  const uint64_t Ticks = static_cast<uint64_t>(C.QuadPart);
  // Whole seconds and the rest apart: Ticks * 1000000 would overflow after some weeks of
  // uptime at a 10 MHz counter.
  return Ticks / Frequency * 1000000u + Ticks % Frequency * 1000000u / Frequency;
}

void SleepUntilMicros(uint64_t Deadline) {
  thread_local TSleepTimer Timer;
  // A timer may fire a little before the counter reaches the deadline (its own clock ticks
  // apart from the counter's): wait again for what is left, a few times at most.
  for (int Tries = 0; Tries < 4; ++Tries) {
    const uint64_t Now = SteadyMicros();
    if (Now >= Deadline) return;
    if (!Timer.Sleep(Deadline - Now)) {
      // No timer at all: a plain sleep of the whole milliseconds left, rounded up.
      ::Sleep(static_cast<DWORD>((Deadline - Now + 999u) / 1000u));
    }
  }
}
