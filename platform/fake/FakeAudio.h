#pragma once
// An offline sound device for tests: the real mixer, rendered only when a test asks
// (Render, Advance), and a record of what was played. No thread, no lock. A test hands it to
// the fake platform with SetAudio when it wants to hear what the game mixes.

#include <cstdint>
#include <vector>

#include "platform/Mixer.h"
#include "platform/PlatformAudio.h"

class TFakeAudio final : public IAudioDevice, public IMixerHost {
 public:
  // Available false behaves like a machine without a sound card: Open fails.
  explicit TFakeAudio(bool Available = true) : FAvailable(Available) {}
  void SetAvailable(bool Available) { FAvailable = Available; }

  bool Open() override;
  void Close() override;
  bool IsOpen() override { return FOpen; }
  TSoundBufferId CreateBuffer(const TWaveFormat& Format, TSampleData Samples) override;
  TSoundBufferId DuplicateBuffer(TSoundBufferId Source) override;
  void ReleaseBuffer(TSoundBufferId Buffer) override;
  void Play(TSoundBufferId Buffer, bool Looped) override;
  void Stop(TSoundBufferId Buffer) override;
  void SetPosition(TSoundBufferId Buffer, uint32_t ByteOffset) override;
  uint32_t GetPosition(TSoundBufferId Buffer) override;
  bool IsPlaying(TSoundBufferId Buffer) override;
  void SetFrequency(TSoundBufferId Buffer, uint32_t Hz) override;
  void SetPan(TSoundBufferId Buffer, int32_t Pan) override;
  void SetVolume(TSoundBufferId Buffer, int32_t Volume) override;

  TMixer& Mixer() override { return FMixer; }
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
  TMixer FMixer;
  bool FAvailable;
  bool FOpen = false;
  std::vector<TPlayRecord> FPlays;
};
