#include "platform/DeadlineSleep.h"

#include <time.h>

#include <cerrno>

uint64_t SteadyMicros() {
  timespec T{};
  clock_gettime(CLOCK_MONOTONIC, &T);
  return static_cast<uint64_t>(T.tv_sec) * 1000000u + static_cast<uint64_t>(T.tv_nsec) / 1000u;
}

void SleepUntilMicros(uint64_t Deadline) {
  timespec Due{};
  Due.tv_sec = static_cast<time_t>(Deadline / 1000000u);
  Due.tv_nsec = static_cast<long>(Deadline % 1000000u) * 1000;
  // An absolute sleep on the same clock SteadyMicros reads: a signal handled meanwhile
  // (EINTR) resumes the same wait, not a new one of the whole length.
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &Due, nullptr) == EINTR) {
  }
}
