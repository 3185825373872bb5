// xmwriter IN.score OUT.xm: compiles a score into an extended module.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "tools/xmwriter/Score.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: xmwriter IN.score OUT.xm\n");
    return 2;
  }
  std::vector<uint8_t> Xm;
  std::string Error;
  if (!CompileScoreFile(argv[1], Xm, Error)) {
    std::fprintf(stderr, "xmwriter: %s\n", Error.c_str());
    return 1;
  }
  std::ofstream Out(argv[2], std::ios::binary);
  Out.write(reinterpret_cast<const char*>(Xm.data()), static_cast<std::streamsize>(Xm.size()));
  Out.close();
  if (!Out) {
    std::fprintf(stderr, "xmwriter: %s: cannot be written\n", argv[2]);
    return 1;
  }
  return 0;
}
