#pragma once
// 32-bit xorshift noise shared by the sound maker and the module writer's instruments: the
// same seed gives the same noise on every machine, so sounds and modules build the same.

#include <cstdint>

class TNoise {
 public:
  // xorshift never leaves 0, so a seed of 0 takes the caller's ZeroSeed instead.
  TNoise(uint32_t Seed, uint32_t ZeroSeed) : State(Seed ? Seed : ZeroSeed) {}
  double Next() {  // -1 .. 1
    State ^= State << 13;
    State ^= State >> 17;
    State ^= State << 5;
    return static_cast<double>(State) / 2147483648.0 - 1.0;
  }

 private:
  uint32_t State;
};
