#include "platform/sdl/StartProbe.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

TStartProbe::TStartProbe() {
  if (const char* Fd = std::getenv("TB_PROBE_PICTURE_FD")) FFd = std::atoi(Fd);
  if (FFd <= 2) FFd = -1;  // never the standard streams
  if (const char* Fd = std::getenv("TB_PROBE_FRAME_FD")) FFrameFd = std::atoi(Fd);
  if (FFrameFd <= 2) FFrameFd = -1;
  if (const char* Quit = std::getenv("TB_PROBE_QUIT_AFTER")) FQuitAfter = std::atoll(Quit);
}

namespace {

// The peak resident memory of this process in kilobytes (VmHWM), or -1.
long long PeakResidentKb() {
  std::FILE* F = std::fopen("/proc/self/status", "r");
  if (F == nullptr) return -1;
  char Line[128];
  long long Kb = -1;
  while (std::fgets(Line, sizeof Line, F))
    if (std::sscanf(Line, "VmHWM: %lld kB", &Kb) == 1) break;
  std::fclose(F);
  return Kb;
}

void WriteLine(int Fd, long long Value) {
  char Line[32];
  const int Length = std::snprintf(Line, sizeof Line, "%lld\n", Value);
  if (write(Fd, Line, static_cast<size_t>(Length)) < 0) {
    // The benchmark went away; the program carries on.
  }
}

}  // namespace

bool TStartProbe::PictureShown() {
  ++FShown;
  if (FFrameFd >= 0) {
    const auto Now = std::chrono::steady_clock::now().time_since_epoch();
    const int64_t Micros = std::chrono::duration_cast<std::chrono::microseconds>(Now).count();
    // One small write a picture; a benchmark that went away stops the writes.
    if (write(FFrameFd, &Micros, sizeof Micros) != static_cast<ssize_t>(sizeof Micros)) {
      close(FFrameFd);
      FFrameFd = -1;
    }
  }
  const bool Quit = FQuitAfter > 0 && FShown == FQuitAfter;
  if (FShown == 1 && FFd >= 0) {
    const auto Now = std::chrono::steady_clock::now().time_since_epoch();
    WriteLine(FFd, std::chrono::duration_cast<std::chrono::microseconds>(Now).count());
  }
  if (FFd >= 0 && (Quit || FQuitAfter <= 0)) {
    if (Quit) WriteLine(FFd, PeakResidentKb());
    close(FFd);
    FFd = -1;
  }
  return Quit;
}
