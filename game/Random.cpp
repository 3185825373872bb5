#include "game/Random.h"

void TRandom::SetSeed(uint32_t Seed) {
  // Spread the 32 seed bits over the whole state so that neighbouring seeds (clock ticks a
  // millisecond apart) start unrelated sequences; the state must never be 0.
  uint64_t Z = static_cast<uint64_t>(Seed) + 0x9E3779B97F4A7C15ull;
  Z = (Z ^ (Z >> 30)) * 0xBF58476D1CE4E5B9ull;
  Z = (Z ^ (Z >> 27)) * 0x94D049BB133111EBull;
  Z ^= Z >> 31;
  FState = Z != 0 ? Z : 0x2545F4914F6CDD1Dull;
}

// xorshift64*, upper half of the product.
uint32_t TRandom::Next() {
  FState ^= FState >> 12;
  FState ^= FState << 25;
  FState ^= FState >> 27;
  return static_cast<uint32_t>((FState * 0x2545F4914F6CDD1Dull) >> 32);
}

int32_t TRandom::Below(int32_t N) {
  if (N <= 0) return 0;
  const uint64_t Range = static_cast<uint64_t>(N);
  // Multiply-and-shift with rejection of the few low products that would favour some
  // values: uniform for every N, and the number of draws stays one in nearly every call.
  const uint32_t Threshold = static_cast<uint32_t>((0x100000000ull - Range) % Range);
  for (;;) {
    const uint64_t M = static_cast<uint64_t>(Next()) * Range;
    if (static_cast<uint32_t>(M) >= Threshold) return static_cast<int32_t>(M >> 32);
  }
}
