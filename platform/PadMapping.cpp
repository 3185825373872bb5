#include "platform/PadMapping.h"

TJoystickPosition PadPosition(const TPadReading& Pad) {
  TJoystickPosition P;
  // SDL's -32768 .. 32767 moved to 0 .. 65535, as the joystick's raw axes.
  P.X = static_cast<uint32_t>(static_cast<int32_t>(Pad.LeftX) + 32768);
  P.Y = static_cast<uint32_t>(static_cast<int32_t>(Pad.LeftY) + 32768);
  P.Z = 32767;
  // The d-pad is a full deflection and wins over the stick on its axis.
  if (Pad.DpadLeft != Pad.DpadRight) P.X = Pad.DpadLeft ? 0 : 65535;
  if (Pad.DpadUp != Pad.DpadDown) P.Y = Pad.DpadUp ? 0 : 65535;
  auto Set = [&P](bool Down, int32_t Bit) {
    if (Down) P.Buttons |= 1u << Bit;
  };
  Set(Pad.A, 0);
  Set(Pad.A, KJoystickConfirmBit);
  Set(Pad.X, 1);
  Set(Pad.Y, 2);
  Set(Pad.Start, 5);
  Set(Pad.B, 7);
  Set(Pad.B, 8);
  Set(Pad.Back, 8);
  return P;
}
