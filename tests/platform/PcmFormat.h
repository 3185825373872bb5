#pragma once
// The wave format record of plain PCM, as the sound tests build their sounds.

#include <cstdint>

#include "platform/PlatformAudio.h"

inline TWaveFormat Pcm(uint16_t Channels, uint16_t Bits, uint32_t Rate) {
  TWaveFormat F;
  F.Channels = Channels;
  F.BitsPerSample = Bits;
  F.SamplesPerSec = Rate;
  F.BlockAlign = static_cast<uint16_t>(Channels * Bits / 8);
  F.AvgBytesPerSec = Rate * F.BlockAlign;
  return F;
}
