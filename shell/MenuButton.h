#pragma once
// The two sprites of the menus: a button with a plain and a highlighted look, and the
// blinking text cursor of the name entry and the country field.

#include <cstdint>
#include <string>

#include "game/MyImageSprite.h"

class TMenuButton final : public TMyImageSprite {
 public:
  // Shows the plain look at (X, Y), Z 4, not blended.
  TMenuButton(IGameContext& Context, uint8_t ImageList, const std::string& ActiveImage,
              const std::string& InactiveImage, int32_t ActiveFrame, int32_t InactiveFrame,
              int32_t X, int32_t Y);

  void Activate();
  void Deactivate();

  std::string ActiveImage;
  std::string InactiveImage;
  int32_t ActiveFrame = 0;
  int32_t InactiveFrame = 0;
  bool Highlighted = false;
};

class TMyCursor final : public TMyImageSprite {
 public:
  // Starts invisible and not blinking.
  TMyCursor(IGameContext& Context, uint8_t ImageList, const std::string& Image, int32_t X,
            int32_t Y, int32_t Z, int32_t BlinkPeriod);

  // While Blinking, the cursor flips its visibility about every BlinkPeriod ms, becoming
  // visible on its first move; otherwise it stays hidden.
  void MoveSelf(int32_t Ticks) override;

  int32_t BlinkPeriod = 0;  // ms
  int32_t BlinkLeft = 0;    // ms until the next flip
  bool Blinking = false;
};
