#pragma once
// Recorded games: the check of the main window's state after each frame, the start files a
// recording carries, and playing a recording back headless to see whether the program still
// reaches the same state in every frame.

#include <cstdint>
#include <functional>
#include <string>

#include "platform/Platform.h"
#include "platform/replay/RecordingPlatform.h"
#include "platform/replay/ReplayFile.h"

class TMForm;

// Score, level, lives, screen, dialog, the duck's place, and hashes of every sprite's
// position and of the random generator.
TReplayCheck ReplayCheckOf(const TMForm& Form);

// Records the game played on a main window built on Platform(): call Started after
// FormCreate succeeded, FrameDone after every RunFrame, Save at the end.
class TGameRecorder {
 public:
  explicit TGameRecorder(TPlatform& Real) : FRecording(Real) {}
  TPlatform& Platform() { return FRecording; }
  // Before FormCreate: keeps the save files the game is about to read.
  void KeepStartFiles(const TMForm& Form);
  // After FormCreate: the seed, and the first frame (start-up).
  void Started(const TMForm& Form);
  void FrameDone(const TMForm& Form);
  // The game has ended (or failed): no more frames come.
  void Stop() { FRecording.RecordingHttp().Stop(); }
  const TReplay& Replay() const { return FRecording.Replay(); }
  // Throws EReplayError naming the file when it cannot be written.
  void Save(const std::string& FileName) const { SaveReplay(Replay(), FileName); }

 private:
  TRecordingPlatform FRecording;
};

struct TPlaybackSettings {
  std::string DataRoot;         // the playable folder the packs are read from ("" = here)
  std::string ScratchDir;       // where the start files are written and the game saves (required)
  TPlatform* Viewer = nullptr;  // shows the picture and plays the sound when given
  bool StopAtDifference = true;
  // Called after every frame played (for a viewer's pacing or a progress line).
  std::function<void(size_t Frame, const TMForm& Form)> AfterFrame;
  // Bounds for a recording from anyone: at most MaxFrames frames are played (0: all), and
  // OutOfTime is asked after every frame; either ends the playback with Error saying so.
  size_t MaxFrames = 0;
  std::function<bool()> OutOfTime;
};

struct TPlaybackResult {
  bool Started = false;         // the game started; else Error says why
  std::string Error;            // a damaged tape or a start that failed
  size_t Frames = 0;            // frames played
  int64_t FirstDifferent = -1;  // the first frame whose state differs, -1 when none
  std::string Difference;       // "frame 1234: score 150 != 160"
  std::string AskedDifference;  // the first frame that asked the machine differently
  TReplayCheck Final;           // the state after the last frame played
  bool Ok() const { return Started && Error.empty() && FirstDifferent < 0; }
};

TPlaybackResult PlayReplay(const TReplay& Replay, const TPlaybackSettings& Settings);
