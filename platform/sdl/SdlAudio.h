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

#include "platform/MixerDevice.h"

// Whether a real sound output may exist: a driver asked for by name, a sound server's socket,
// or a sound card's device. False means SDL's real drivers would only fail.
bool SoundOutputMayExist();

class TSdlAudio final : public TMixerDevice {
 public:
  TSdlAudio() = default;
  ~TSdlAudio() override;
  TSdlAudio(const TSdlAudio&) = delete;
  TSdlAudio& operator=(const TSdlAudio&) = delete;

  bool StartOutput() override;
  void LockMixer() override;
  void UnlockMixer() override;

  // The SDL driver in use ("pulseaudio", "dummy", ...); empty while no output runs.
  const std::string& DriverName() const { return FDriver; }

 private:
  static void Callback(void* User, uint8_t* Stream, int Length);
  bool OpenOutput();

  uint32_t FDevice = 0;  // SDL_AudioDeviceID, 0 = none
  bool FSubsystem = false;
  bool FTried = false;  // an output was tried and failed: do not try again every call
  std::string FDriver;
};
