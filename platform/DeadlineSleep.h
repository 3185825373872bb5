#pragma once
// The system's steady clock and a sleep to a point of it. The frame pacer waits for the next
// beat with these: a sleep to an absolute deadline does not drift by the time spent between
// reading the clock and going to sleep, and a late wake-up is not carried into the next wait.
// posix/DeadlineSleep.cpp and windows/DeadlineSleep.cpp implement it; the build picks one.

#include <cstdint>

// Microseconds of a clock that never jumps (not set by the user or by time synchronisation
// steps), counted from an arbitrary start.
uint64_t SteadyMicros();

// Sleeps until SteadyMicros() reaches Deadline, returning at once when it already has. The
// thread sleeps in the system the whole time; nothing spins. It may return late by the
// system's wake-up latency (tens of microseconds on an idle Linux, more on a busy machine).
void SleepUntilMicros(uint64_t Deadline);
