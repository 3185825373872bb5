#pragma once
// The joysticks and game controllers SDL finds, read by polling. Axes are reported on
// 0 .. 65535 like the system joystick calls; the input states convert them with range and
// dead zone. A device SDL knows as a game controller is read through its standard layout
// (PadMapping.h); any other as a plain joystick. Devices may come and go while the game
// runs: Count() looks for newly plugged ones, Read() fails once the open one is gone.

#include "platform/Platform.h"

struct _SDL_Joystick;
struct _SDL_GameController;

class TSdlJoystick final : public IJoystick {
 public:
  ~TSdlJoystick() override;
  int32_t Count() override;
  bool Open(int32_t Index, TJoystickCaps& Caps) override;
  bool Read(TJoystickPosition& Position) override;
  void Close() override;

 private:
  bool Start();
  bool FStarted = false;
  bool FAvailable = false;
  _SDL_Joystick* FStick = nullptr;
  _SDL_GameController* FPad = nullptr;
};
