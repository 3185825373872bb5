#pragma once
// The real platform: SDL2 window, keyboard, joystick and clock, SDL2_ttf text with
// fontconfig faces, libcurl HTTP, the desktop's open action. This header is what the
// program's entry includes; it does not pull in SDL.

#include <memory>

#include "platform/Platform.h"
#include "platform/PlatformAudio.h"

class TSdlPlatform final : public TPlatform {
 public:
  TSdlPlatform();
  ~TSdlPlatform() override;
  TSdlPlatform(const TSdlPlatform&) = delete;
  TSdlPlatform& operator=(const TSdlPlatform&) = delete;

  IWindowSystem& Window() override;
  IClock& Clock() override;
  IKeyboard& Keyboard() override;
  IJoystick& Joystick() override;
  IAudioDevice& Audio() override;
  IMusicPlayer& Music() override;
  IShell& Shell() override;
  IHttpClient& Http() override;
  IFontSystem& Fonts() override;

  // The sound output and the module player. They start as silent no-op devices; the
  // constructor in SdlPlatform.cpp is where the SDL mixer and the module player are made.
  void SetAudio(std::unique_ptr<IAudioDevice> Device);
  void SetMusic(std::unique_ptr<IMusicPlayer> Player);

 private:
  struct TParts;
  std::unique_ptr<TParts> F;
};
