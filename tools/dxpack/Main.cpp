// dxpack: the pack builder. See Usage() for the commands.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tools/dxpack/Commands.h"
#include "tools/dxpack/Icon.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage:\n"
               "  dxpack build MANIFEST OUT       build a pack from its manifest\n"
               "  dxpack list PACK                one line per item\n"
               "  dxpack extract PACK DIR         each picture as NAME.png, sound as NAME.wav\n"
               "  dxpack sheet PACK OUT.png       contact sheet of every item\n"
               "  dxpack render PALETTE SVG OUT.png   rasterise one source for preview\n"
               "  dxpack icon PALETTE SVG OUT.png SIZE  render an icon, transparency kept\n"
               "  dxpack icon PALETTE SVG OUT.svg       the icon source, colours resolved\n");
  return 2;
}

}  // namespace

int main(int Argc, char** Argv) {
  std::vector<std::string> Args(Argv + 1, Argv + Argc);
  if (Args.empty()) return Usage();
  const std::string Cmd = Args[0];
  Args.erase(Args.begin());
  std::string Error;
  bool Ok;
  if (Cmd == "build" && Args.size() == 2) {
    Ok = dxpack::CommandBuild(Args[0], Args[1], Error);
  } else if (Cmd == "list" && Args.size() == 1) {
    std::string Out;
    Ok = dxpack::CommandList(Args[0], Out, Error);
    std::fputs(Out.c_str(), stdout);
  } else if (Cmd == "extract" && Args.size() == 2) {
    Ok = dxpack::CommandExtract(Args[0], Args[1], Error);
  } else if (Cmd == "sheet" && Args.size() == 2) {
    Ok = dxpack::CommandSheet(Args[0], Args[1], Error);
  } else if (Cmd == "render" && Args.size() == 3) {
    Ok = dxpack::CommandRender(Args[0], Args[1], Args[2], Error);
  } else if (Cmd == "icon" && (Args.size() == 3 || Args.size() == 4)) {
    const int32_t Size = Args.size() == 4 ? std::atoi(Args[3].c_str()) : 0;
    if (Args.size() == 4 && Size <= 0) return Usage();
    Ok = dxpack::CommandIcon(Args[0], Args[1], Args[2], Size, Error);
  } else {
    return Usage();
  }
  if (!Ok) {
    std::fprintf(stderr, "dxpack %s: %s\n", Cmd.c_str(), Error.c_str());
    return 1;
  }
  return 0;
}
