// tallow-sound-bench [MODULE]: the mixer's cost per 10 ms of output. MODULE defaults to
// the menu music of the playable folder built beside this program.
#include <string>

#include "tools/soundbench/SoundBench.h"

int main(int argc, char** argv) {
  const std::string Module = argc > 1 ? argv[1] : TB_DEFAULT_MODULE;
  RunSoundBench(Module);
  return 0;
}
