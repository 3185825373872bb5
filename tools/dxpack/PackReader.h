#pragma once
// Reading a built pack back for listing, extracting and contact sheets. Pictures go through
// the engine's own reader (TPictureCollection), sounds through the engine's component
// stream reader, so dxpack sees exactly what the game will.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/DXTypes.h"

namespace dxpack {

struct TPackPicture {
  std::string Name;
  int32_t Width = 0, Height = 0;          // the whole picture
  int32_t BitCount = 0;                   // as stored in the pack
  int32_t ItemWidth = 0, ItemHeight = 0;  // one pattern
  int32_t SkipWidth = 0, SkipHeight = 0;
  uint32_t KeyRgb = 0;  // 0x00RRGGBB
  bool Transparent = true;
  bool SystemMemory = false;
  std::vector<uint32_t> Rgb;    // 0x00RRGGBB, rows top to bottom
  std::vector<TRect> Patterns;  // the reader's grid, row-major
};

struct TPackSound {
  std::string Name;
  bool Looped = false;
  int32_t MaxPlayingCount = 0;
  int32_t Channels = 0, Rate = 0, Bits = 0, FormatTag = 0;
  uint32_t DataBytes = 0;
  int64_t LengthMs = 0;
  std::vector<uint8_t> WaveFile;  // the whole RIFF/WAVE file as stored
};

struct TPackContents {
  bool IsSound = false;
  std::vector<TPackPicture> Pictures;
  std::vector<TPackSound> Sounds;
};

// False with Error "PATH: reason" when the file is missing or is not a readable pack.
bool ReadPack(const std::string& Path, TPackContents& Pack, std::string& Error);

// Format fields and length of a RIFF/WAVE file; false with the fault in Error.
bool InspectWave(const std::vector<uint8_t>& Wave, TPackSound& Sound, std::string& Error);

}  // namespace dxpack
