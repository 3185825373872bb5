#pragma once
// The number and string encoding of replay files: unsigned LEB128 varints, zig-zag for signed
// values, strings as a length and the bytes. The reader never reads past its end: a short or
// damaged buffer throws EReplayError. The names are the replay's own: the engine's pack reader
// has a TByteReader of its own, and two classes of one name in one program are one class to
// the linker.

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/replay/ReplayFile.h"

class TVarintWriter {
 public:
  explicit TVarintWriter(std::vector<uint8_t>& Out) : FOut(Out) {}
  void Byte(uint8_t B) { FOut.push_back(B); }
  void Unsigned(uint64_t V) {
    while (V >= 0x80) {
      FOut.push_back(static_cast<uint8_t>(V | 0x80));
      V >>= 7;
    }
    FOut.push_back(static_cast<uint8_t>(V));
  }
  void Signed(int64_t V) {
    Unsigned((static_cast<uint64_t>(V) << 1) ^ static_cast<uint64_t>(V >> 63));
  }
  void U32(uint32_t V) {
    for (int32_t I = 0; I < 4; ++I) FOut.push_back(static_cast<uint8_t>(V >> (8 * I)));
  }
  void Text(const std::string& S) {
    Unsigned(S.size());
    FOut.insert(FOut.end(), S.begin(), S.end());
  }

 private:
  std::vector<uint8_t>& FOut;
};

class TVarintReader {
 public:
  TVarintReader(const uint8_t* Data, size_t Size) : FData(Data), FSize(Size) {}
  bool AtEnd() const { return FPos >= FSize; }
  size_t Pos() const { return FPos; }
  size_t Left() const { return FSize - FPos; }
  uint8_t Byte() {
    Need(1);
    return FData[FPos++];
  }
  uint64_t Unsigned() {
    uint64_t V = 0;
    for (int32_t Shift = 0; Shift < 64; Shift += 7) {
      const uint8_t B = Byte();
      V |= static_cast<uint64_t>(B & 0x7F) << Shift;
      if ((B & 0x80) == 0) return V;
    }
    throw EReplayError("damaged: a number runs on past 64 bits");
  }
  int64_t Signed() {
    const uint64_t U = Unsigned();
    return static_cast<int64_t>(U >> 1) ^ -static_cast<int64_t>(U & 1);
  }
  // A count of things that each take at least one byte: never more than the bytes left, so
  // a damaged count cannot ask for a huge allocation.
  size_t Count() {
    const uint64_t N = Unsigned();
    if (N > Left())
      throw EReplayError("damaged: a count of " + std::to_string(N) + " is too large");
    return static_cast<size_t>(N);
  }
  int32_t Int() { return static_cast<int32_t>(Signed()); }
  uint32_t U32() {
    Need(4);
    uint32_t V = 0;
    for (int32_t I = 0; I < 4; ++I) V |= static_cast<uint32_t>(FData[FPos + I]) << (8 * I);
    FPos += 4;
    return V;
  }
  std::string Text() {
    const size_t N = Count();
    std::string S(reinterpret_cast<const char*>(FData + FPos), N);
    FPos += N;
    return S;
  }

 private:
  void Need(size_t N) const {
    if (FSize - FPos < N) throw EReplayError("truncated: the data ends too soon");
  }
  const uint8_t* FData;
  size_t FSize;
  size_t FPos = 0;
};
