#pragma once
// The tape of a replay: every answer the machine gave the game, in call order, one entry per
// call, each a tag byte and its payload. Clock ticks are kept as the difference from the
// previous tick, the key table as the entries that changed since the previous table, so a
// frame of ordinary play takes a handful of bytes before compression.

#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/Platform.h"

enum class TTapeTag : uint8_t {
  Ticks = 1,
  Event = 2,    // PollEvent answered an event
  NoEvent = 3,  // PollEvent answered none
  KeyTable = 4,
  Foreground = 5,
  CursorPos = 6,
  ClientOrigin = 7,
  RefreshRate = 8,
  PacedRate = 9,
  DisplayModes = 10,
  ShowCursor = 11,
  FullScreen = 12,  // the answer of SetFullScreen
  Placement = 13,
  Present = 14,
  CreateWindow = 15,
  JoystickCount = 16,
  JoystickOpen = 17,
  JoystickRead = 18,
  OpenFont = 19,
  Upload = 20,  // a request of the network ended (and whether it was answered)
};

// Appends entries to a replay's tape.
class TTapeWriter {
 public:
  explicit TTapeWriter(std::vector<uint8_t>& Tape) : FTape(Tape) {}
  void Ticks(uint32_t Now);
  void Event(const TPlatformEvent* Event);  // nullptr: no event
  void KeyTable(const uint8_t Table[256]);
  void Flag(TTapeTag Tag, bool Value);
  void Number(TTapeTag Tag, int32_t Value);
  void Point(TTapeTag Tag, int32_t X, int32_t Y);
  void DisplayModes(const std::vector<TDisplayMode>& Modes);
  void Placement(const TWindowPlacement& P);
  void CreateWindow(bool Ok, const std::string& Error);
  void JoystickOpen(bool Ok, const TJoystickCaps& Caps);
  void JoystickRead(bool Ok, const TJoystickPosition& Position);

 private:
  std::vector<uint8_t>& FTape;
  uint32_t FLastTicks = 0;
  std::array<uint8_t, 256> FKeys{};
};

// The answers of one frame, each kind in its own queue in call order.
struct TFrameAnswers {
  std::deque<uint32_t> Ticks;
  std::deque<std::optional<TPlatformEvent>> Events;
  std::deque<std::array<uint8_t, 256>> KeyTables;
  std::deque<bool> Foreground, FullScreen, Present;
  std::deque<std::pair<int32_t, int32_t>> CursorPos, ClientOrigin;
  std::deque<int32_t> RefreshRate, PacedRate, ShowCursor, JoystickCount, OpenFont;
  std::deque<std::vector<TDisplayMode>> DisplayModes;
  std::deque<TWindowPlacement> Placement;
  std::deque<std::pair<bool, std::string>> CreateWindow;
  std::deque<std::pair<bool, TJoystickCaps>> JoystickOpen;
  std::deque<std::pair<bool, TJoystickPosition>> JoystickRead;
  std::deque<bool> Uploads;

  size_t Size() const;
};

// Reads a tape frame by frame; the differences carry over from one frame to the next, so
// the frames are read in order. Throws EReplayError on a damaged tape.
class TTapeReader {
 public:
  void ReadFrame(const uint8_t* Data, size_t Size, TFrameAnswers& Out);

 private:
  uint32_t FLastTicks = 0;
  std::array<uint8_t, 256> FKeys{};
};
