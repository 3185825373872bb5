// tallow-bench-bare: a bare SDL window, the yardstick of tallow-bench's start-up section.
#include "platform/sdl/BareWindow.h"

int main() {
  return RunBareWindow();
}
