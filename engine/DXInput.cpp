#include "engine/DXInput.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

// a * b / c rounded to nearest, halves away from zero; 64-bit so no step overflows.
int64_t MulDivRound(int64_t A, int64_t B, int64_t C) {
  const int64_t N = A * B;
  const bool Negative = (N < 0) != (C < 0);
  const int64_t Q = (std::llabs(N) * 2 + std::llabs(C)) / (std::llabs(C) * 2);
  return Negative ? -Q : Q;
}

}  // namespace

int32_t AssignedKey(const TKeyAssigns& Assigns, TDXInputState State, int32_t Slot) {
  const size_t At = (static_cast<size_t>(State) * 3 + static_cast<size_t>(Slot)) * 4;
  return static_cast<int32_t>(
      static_cast<uint32_t>(Assigns[At]) | static_cast<uint32_t>(Assigns[At + 1]) << 8 |
      static_cast<uint32_t>(Assigns[At + 2]) << 16 | static_cast<uint32_t>(Assigns[At + 3]) << 24);
}

void SetAssignedKey(TKeyAssigns& Assigns, TDXInputState State, int32_t Slot, int32_t Key) {
  const size_t At = (static_cast<size_t>(State) * 3 + static_cast<size_t>(Slot)) * 4;
  const auto U = static_cast<uint32_t>(Key);
  for (int I = 0; I < 4; ++I) Assigns[At + I] = static_cast<uint8_t>(U >> (8 * I));
}

TKeyAssigns MakeKeyAssigns(std::initializer_list<std::pair<TDXInputState, int32_t>> Keys) {
  TKeyAssigns Assigns{};
  for (const auto& [State, Key] : Keys) SetAssignedKey(Assigns, State, 0, Key);
  return Assigns;
}

int32_t JoystickAxis(uint32_t Raw, uint32_t Min, uint32_t Max, int32_t Range, int32_t DeadZone) {
  if (Max <= Min) return 0;
  const int64_t Half = (static_cast<int64_t>(Max) - Min) / 2;
  const int64_t Dz = static_cast<int64_t>(std::clamp(DeadZone, 0, 100)) * Half / 100;
  if (Half == Dz) return 0;
  // Measured from the centre of the axis's own limits (which is Half only when Min is 0).
  const int64_t P = static_cast<int64_t>(Raw) - Min - Half;
  if (std::llabs(P) <= Dz) return 0;
  const int64_t V = MulDivRound(P > 0 ? P - Dz : P + Dz, Range, Half - Dz);
  // A device reporting past its own limits still stays within the range.
  const int64_t R = std::llabs(static_cast<int64_t>(Range));
  return static_cast<int32_t>(std::clamp<int64_t>(V, -R, R));
}

void TDXInput::Initialize() {
  Finalize();
  Keyboard.FInitialized = Keyboard.Enabled;
  if (Joystick.Enabled && Joystick.ID >= 0) {
    IJoystick& Device = FPlatform.Joystick();
    if (Joystick.ID < Device.Count() && Device.Open(Joystick.ID, Joystick.FCaps))
      Joystick.FInitialized = true;
  }
  Update();
}

void TDXInput::Finalize() {
  if (Joystick.FInitialized) FPlatform.Joystick().Close();
  Joystick.FInitialized = false;
  Keyboard.FInitialized = false;
}

bool TDXInput::InBackground() {
  return ActiveOnly && !FPlatform.Window().IsForeground();
}

void TDXInput::UpdateKeyboard() {
  TDXKeyboard& K = Keyboard;
  std::memset(K.FKeys, 0, sizeof K.FKeys);
  K.FStates.Clear();
  if (!K.FInitialized || InBackground()) return;
  FPlatform.Keyboard().ReadKeyTable(K.FKeys);
  for (int32_t S = 0; S < KInputStateCount; ++S) {
    const auto State = static_cast<TDXInputState>(S);
    for (int32_t Slot = 0; Slot < 3; ++Slot) {
      const int32_t Key = AssignedKey(K.Assigns, State, Slot);
      if (Key >= 1 && Key <= 255 && (K.FKeys[Key] & 0x80)) {
        K.FStates.Add(State);
        break;
      }
    }
  }
}

void TDXInput::UpdateJoystick() {
  TDXJoystick& J = Joystick;
  J.FX = J.FY = J.FZ = 0;
  J.FButtons = 0;
  J.FStates.Clear();
  if (!J.Enabled || J.ID < 0 || InBackground()) return;
  IJoystick& Device = FPlatform.Joystick();
  if (!J.FInitialized) {
    // None at start: one plugged in later is taken up as soon as the system reports it.
    if (J.ID >= Device.Count() || !Device.Open(J.ID, J.FCaps)) return;
    J.FInitialized = true;
  }
  TJoystickPosition Pos;
  if (!Device.Read(Pos)) {
    // Lost (unplugged, or the system took it): open it again and try once more.
    Device.Close();
    if (!Device.Open(J.ID, J.FCaps) || !Device.Read(Pos)) return;
  }
  const TJoystickCaps& C = J.FCaps;
  J.FX = JoystickAxis(Pos.X, C.XMin, C.XMax, J.RangeX, J.DeadZoneX);
  J.FY = JoystickAxis(Pos.Y, C.YMin, C.YMax, J.RangeY, J.DeadZoneY);
  J.FZ = JoystickAxis(Pos.Z, C.ZMin, C.ZMax, J.RangeZ, J.DeadZoneZ);
  const int32_t Buttons = std::clamp(C.NumButtons, 0, 32);
  for (int32_t I = 0; I < Buttons; ++I)
    if ((Pos.Buttons >> I) & 1u) {
      J.FButtons |= 1u << I;
      J.FStates.Add(InputButton(I + 1));
    }
  if (J.FX < 0) J.FStates.Add(isLeft);
  if (J.FX > 0) J.FStates.Add(isRight);
  if (J.FY < 0) J.FStates.Add(isUp);
  if (J.FY > 0) J.FStates.Add(isDown);
}

void TDXInput::Update() {
  TDXInputStates Now;
  UpdateJoystick();
  if (Joystick.BindInputStates) Now.Merge(Joystick.FStates);
  UpdateKeyboard();
  if (Keyboard.BindInputStates) Now.Merge(Keyboard.FStates);
  for (int32_t S = 0; S < KInputStateCount; ++S) {
    const auto State = static_cast<TDXInputState>(S);
    if (Now.Has(State) && !FPrevious.Has(State)) States.Add(State);
    if (!Now.Has(State) && FPrevious.Has(State)) States.Remove(State);
  }
  FPrevious = Now;
}
