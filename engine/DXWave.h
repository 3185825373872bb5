#pragma once
// The sound data of one named sound: the "fmt " chunk of a wave file kept byte for byte,
// and the sample bytes. Sample storage grows and shrinks in whole blocks of 8096 bytes and
// is reallocated only when the number of blocks changes; the length kept is exact.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/DXTypes.h"
#include "platform/PlatformAudio.h"

class EWaveStreamError : public EDXError {
 public:
  using EDXError::EDXError;
};

class TWave {
 public:
  static constexpr uint32_t kBlockBytes = 8096;

  // The "fmt " chunk as read: format tag (16), channels (16), sample rate (32), byte rate
  // (32), block alignment (16), bits per sample (16), then any extra bytes.
  const std::vector<uint8_t>& FormatBytes() const { return FFormat; }
  void SetFormatBytes(std::vector<uint8_t> Bytes) { FFormat = std::move(Bytes); }
  // The leading 16 bytes of the format block as a record; false when it is shorter.
  bool Format(TWaveFormat& Format) const;
  void SetFormat(const TWaveFormat& Format);

  const uint8_t* Data() const { return FData.data(); }
  uint32_t Size() const { return FSize; }
  // Bytes allocated for samples: Size rounded up to whole blocks.
  uint32_t Capacity() const { return static_cast<uint32_t>(FData.size()); }
  bool Empty() const { return FSize == 0; }
  // Keeps the first min(old, new) bytes; new bytes are 0.
  void SetSize(uint32_t Size);
  void SetSamples(const uint8_t* Bytes, uint32_t Size);
  void Clear();

  // Parses a RIFF/WAVE file. Raises EWaveStreamError "Wave is invalid" for a bad header or
  // a chunk that claims more bytes than the file holds.
  void LoadFromBytes(const uint8_t* Bytes, size_t Length);
  void LoadFromBytes(const std::vector<uint8_t>& Bytes) {
    LoadFromBytes(Bytes.data(), Bytes.size());
  }
  // A wave file of the format block and the samples: RIFF header, "fmt ", "data".
  std::vector<uint8_t> SaveToBytes() const;

 private:
  std::vector<uint8_t> FFormat;
  std::vector<uint8_t> FData;
  uint32_t FSize = 0;
};
