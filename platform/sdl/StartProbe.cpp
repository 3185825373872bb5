#include "platform/sdl/StartProbe.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

TStartProbe::TStartProbe() {
  if (const char* Fd = std::getenv("TB_PROBE_PICTURE_FD")) FFd = std::atoi(Fd);
  if (FFd <= 2) FFd = -1;  // never the standard streams
  if (const char* Quit = std::getenv("TB_PROBE_QUIT_AFTER")) FQuitAfter = std::atoll(Quit);
}

bool TStartProbe::PictureShown() {
  ++FShown;
  if (FShown == 1 && FFd >= 0) {
    const auto Now = std::chrono::steady_clock::now().time_since_epoch();
    char Line[32];
    const int Length = std::snprintf(
        Line, sizeof Line, "%lld\n",
        static_cast<long long>(std::chrono::duration_cast<std::chrono::microseconds>(Now).count()));
    if (write(FFd, Line, static_cast<size_t>(Length)) < 0) {
      // The benchmark went away; the program carries on.
    }
    close(FFd);
    FFd = -1;
  }
  return FQuitAfter > 0 && FShown == FQuitAfter;
}
