#include "platform/sdl/SdlAudio.h"

#include <SDL.h>

#include <cstdio>

namespace {

// 1024 frames: about 23 ms of latency at 44.1 kHz, short enough for the cues.
constexpr Uint16 kCallbackFrames = 1024;

}  // namespace

TSdlAudio::~TSdlAudio() {
  if (FDevice) SDL_CloseAudioDevice(FDevice);
  FDevice = 0;
  if (FSubsystem) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void TSdlAudio::Callback(void* User, uint8_t* Stream, int Length) {
  // SDL holds the device lock while it calls us.
  auto* Self = static_cast<TSdlAudio*>(User);
  Self->FMixer.Render(reinterpret_cast<int16_t*>(Stream), static_cast<uint32_t>(Length) / 4);
}

bool TSdlAudio::OpenOutput() {
  SDL_AudioSpec Want{};
  Want.freq = static_cast<int>(FMixer.OutputRate());
  Want.format = AUDIO_S16SYS;
  Want.channels = 2;
  Want.samples = kCallbackFrames;
  Want.callback = &TSdlAudio::Callback;
  Want.userdata = this;
  SDL_AudioSpec Have{};
  // No changes allowed: SDL converts to whatever the hardware takes.
  FDevice = SDL_OpenAudioDevice(nullptr, 0, &Want, &Have, 0);
  if (!FDevice) return false;
  const char* Driver = SDL_GetCurrentAudioDriver();
  FDriver = Driver ? Driver : "";
  SDL_PauseAudioDevice(FDevice, 0);
  return true;
}

bool TSdlAudio::StartOutput() {
  if (FDevice) return true;
  if (FTried) return false;
  FTried = true;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {
    FSubsystem = true;
    if (OpenOutput()) return true;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    FSubsystem = false;
  }
  std::fprintf(stderr, "Sound: no sound device (%s); playing silently.\n", SDL_GetError());
  // The dummy driver consumes the output in real time, so sounds still start and end.
  SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {
    FSubsystem = true;
    if (OpenOutput()) return true;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    FSubsystem = false;
  }
  return false;
}

void TSdlAudio::LockMixer() {
  if (FDevice) SDL_LockAudioDevice(FDevice);
}

void TSdlAudio::UnlockMixer() {
  if (FDevice) SDL_UnlockAudioDevice(FDevice);
}
