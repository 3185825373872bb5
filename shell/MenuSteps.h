#pragma once
// Small steps on an integer: the hovered button of a menu, a help page, a countdown.

#include <cstdint>

#include "game/CountDown.h"

// Next value, from Hi back to Lo; a value outside the range starts at Lo.
inline void StepNextWrap(int32_t& V, int32_t Lo, int32_t Hi) {
  if (V < Lo || V >= Hi) {
    V = Lo;
  } else {
    ++V;
  }
}
// Previous value, from Lo round to Hi; a value outside the range starts at Hi.
inline void StepPrevWrap(int32_t& V, int32_t Lo, int32_t Hi) {
  if (V <= Lo || V > Hi) {
    V = Hi;
  } else {
    --V;
  }
}
inline void StepUpClamped(int32_t& V, int32_t Hi, int32_t Step) {
  if (V + Step <= Hi) V += Step;
}
inline void StepDownClamped(int32_t& V, int32_t Lo, int32_t Step) {
  if (V - Step >= Lo) V -= Step;
}
inline void ClampToFirst(int32_t& V, int32_t Lo, int32_t Hi) {
  if (V < Lo || V > Hi) V = Lo;
}
inline void ClampToLast(int32_t& V, int32_t Lo, int32_t Hi) {
  if (V < Lo || V > Hi) V = Hi;
}
