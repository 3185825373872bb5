#pragma once
// The one source of random numbers of the whole program. A game replays exactly from its
// seed and its inputs, so every rule draws from this generator, one named draw at a time,
// in the order the rules are written.

#include <cstdint>

class TRandom {
 public:
  explicit TRandom(uint32_t Seed = 0) { SetSeed(Seed); }
  void SetSeed(uint32_t Seed);
  // A whole number in 0 .. N - 1, every value equally likely; 0 when N <= 0.
  int32_t Below(int32_t N);
  // Where the sequence stands: two generators with the same state draw the same numbers.
  uint64_t State() const { return FState; }

 private:
  uint32_t Next();
  uint64_t FState = 0;
};
