#pragma once
// The sound device: one SDL audio output at 44.1 kHz, signed 16-bit stereo, whose callback
// renders the mixer. Without a usable sound card it falls back to SDL's dummy driver, so
// the game keeps its timing and plays silently; when even that fails every call is a
// no-op. Calls from the game thread take the device's lock (SDL_LockAudioDevice) around
// the mixer.
//
// Open and Close govern the sound buffers only: Close releases them all. The output
// itself starts on first use (by the sounds or by the music) and stops with the object,
// so closing the sounds never cuts the music off.

#include <cstdint>
#include <string>

#include "platform/Mixer.h"
#include "platform/PlatformAudio.h"

class TSdlAudio final : public IAudioDevice, public IMixerHost {
 public:
  TSdlAudio() = default;
  ~TSdlAudio() override;
  TSdlAudio(const TSdlAudio&) = delete;
  TSdlAudio& operator=(const TSdlAudio&) = delete;

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
  bool StartOutput() override;
  void LockMixer() override;
  void UnlockMixer() override;

  // The SDL driver in use ("pulseaudio", "dummy", ...); empty while no output runs.
  const std::string& DriverName() const { return FDriver; }

 private:
  static void Callback(void* User, uint8_t* Stream, int Length);
  bool OpenOutput();

  TMixer FMixer{44100};
  uint32_t FDevice = 0;  // SDL_AudioDeviceID, 0 = none
  bool FSubsystem = false;
  bool FTried = false;  // an output was tried and failed: do not try again every call
  bool FOpen = false;
  std::string FDriver;
};
