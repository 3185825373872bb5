// tallow-bench [--frames N] [--runs N] [--seconds S] [--game PROGRAM] [SECTION...]: runs the
// named sections (all without names) and prints their figures. --runs is the number of paired
// starts of the start section, --seconds the measured time of each run of the pacing section,
// --game the program both start from the playable folder (another build of the game, to
// compare).
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tools/bench/Bench.h"

namespace {

std::vector<TBenchSection> AllSections() {
  std::vector<TBenchSection> Sections;
  AddDrawSections(Sections);
  AddSoundSections(Sections);
  AddPlaySceneSections(Sections);
  AddStartSections(Sections);
  AddPacingSections(Sections);
  return Sections;
}

}  // namespace

int main(int argc, char** argv) {
  TBenchOptions Options;
  std::vector<std::string> Wanted;
  for (int I = 1; I < argc; ++I) {
    if (std::strcmp(argv[I], "--frames") == 0 && I + 1 < argc) {
      Options.Frames = std::max(1, std::atoi(argv[++I]));
    } else if (std::strcmp(argv[I], "--runs") == 0 && I + 1 < argc) {
      Options.Runs = std::max(1, std::atoi(argv[++I]));
    } else if (std::strcmp(argv[I], "--seconds") == 0 && I + 1 < argc) {
      Options.Seconds = std::max(1.0, std::atof(argv[++I]));
    } else if (std::strcmp(argv[I], "--game") == 0 && I + 1 < argc) {
      Options.Game = argv[++I];
    } else if (argv[I][0] == '-') {
      std::fprintf(stderr,
                   "usage: %s [--frames N] [--runs N] [--seconds S] [--game PROGRAM] "
                   "[SECTION...]\n",
                   argv[0]);
      return 2;
    } else {
      Wanted.emplace_back(argv[I]);
    }
  }
  const std::vector<TBenchSection> Sections = AllSections();
  int Ran = 0;
  for (const TBenchSection& S : Sections) {
    if (!Wanted.empty() && std::find(Wanted.begin(), Wanted.end(), S.Name) == Wanted.end())
      continue;
    if (S.ByFrames)
      std::printf("%s (median of %d frames)\n", S.Name.c_str(), Options.Frames);
    else
      std::printf("%s\n", S.Name.c_str());
    S.Run(Options);
    ++Ran;
  }
  if (Ran == 0) {
    std::fprintf(stderr, "no such section; sections:");
    for (const TBenchSection& S : Sections) std::fprintf(stderr, " %s", S.Name.c_str());
    std::fprintf(stderr, "\n");
    return 2;
  }
  return 0;
}
