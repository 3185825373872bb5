#include "engine/DXWave.h"

#include <algorithm>
#include <cstring>

namespace {

uint16_t Get16(const uint8_t* P) {
  return static_cast<uint16_t>(P[0] | (P[1] << 8));
}
uint32_t Get32(const uint8_t* P) {
  return static_cast<uint32_t>(P[0]) | (static_cast<uint32_t>(P[1]) << 8) |
         (static_cast<uint32_t>(P[2]) << 16) | (static_cast<uint32_t>(P[3]) << 24);
}
void Put16(std::vector<uint8_t>& Out, uint16_t V) {
  Out.push_back(static_cast<uint8_t>(V));
  Out.push_back(static_cast<uint8_t>(V >> 8));
}
void Put32(std::vector<uint8_t>& Out, uint32_t V) {
  for (int I = 0; I < 4; ++I) Out.push_back(static_cast<uint8_t>(V >> (8 * I)));
}
void PutId(std::vector<uint8_t>& Out, const char* Id) {
  for (int I = 0; I < 4; ++I) Out.push_back(static_cast<uint8_t>(Id[I]));
}

[[noreturn]] void Invalid() {
  throw EWaveStreamError("Wave is invalid");
}

}  // namespace

bool TWave::Format(TWaveFormat& Format) const {
  if (FFormat.size() < 16) return false;
  const uint8_t* P = FFormat.data();
  Format.FormatTag = Get16(P);
  Format.Channels = Get16(P + 2);
  Format.SamplesPerSec = Get32(P + 4);
  Format.AvgBytesPerSec = Get32(P + 8);
  Format.BlockAlign = Get16(P + 12);
  Format.BitsPerSample = Get16(P + 14);
  return true;
}

void TWave::SetFormat(const TWaveFormat& Format) {
  std::vector<uint8_t> B;
  Put16(B, Format.FormatTag);
  Put16(B, Format.Channels);
  Put32(B, Format.SamplesPerSec);
  Put32(B, Format.AvgBytesPerSec);
  Put16(B, Format.BlockAlign);
  Put16(B, Format.BitsPerSample);
  FFormat = std::move(B);
}

void TWave::SetSize(uint32_t Size) {
  const uint64_t Blocks = (static_cast<uint64_t>(Size) + kBlockBytes - 1) / kBlockBytes;
  const size_t Bytes = static_cast<size_t>(Blocks * kBlockBytes);
  if (Bytes != FData.size()) {
    std::vector<uint8_t> Fresh(Bytes, 0);
    // Either buffer may be empty (no storage at all): nothing to copy then.
    const size_t Kept = std::min<size_t>(FSize, Bytes);
    if (Kept > 0) std::memcpy(Fresh.data(), FData.data(), Kept);
    FData = std::move(Fresh);
  } else if (Size > FSize) {
    std::fill(FData.begin() + FSize, FData.begin() + Size, 0);
  }
  FSize = Size;
}

void TWave::SetSamples(const uint8_t* Bytes, uint32_t Size) {
  const uint64_t Blocks = (static_cast<uint64_t>(Size) + kBlockBytes - 1) / kBlockBytes;
  const size_t Capacity = static_cast<size_t>(Blocks * kBlockBytes);
  if (Capacity != FData.size()) {
    // Copied straight into a fresh buffer: only the tail of the last block is cleared.
    std::vector<uint8_t> Fresh;
    Fresh.reserve(Capacity);
    Fresh.assign(Bytes, Bytes + Size);
    Fresh.resize(Capacity, 0);
    FData = std::move(Fresh);
    FSize = Size;
    return;
  }
  SetSize(Size);
  if (Size) std::memcpy(FData.data(), Bytes, Size);
}

void TWave::Clear() {
  FFormat.clear();
  SetSize(0);
}

// RIFF header (12 bytes: "RIFF", 32-bit size, "WAVE"), then chunks of a 4-byte identifier,
// a 32-bit little-endian size and the data, with no pad byte after odd sizes. The list ends
// with the bytes or at an identifier of four zero bytes. The size in the header is ignored.
void TWave::LoadFromBytes(const uint8_t* Bytes, size_t Length) {
  if (Length < 12 || std::memcmp(Bytes, "RIFF", 4) != 0 || std::memcmp(Bytes + 8, "WAVE", 4) != 0)
    Invalid();
  std::vector<uint8_t> Format;
  const uint8_t* Samples = nullptr;
  uint32_t SampleSize = 0;
  size_t Pos = 12;
  while (Length - Pos >= 8) {
    const uint8_t* Id = Bytes + Pos;
    if (Get32(Id) == 0) break;
    const uint32_t Size = Get32(Id + 4);
    Pos += 8;
    const bool Fits = Size <= Length - Pos;
    if (std::memcmp(Id, "fmt ", 4) == 0) {
      if (!Fits) Invalid();
      Format.assign(Bytes + Pos, Bytes + Pos + Size);
    } else if (std::memcmp(Id, "data", 4) == 0) {
      if (!Fits) Invalid();
      Samples = Bytes + Pos;
      SampleSize = Size;
    } else if (!Fits) {
      break;  // an unknown trailing chunk cut short carries nothing we need
    }
    Pos += Size;
  }
  FFormat = std::move(Format);
  SetSamples(Samples, SampleSize);
}

std::vector<uint8_t> TWave::SaveToBytes() const {
  std::vector<uint8_t> Out;
  Out.reserve(28 + FFormat.size() + FSize);
  PutId(Out, "RIFF");
  Put32(Out, static_cast<uint32_t>(4 + 8 + FFormat.size() + 8 + FSize));
  PutId(Out, "WAVE");
  PutId(Out, "fmt ");
  Put32(Out, static_cast<uint32_t>(FFormat.size()));
  Out.insert(Out.end(), FFormat.begin(), FFormat.end());
  PutId(Out, "data");
  Put32(Out, FSize);
  Out.insert(Out.end(), FData.begin(), FData.begin() + FSize);
  return Out;
}
