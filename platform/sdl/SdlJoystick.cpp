#include "platform/sdl/SdlJoystick.h"

#include <SDL.h>

#include "platform/PadMapping.h"

TSdlJoystick::~TSdlJoystick() {
  Close();
  if (FAvailable) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

bool TSdlJoystick::Start() {
  if (!FStarted) {
    FStarted = true;
    // The controller subsystem brings the joystick one with it.
    FAvailable = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
    // Polled once per frame; no joystick or controller events in the window's queue.
    if (FAvailable) {
      SDL_JoystickEventState(SDL_IGNORE);
      SDL_GameControllerEventState(SDL_IGNORE);
    }
  }
  return FAvailable;
}

int32_t TSdlJoystick::Count() {
  if (!Start()) return 0;
  // The update also runs SDL's device detection: a pad plugged in since is counted.
  SDL_JoystickUpdate();
  const int N = SDL_NumJoysticks();
  return N > 0 ? N : 0;
}

bool TSdlJoystick::Open(int32_t Index, TJoystickCaps& Caps) {
  Close();
  if (Index < 0 || Index >= Count()) return false;
  Caps = TJoystickCaps{};
  if (SDL_IsGameController(Index)) {
    FPad = SDL_GameControllerOpen(Index);
    if (FPad) {
      Caps.NumButtons = KPadButtonCount;
      return true;
    }
    // A mapping SDL cannot apply: read it as a plain joystick instead.
  }
  FStick = SDL_JoystickOpen(Index);
  if (!FStick) return false;
  Caps.NumButtons = SDL_JoystickNumButtons(FStick);
  if (Caps.NumButtons < 0) Caps.NumButtons = 0;
  if (Caps.NumButtons > 32) Caps.NumButtons = 32;
  return true;
}

bool TSdlJoystick::Read(TJoystickPosition& Position) {
  if (FPad) {
    SDL_GameControllerUpdate();
    if (!SDL_GameControllerGetAttached(FPad)) return false;
    auto Button = [this](SDL_GameControllerButton B) {
      return SDL_GameControllerGetButton(FPad, B) != 0;
    };
    TPadReading R;
    R.LeftX = SDL_GameControllerGetAxis(FPad, SDL_CONTROLLER_AXIS_LEFTX);
    R.LeftY = SDL_GameControllerGetAxis(FPad, SDL_CONTROLLER_AXIS_LEFTY);
    R.DpadUp = Button(SDL_CONTROLLER_BUTTON_DPAD_UP);
    R.DpadDown = Button(SDL_CONTROLLER_BUTTON_DPAD_DOWN);
    R.DpadLeft = Button(SDL_CONTROLLER_BUTTON_DPAD_LEFT);
    R.DpadRight = Button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
    R.A = Button(SDL_CONTROLLER_BUTTON_A);
    R.B = Button(SDL_CONTROLLER_BUTTON_B);
    R.X = Button(SDL_CONTROLLER_BUTTON_X);
    R.Y = Button(SDL_CONTROLLER_BUTTON_Y);
    R.Back = Button(SDL_CONTROLLER_BUTTON_BACK);
    R.Start = Button(SDL_CONTROLLER_BUTTON_START);
    Position = PadPosition(R);
    return true;
  }
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
  if (FPad) SDL_GameControllerClose(FPad);
  if (FStick) SDL_JoystickClose(FStick);
  FPad = nullptr;
  FStick = nullptr;
}
