#pragma once
// A pack's manifest (manifest.txt beside its sources): one item per line, '#' comments,
// whitespace-separated fields.
//   picture:  name source pattern_w pattern_h count skip_w skip_h key memory
//             (pattern 0 = the whole picture; key #rrggbb; memory system|video)
//   sound:    name source looped max_playing
//             (looped yes|no; max_playing 0 = no limit)
// A manifest holds one kind only.

#include <cstdint>
#include <string>
#include <vector>

namespace dxpack {

enum class TPackKind { Image, Sound };

struct TImageEntry {
  std::string Name;
  std::string Source;  // relative to the manifest's folder
  int32_t PatternWidth = 0;
  int32_t PatternHeight = 0;
  int32_t Count = 1;
  int32_t SkipWidth = 0;
  int32_t SkipHeight = 0;
  uint32_t KeyRgb = 0xFF00FF;  // 0x00RRGGBB
  bool SystemMemory = false;
  int Line = 0;
};

struct TSoundEntry {
  std::string Name;
  std::string Source;
  bool Looped = false;
  int32_t MaxPlayingCount = 0;
  int Line = 0;
};

struct TManifest {
  TPackKind Kind = TPackKind::Image;
  std::vector<TImageEntry> Images;
  std::vector<TSoundEntry> Sounds;
};

// Parses manifest text; on failure Error reads "FILE:LINE: fault".
bool ParseManifest(const std::string& Text, const std::string& FileName, TManifest& Manifest,
                   std::string& Error);

// Number of patterns the pack reader's grid gives for a picture of W x H; 0 when the
// pattern does not fit. Exact is set when the grid covers the picture without a rest, so a
// picture whose frames are misaligned with its pattern size can be told apart.
int32_t GridCount(int32_t W, int32_t H, int32_t PatternW, int32_t PatternH, int32_t SkipW,
                  int32_t SkipH, bool* Exact = nullptr);

}  // namespace dxpack
