#include "platform/sdl/SdlAudio.h"

#include <SDL.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

// 1024 frames: about 23 ms of latency at 44.1 kHz, short enough for the cues.
constexpr Uint16 kCallbackFrames = 1024;

bool Exists(const std::string& Path) {
  std::error_code Ec;
  return std::filesystem::exists(Path, Ec);
}

}  // namespace

bool SoundOutputMayExist() {
  // A driver named by the user is always tried.
  const char* Asked = SDL_getenv("SDL_AUDIODRIVER");
  if (Asked && *Asked) return true;
  // A sound server: PulseAudio (or PipeWire's stand-in for it), PipeWire, JACK.
  if (SDL_getenv("PULSE_SERVER")) return true;
  const char* Runtime = SDL_getenv("XDG_RUNTIME_DIR");
  if (Runtime && *Runtime) {
    const std::string Dir = Runtime;
    for (const char* Socket : {"/pulse/native", "/pipewire-0", "/jack-default"})
      if (Exists(Dir + Socket)) return true;
  }
  if (Exists("/run/pulse/native")) return true;  // a system-wide server
  // A sound card for ALSA or OSS.
  std::error_code Ec;
  for (const auto& Entry : std::filesystem::directory_iterator("/dev/snd", Ec))
    if (Entry.path().filename().string().rfind("pcmC", 0) == 0) return true;
  return Exists("/dev/dsp");
}

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
  // Without a sound card or a sound server, trying the real drivers costs a failed open and
  // then a slow close (about 100 ms for ALSA): go straight to the silent output.
  const bool MayExist = SoundOutputMayExist();
  if (MayExist && SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {
    FSubsystem = true;
    if (OpenOutput()) return true;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    FSubsystem = false;
  }
  std::fprintf(stderr, "Sound: no sound device (%s); playing silently.\n",
               MayExist ? SDL_GetError() : "no sound card or sound server found");
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
