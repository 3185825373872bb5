// The program's entry: the real platform, the main window, and the loop that runs it until
// the game shuts down.

#include <cstdio>
#include <exception>
#include <string>

#include "platform/sdl/SdlPlatform.h"
#include "shell/MainForm.h"

int main() {
  TSdlPlatform Platform;
  std::string Error;
  try {
    TMForm MForm(Platform);
    if (!MForm.FormCreate(Error)) {
      std::fprintf(stderr, "Tallow Brackles: %s\n", Error.c_str());
      // Without a display there is nobody to show a box to.
      if (Error.rfind("no display", 0) != 0)
        Platform.Window().ShowMessage("Tallow Brackles", Error);
      return 1;
    }
    while (!MForm.Terminated()) MForm.RunFrame();
  } catch (const std::exception& E) {
    // An engine error the game does not handle: say what it was instead of aborting.
    std::fprintf(stderr, "Tallow Brackles: %s\n", E.what());
    Platform.Window().ShowMessage("Tallow Brackles", E.what());
    return 1;
  }
  return 0;
}
