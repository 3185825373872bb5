#pragma once
// How a game controller (a pad with a standard layout) is seen by the game: as a joystick
// whose X and Y come from the left stick, overruled by the d-pad, and whose button bits
// carry the controls of the input states:
//   A       bit 0 (fire)  and the confirm bit (press the highlighted button, as Enter)
//   X, Y    bits 1, 2 (fire)
//   Start   bit 5 (the pause state, as P)
//   B       bits 7 and 8 (the No and Escape states, as N and Esc)
//   Back    bit 8 (Escape)

#include <cstdint>

#include "platform/Platform.h"

struct TPadReading {
  int16_t LeftX = 0, LeftY = 0;  // -32768 .. 32767, up and left negative
  bool DpadUp = false, DpadDown = false, DpadLeft = false, DpadRight = false;
  bool A = false, B = false, X = false, Y = false, Back = false, Start = false;
};

TJoystickPosition PadPosition(const TPadReading& Pad);
// The button count a pad reports: every bit above is within it.
constexpr int32_t KPadButtonCount = KJoystickConfirmBit + 1;
