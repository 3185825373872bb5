#pragma once
// The countdown of every timer of the game and the menus.

#include <cstdint>

// Takes Step from Value only when the result stays at or above Low; answers whether it did.
inline bool CountDown(int32_t& Value, int32_t Low, int32_t Step) {
  if (static_cast<int64_t>(Value) - Step < Low) return false;
  Value -= Step;
  return true;
}
