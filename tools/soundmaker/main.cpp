// soundmaker IN.snd OUT.wav: renders one parameter file into a wave file.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "tools/soundmaker/SoundMaker.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: soundmaker IN.snd OUT.wav\n");
    return 2;
  }
  std::vector<uint8_t> Wave;
  std::string Error;
  if (!RenderSoundFile(argv[1], Wave, Error)) {
    std::fprintf(stderr, "soundmaker: %s\n", Error.c_str());
    return 1;
  }
  std::ofstream Out(argv[2], std::ios::binary);
  Out.write(reinterpret_cast<const char*>(Wave.data()), static_cast<std::streamsize>(Wave.size()));
  Out.close();
  if (!Out) {
    std::fprintf(stderr, "soundmaker: %s: cannot be written\n", argv[2]);
    return 1;
  }
  return 0;
}
