#include "platform/sdl/SdlJoystick.h"

#include <SDL.h>

TSdlJoystick::~TSdlJoystick() {
  Close();
  if (FAvailable) SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
}

bool TSdlJoystick::Start() {
  if (!FStarted) {
    FStarted = true;
    FAvailable = SDL_InitSubSystem(SDL_INIT_JOYSTICK) == 0;
    // Polled once per frame; no joystick events in the window's queue.
    if (FAvailable) SDL_JoystickEventState(SDL_IGNORE);
  }
  return FAvailable;
}

int32_t TSdlJoystick::Count() {
  if (!Start()) return 0;
  const int N = SDL_NumJoysticks();
  return N > 0 ? N : 0;
}

bool TSdlJoystick::Open(int32_t Index, TJoystickCaps& Caps) {
  Close();
  if (Index < 0 || Index >= Count()) return false;
  FStick = SDL_JoystickOpen(Index);
  if (!FStick) return false;
  Caps = TJoystickCaps{};
  Caps.NumButtons = SDL_JoystickNumButtons(FStick);
  if (Caps.NumButtons < 0) Caps.NumButtons = 0;
  if (Caps.NumButtons > 32) Caps.NumButtons = 32;
  return true;
}

bool TSdlJoystick::Read(TJoystickPosition& Position) {
  if (!FStick) return false;
  SDL_JoystickUpdate();
  if (!SDL_JoystickGetAttached(FStick)) return false;
  const int Axes = SDL_JoystickNumAxes(FStick);
  // SDL's -32768 .. 32767 moved to 0 .. 65535; a missing axis rests at the centre.
  auto Axis = [&](int I) -> uint32_t {
    if (I >= Axes) return 32767;
    return static_cast<uint32_t>(static_cast<int32_t>(SDL_JoystickGetAxis(FStick, I)) + 32768);
  };
  Position.X = Axis(0);
  Position.Y = Axis(1);
  Position.Z = Axis(2);
  Position.Buttons = 0;
  const int Buttons = SDL_JoystickNumButtons(FStick);
  for (int I = 0; I < Buttons && I < 32; ++I)
    if (SDL_JoystickGetButton(FStick, I)) Position.Buttons |= 1u << I;
  return true;
}

void TSdlJoystick::Close() {
  if (FStick) SDL_JoystickClose(FStick);
  FStick = nullptr;
}
