#include "platform/sdl/SdlPlatform.h"

#include <SDL.h>

#include "platform/sdl/SdlAudio.h"
#include "platform/sdl/SdlFonts.h"
#include "platform/sdl/SdlHttp.h"
#include "platform/sdl/SdlJoystick.h"
#include "platform/sdl/SdlKeyboard.h"
#include "platform/sdl/SdlShell.h"
#include "platform/sdl/SdlWindow.h"
#include "platform/sdl/XmpMusic.h"

namespace {

// SDL_GetTicks: 32-bit milliseconds that wrap after 49.7 days, like timeGetTime.
class TSdlClock final : public IClock {
 public:
  uint32_t Ticks() override { return SDL_GetTicks(); }
  void Sleep(uint32_t Ms) override { SDL_Delay(Ms); }
};

}  // namespace

struct TSdlPlatform::TParts {
  // Members are destroyed in reverse: the window (and the video subsystem) last but one,
  // SDL itself after everything that used it.
  struct TSdlLife {
    TSdlLife() {
      // SDL would turn SIGINT and SIGTERM into a close request, which asks the player; the
      // program's own handlers (platform/SessionEnd.h) save and end instead.
      SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
      SDL_Init(0);
    }
    ~TSdlLife() { SDL_Quit(); }
  } Life;
  TSdlWindow Window;
  TSdlClock Clock;
  TSdlKeyboard Keyboard;
  TSdlJoystick Joystick;
  TSdlShell Shell;
  TSdlHttp Http;
  TSdlFonts Fonts;
  std::unique_ptr<IAudioDevice> Audio;
  std::unique_ptr<IMusicPlayer> Music;
};

TSdlPlatform::TSdlPlatform() : F(std::make_unique<TParts>()) {
  // SetAudio / SetMusic may replace these from outside.
  // The mixer's SDL output, and the module player rendering into the same mixer.
  auto Audio = std::make_unique<TSdlAudio>();
  F->Music = std::make_unique<TXmpMusic>(*Audio);
  F->Audio = std::move(Audio);
}

TSdlPlatform::~TSdlPlatform() {
  // The music renders into the audio device: stop it first.
  F->Music.reset();
  F->Audio.reset();
}

IWindowSystem& TSdlPlatform::Window() {
  return F->Window;
}
IClock& TSdlPlatform::Clock() {
  return F->Clock;
}
IKeyboard& TSdlPlatform::Keyboard() {
  return F->Keyboard;
}
IJoystick& TSdlPlatform::Joystick() {
  return F->Joystick;
}
IAudioDevice& TSdlPlatform::Audio() {
  return *F->Audio;
}
IMusicPlayer& TSdlPlatform::Music() {
  return *F->Music;
}
IShell& TSdlPlatform::Shell() {
  return F->Shell;
}
IHttpClient& TSdlPlatform::Http() {
  return F->Http;
}
IFontSystem& TSdlPlatform::Fonts() {
  return F->Fonts;
}

void TSdlPlatform::SetAudio(std::unique_ptr<IAudioDevice> Device) {
  if (Device) F->Audio = std::move(Device);
}

void TSdlPlatform::SetMusic(std::unique_ptr<IMusicPlayer> Player) {
  if (Player) F->Music = std::move(Player);
}
