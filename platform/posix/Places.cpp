#include "platform/Places.h"

TGamePlaces SettleGamePlaces() {
  return {};
}
