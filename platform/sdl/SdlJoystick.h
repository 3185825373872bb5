#pragma once
// The first joysticks SDL finds, read by polling. Axes are reported on 0 .. 65535 like the
// system joystick calls; the input states convert them with range and dead zone.

#include "platform/Platform.h"

struct _SDL_Joystick;

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
};
