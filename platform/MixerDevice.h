#pragma once
// A sound device whose buffers live in our own mixer. The buffer calls are the same for every
// output (the SDL callback, an offline render in tests): each is a no-op while the device is
// closed and runs under the host's mixer lock. An output says only how it starts and locks.

#include <cstdint>

#include "platform/Mixer.h"
#include "platform/PlatformAudio.h"

class TMixerDevice : public IAudioDevice, public IMixerHost {
 public:
  // Opens when the output starts; false without one.
  bool Open() override;
  // Releases every buffer.
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

 protected:
  TMixer FMixer;

 private:
  bool FOpen = false;
};
