#pragma once
// Image packs (".dxg") and sound packs (".dxw") as the engine reads them.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/DXSurface.h"

struct TImagePackItem {
  std::string Name;
  TDirectDrawSurface Picture;  // XRGB8888
  int32_t PatternWidth = 0;
  int32_t PatternHeight = 0;
  int32_t SkipWidth = 0;
  int32_t SkipHeight = 0;
  uint32_t TransparentColor = 0;  // 0x00BBGGRR like the item
  bool SystemMemory = false;
  bool Transparent = true;
  // 8: palette DIB (fails when the picture has more than 256 colours); 24: true colour;
  // 0: 8 when the picture has at most 256 colours, else 24.
  int32_t BitCount = 0;
};

// A picture from packed 8-bit red, green, blue triples, top row first (Stride bytes per
// row; 0 means 3 * Width).
TDirectDrawSurface SurfaceFromRgb(const uint8_t* Rgb, int32_t Width, int32_t Height,
                                  size_t Stride = 0);

struct TWavePackItem {
  std::string Name;
  bool Looped = false;
  int32_t MaxPlayingCount = 0;
  std::vector<uint8_t> WaveFile;  // a whole RIFF/WAVE file
};

// Each answers false with a reason in Error (naming the item) when an item cannot be
// written; Out then holds nothing useful.
bool WriteImagePack(const std::vector<TImagePackItem>& Items, std::vector<uint8_t>& Out,
                    std::string& Error);
bool WriteWavePack(const std::vector<TWavePackItem>& Items, std::vector<uint8_t>& Out,
                   std::string& Error);

// The "TDIB" picture data of one picture: a 40-byte information header, the palette
// (8-bit only) and the rows bottom-up, each padded to 4 bytes. BitCount 8, 24 or 0 as
// above; false with Error when the picture cannot be written so.
bool EncodeDib(const TDirectDrawSurface& Picture, int32_t BitCount, std::vector<uint8_t>& Out,
               std::string& Error);
