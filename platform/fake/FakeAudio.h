#pragma once
// An offline sound device for tests: the real mixer, rendered only when a test asks
// (Render, Advance), and a record of what was played. No thread, no lock. A test hands it to
// the fake platform with SetAudio when it wants to hear what the game mixes.

#include <cstdint>
#include <vector>

#include "platform/MixerDevice.h"

class TFakeAudio final : public TMixerDevice {
 public:
  // Available false behaves like a machine without a sound card: Open fails.
  explicit TFakeAudio(bool Available = true) : FAvailable(Available) {}
  void SetAvailable(bool Available) { FAvailable = Available; }

  // Plays like any mixer device and records the play of a buffer that exists.
  void Play(TSoundBufferId Buffer, bool Looped) override;

  bool StartOutput() override { return FAvailable; }
  void LockMixer() override {}
  void UnlockMixer() override {}

  // Renders Frames stereo frames of output (left, right interleaved).
  std::vector<int16_t> Render(uint32_t Frames);
  // Renders and discards Ms milliseconds of output, as if that much time had passed.
  void Advance(uint32_t Ms);

  struct TPlayRecord {
    TSoundBufferId Buffer;
    bool Looped;
  };
  const std::vector<TPlayRecord>& Plays() const { return FPlays; }
  void ClearPlays() { FPlays.clear(); }

 private:
  bool FAvailable;
  std::vector<TPlayRecord> FPlays;
};
