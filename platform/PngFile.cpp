#include "platform/PngFile.h"

#include <zlib.h>

#include <cstdio>
#include <vector>

#include "platform/Files.h"

namespace {

void PutU32(std::vector<uint8_t>& Out, uint32_t V) {
  Out.push_back(static_cast<uint8_t>(V >> 24));
  Out.push_back(static_cast<uint8_t>(V >> 16));
  Out.push_back(static_cast<uint8_t>(V >> 8));
  Out.push_back(static_cast<uint8_t>(V));
}

// One chunk: length, type, data, and the CRC of type and data.
void PutChunk(std::vector<uint8_t>& Out, const char Type[4], const std::vector<uint8_t>& Data) {
  PutU32(Out, static_cast<uint32_t>(Data.size()));
  const size_t TypeAt = Out.size();
  Out.insert(Out.end(), Type, Type + 4);
  Out.insert(Out.end(), Data.begin(), Data.end());
  const uLong Crc = crc32(0L, Out.data() + TypeAt, static_cast<uInt>(Out.size() - TypeAt));
  PutU32(Out, static_cast<uint32_t>(Crc));
}

}  // namespace

bool WritePngFile(const std::string& Path, const uint32_t* Pixels, int32_t Width, int32_t Height,
                  int32_t PitchBytes, std::string& Error) {
  if (!Pixels || Width <= 0 || Height <= 0 || Width > 16384 || Height > 16384 ||
      PitchBytes < Width * 4) {
    Error = Path + ": no picture to write";
    return false;
  }
  // Each row: filter byte 0 (none), then R, G, B.
  const size_t RowBytes = 1 + static_cast<size_t>(Width) * 3;
  std::vector<uint8_t> Raw(RowBytes * static_cast<size_t>(Height));
  for (int32_t Y = 0; Y < Height; ++Y) {
    const auto* Row = reinterpret_cast<const uint32_t*>(reinterpret_cast<const uint8_t*>(Pixels) +
                                                        static_cast<size_t>(Y) * PitchBytes);
    uint8_t* Dst = Raw.data() + static_cast<size_t>(Y) * RowBytes;
    *Dst++ = 0;
    for (int32_t X = 0; X < Width; ++X) {
      *Dst++ = static_cast<uint8_t>(Row[X] >> 16);
      *Dst++ = static_cast<uint8_t>(Row[X] >> 8);
      *Dst++ = static_cast<uint8_t>(Row[X]);
    }
  }
  uLongf PackedSize = compressBound(static_cast<uLong>(Raw.size()));
  std::vector<uint8_t> Packed(PackedSize);
  if (compress2(Packed.data(), &PackedSize, Raw.data(), static_cast<uLong>(Raw.size()), 6) !=
      Z_OK) {
    Error = Path + ": cannot compress the picture";
    return false;
  }
  Packed.resize(PackedSize);

  std::vector<uint8_t> File = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> Header;
  PutU32(Header, static_cast<uint32_t>(Width));
  PutU32(Header, static_cast<uint32_t>(Height));
  Header.insert(Header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, no filter, no interlace
  PutChunk(File, "IHDR", Header);
  PutChunk(File, "IDAT", Packed);
  PutChunk(File, "IEND", {});

  std::string Content(File.begin(), File.end());
  std::string Reason;
  const std::string Temp = WriteTempBeside(Path, Content, Reason);
  if (Temp.empty()) {
    Error = Path + ": cannot write the file (" + Reason + ")";
    return false;
  }
  if (!RenameOver(Temp, Path, Reason)) {
    RemoveFile(Temp);
    Error = Path + ": cannot write the file (" + Reason + ")";
    return false;
  }
  return true;
}
