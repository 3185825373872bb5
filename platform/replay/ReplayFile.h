#pragma once
// A recorded game: everything the game read from the machine, frame by frame (events, clock
// ticks, the key table, the joystick, the pointer, the window's answers), the random seed,
// the save files it started from, and after every frame a small check of the game's state.
// Played back through the same platform seam, the same program reaches the same state in
// every frame; the checks say where it first does not.
//
// File layout (all integers little-endian):
//   8 bytes  "TBREPLAY"
//   u32      format version (1)
//   u32      length of the body before compression
//   u32      CRC-32 of the body before compression
//   ...      the body, zlib-compressed
// The body is a sequence of unsigned LEB128 numbers ("varints"), zig-zag varints for signed
// values, and strings as a varint length and the bytes:
//   seed; the start files (count, then name, present flag, bytes); the text extents (count,
//   then font handle, text, width, height); the tape (length, bytes); the frame count, then
//   per frame the length of its part of the tape; then the checks of every frame, each field
//   as the zig-zag difference from the previous frame's, the two hashes as plain u32.

#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

class EReplayError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// What the game's state looked like after one frame.
struct TReplayCheck {
  int32_t Screen = 0;
  int32_t Dialog = 0;
  int32_t Score = 0;
  int32_t Level = 0;
  int32_t Lives = 0;
  int32_t MonstersLeft = 0;
  int32_t Sprites = 0;  // in the whole sprite tree
  int32_t PlayerX = 0;  // the duck's position, truncated; 0 while there is none
  int32_t PlayerY = 0;
  uint32_t Positions = 0;  // hash of every sprite's position, size and visibility
  uint32_t Random = 0;     // hash of the random generator's state

  bool operator==(const TReplayCheck&) const = default;
};

// "score 150 != 160, lives 2 != 3" (recorded first), empty when the two agree.
std::string DescribeDifference(const TReplayCheck& Recorded, const TReplayCheck& Played);

// A file as it was before the game started (a save file, say); absent files are kept too.
struct TStartFile {
  std::string Name;  // relative to the save folder: "Data/Save/options"
  bool Present = false;
  std::string Bytes;
};

struct TReplay {
  uint32_t Seed = 0;
  std::vector<TStartFile> StartFiles;
  // Width and height of every text measured, by the font handle the game had for it.
  std::map<std::pair<int32_t, std::string>, std::pair<int32_t, int32_t>> TextExtents;
  std::vector<uint8_t> Tape;       // the answers of the machine, in call order (ReplayTape.h)
  std::vector<uint32_t> FrameEnd;  // per frame: the end of its part of the tape
  std::vector<TReplayCheck> Checks;

  size_t FrameCount() const { return Checks.size(); }
  // Tape bytes of frame I: [Begin, End).
  uint32_t FrameBegin(size_t I) const { return I == 0 ? 0 : FrameEnd[I - 1]; }
};

// The largest body a file may declare: an hour of play is a few megabytes at most.
constexpr size_t KMaxReplayBody = size_t{512} << 20;

// The whole file; throws EReplayError naming what is wrong ("not a replay file",
// "truncated", "damaged: ...", "too large"). A body over MaxBody bytes is refused before
// anything is decompressed.
std::vector<uint8_t> ReplayFileBytes(const TReplay& Replay);
TReplay ParseReplayFile(const std::vector<uint8_t>& Bytes, size_t MaxBody = KMaxReplayBody);

// The body of a file, checked against the header's length and checksum but not read; and a
// body wrapped as a file with its length and checksum. A file made from a changed body passes
// every check of the wrapping, so only the body's own reader stands between it and the game.
std::vector<uint8_t> ReplayBodyOf(const std::vector<uint8_t>& Bytes,
                                  size_t MaxBody = KMaxReplayBody);
std::vector<uint8_t> ReplayFileOfBody(const std::vector<uint8_t>& Body);

// Written beside the target and renamed over it; throws EReplayError naming the file.
void SaveReplay(const TReplay& Replay, const std::string& FileName);
TReplay LoadReplay(const std::string& FileName);
