#pragma once
// The benchmark's frame: sections that each time some work and print their figures. It is
// not a test: it only prints, and the ratios to a baseline measured in the same run are
// what to read.
//
// Adding a section: write tools/bench/YourBench.cpp with a function
//   void AddYourSections(std::vector<TBenchSection>& Sections);
// that appends one or more sections, declare it below, call it from AllSections() in
// Main.cpp, and add the file to tools/bench/CMakeLists.txt (with any library it needs).

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

struct TBenchOptions {
  int32_t Frames = 2000;  // repetitions of each timed step
  int32_t Runs = 11;      // pairs of started programs of the start-up section
  std::string Game;  // the program the start-up and pacing sections start (the built game if empty)
  double Seconds = 10;  // measured seconds of each run of the pacing section
};

struct TBenchSection {
  std::string Name;  // chosen on the command line by this name
  std::function<void(const TBenchOptions&)> Run;
  bool ByFrames = true;  // its figures are medians of --frames repetitions
};

// Median microseconds of Frames calls of Step (after a few untimed warm-up calls); Prepare
// runs untimed before each call.
template <class TPrepare, class TStep>
double MedianMicros(int32_t Frames, TPrepare&& Prepare, TStep&& Step) {
  for (int32_t I = 0; I < 20; ++I) {
    Prepare(I);
    Step(I);
  }
  std::vector<double> Times(static_cast<size_t>(std::max(Frames, 1)));
  for (size_t I = 0; I < Times.size(); ++I) {
    Prepare(static_cast<int32_t>(I));
    const auto T0 = std::chrono::steady_clock::now();
    Step(static_cast<int32_t>(I));
    const auto T1 = std::chrono::steady_clock::now();
    Times[I] = std::chrono::duration<double, std::micro>(T1 - T0).count();
  }
  std::nth_element(Times.begin(), Times.begin() + static_cast<long>(Times.size() / 2), Times.end());
  return Times[Times.size() / 2];
}

template <class TStep>
double MedianMicros(int32_t Frames, TStep&& Step) {
  return MedianMicros(
      Frames, [](int32_t) {}, Step);
}

inline void PrintFigure(const char* What, double Micros) {
  std::printf("  %-46s %10.1f us\n", What, Micros);
}

inline void PrintRatio(const char* What, double Ratio, const char* Target = nullptr) {
  if (Target != nullptr)
    std::printf("  %-46s %10.2f x   (target %s)\n", What, Ratio, Target);
  else
    std::printf("  %-46s %10.2f x\n", What, Ratio);
}

// Section lists of the files of this folder.
void AddDrawSections(std::vector<TBenchSection>& Sections);
void AddSoundSections(std::vector<TBenchSection>& Sections);
void AddPlaySceneSections(std::vector<TBenchSection>& Sections);
void AddStartSections(std::vector<TBenchSection>& Sections);
void AddPacingSections(std::vector<TBenchSection>& Sections);
