#include "platform/sdl/StartProbe.h"

#include <io.h>
#include <windows.h>
#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

// The same questions as on Linux, answered through the C runtime's descriptors (a parent that
// hands one over through its start-up information); the peak is the working set's.
TStartProbe::TStartProbe() {
  if (const char* Fd = std::getenv("TB_PROBE_PICTURE_FD")) FFd = std::atoi(Fd);
  if (FFd <= 2) FFd = -1;  // never the standard streams
  if (const char* Quit = std::getenv("TB_PROBE_QUIT_AFTER")) FQuitAfter = std::atoll(Quit);
}

namespace {

// The peak working set of this process in kilobytes, or -1.
long long PeakResidentKb() {
  PROCESS_MEMORY_COUNTERS Counters{};
  Counters.cb = sizeof Counters;
  if (!GetProcessMemoryInfo(GetCurrentProcess(), &Counters, sizeof Counters)) return -1;
  return static_cast<long long>(Counters.PeakWorkingSetSize / 1024);
}

void WriteLine(int Fd, long long Value) {
  char Line[32];
  const int Length = std::snprintf(Line, sizeof Line, "%lld\n", Value);
  if (_write(Fd, Line, static_cast<unsigned>(Length)) < 0) {
    // The benchmark went away; the program carries on.
  }
}

}  // namespace

bool TStartProbe::PictureShown() {
  ++FShown;
  const bool Quit = FQuitAfter > 0 && FShown == FQuitAfter;
  if (FShown == 1 && FFd >= 0) {
    const auto Now = std::chrono::steady_clock::now().time_since_epoch();
    WriteLine(FFd, std::chrono::duration_cast<std::chrono::microseconds>(Now).count());
  }
  if (FFd >= 0 && (Quit || FQuitAfter <= 0)) {
    if (Quit) WriteLine(FFd, PeakResidentKb());
    _close(FFd);
    FFd = -1;
  }
  return Quit;
}
