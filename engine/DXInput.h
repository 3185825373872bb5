#pragma once
// The input states: the keyboard and a joystick turned into one small set of 36 abstract
// states (four directions and 32 buttons), refreshed once per frame by Update().

#include <array>
#include <cstdint>
#include <initializer_list>
#include <utility>

#include "engine/DXTypes.h"
#include "platform/Platform.h"

class EDXInputError : public EDXError {
 public:
  using EDXError::EDXError;
};

enum TDXInputState : int32_t {
  isUp = 0,
  isDown = 1,
  isLeft = 2,
  isRight = 3,
  isButton1 = 4,  // isButton1 + i for button i + 1, up to isButton32 = 35
  isButton32 = 35,
};
constexpr int32_t KInputStateCount = 36;
constexpr TDXInputState InputButton(int32_t N) {  // N = 1 .. 32
  return static_cast<TDXInputState>(isButton1 + N - 1);
}

// A set of input states: bit i = state i (36 bits of a 5-byte set).
class TDXInputStates {
 public:
  constexpr TDXInputStates() = default;
  constexpr TDXInputStates(std::initializer_list<TDXInputState> States) {
    for (TDXInputState S : States) Add(S);
  }
  constexpr bool Has(TDXInputState S) const { return (FBits >> S) & 1u; }
  constexpr void Add(TDXInputState S) { FBits |= uint64_t{1} << S; }
  constexpr void Remove(TDXInputState S) { FBits &= ~(uint64_t{1} << S); }
  constexpr void Clear() { FBits = 0; }
  constexpr bool Empty() const { return FBits == 0; }
  constexpr void Merge(const TDXInputStates& O) { FBits |= O.FBits; }
  constexpr uint64_t Bits() const { return FBits; }
  constexpr bool operator==(const TDXInputStates&) const = default;

 private:
  uint64_t FBits = 0;
};

// Key bindings: 36 entries in state order, each three 32-bit little-endian virtual-key
// codes (0 = no key): 36 * 3 * 4 = 432 bytes.
constexpr size_t KAssignsSize = KInputStateCount * 3 * 4;
using TKeyAssigns = std::array<uint8_t, KAssignsSize>;
int32_t AssignedKey(const TKeyAssigns& Assigns, TDXInputState State, int32_t Slot);
void SetAssignedKey(TKeyAssigns& Assigns, TDXInputState State, int32_t Slot, int32_t Key);
// A table with one key for each listed state (the first slot), the others 0.
TKeyAssigns MakeKeyAssigns(std::initializer_list<std::pair<TDXInputState, int32_t>> Keys);

// One joystick axis from the system's raw position between Min and Max to -Range .. +Range,
// with a dead zone in per cent of the half-range around the centre.
int32_t JoystickAxis(uint32_t Raw, uint32_t Min, uint32_t Max, int32_t Range, int32_t DeadZone);

class TDXKeyboard final {
 public:
  bool Enabled = true;
  bool BindInputStates = true;
  TKeyAssigns Assigns{};
  bool Keys(int32_t Vk) const { return Vk >= 0 && Vk < 256 && (FKeys[Vk] & 0x80); }
  const TDXInputStates& States() const { return FStates; }
  bool Initialized() const { return FInitialized; }

 private:
  friend class TDXInput;
  uint8_t FKeys[256] = {};
  TDXInputStates FStates;
  bool FInitialized = false;
};

class TDXJoystick final {
 public:
  bool Enabled = true;
  bool BindInputStates = true;
  int32_t ID = 0;  // the ID-th joystick present; negative = none
  bool AutoCenter = true;
  int32_t RangeX = 1000, RangeY = 1000, RangeZ = 1000;
  int32_t DeadZoneX = 50, DeadZoneY = 50, DeadZoneZ = 50;  // per cent of the half-range
  int32_t X() const { return FX; }
  int32_t Y() const { return FY; }
  int32_t Z() const { return FZ; }
  bool Button(int32_t I) const { return I >= 0 && I < 32 && ((FButtons >> I) & 1u); }
  const TDXInputStates& States() const { return FStates; }
  bool Initialized() const { return FInitialized; }

 private:
  friend class TDXInput;
  int32_t FX = 0, FY = 0, FZ = 0;
  uint32_t FButtons = 0;
  TJoystickCaps FCaps;
  TDXInputStates FStates;
  bool FInitialized = false;
};

class TDXInput final {
 public:
  explicit TDXInput(TPlatform& Platform) : FPlatform(Platform) {}
  ~TDXInput() { Finalize(); }
  TDXInput(const TDXInput&) = delete;
  TDXInput& operator=(const TDXInput&) = delete;

  // Opens the devices (a missing joystick is not an error) and runs Update once.
  void Initialize();
  void Finalize();
  // Reads every device and follows presses and releases into States; a state the game
  // removed from States while its key is held stays removed until released and pressed.
  void Update();

  bool ActiveOnly = true;  // read devices only while the window is in the foreground
  TDXInputStates States;
  TDXKeyboard Keyboard;
  TDXJoystick Joystick;

 private:
  void UpdateKeyboard();
  void UpdateJoystick();
  bool InBackground();

  TPlatform& FPlatform;
  TDXInputStates FPrevious;
};
