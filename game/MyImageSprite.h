#pragma once
// The base of every picture the game places on the screen: its image is found by name in
// one of the two image lists, it animates at a rate that does not depend on the frame
// rate, it can draw itself blended, and it is killed at most once.

#include <cstdint>
#include <string>

#include "engine/DXSprite.h"
#include "game/GameContext.h"

class TMyImageSprite : public TImageSprite {
 public:
  // Below the engine root of Ctx, with no image yet.
  TMyImageSprite(IGameContext& Ctx, uint8_t ImageList);
  // The same, then ShowImage(Name), the position and SetZ(Z).
  TMyImageSprite(IGameContext& Ctx, uint8_t ImageList, const std::string& Name, int32_t X,
                 int32_t Y, int32_t Z);

  void DrawSelf() override;
  void MoveSelf(int32_t Ticks) override;

  // Binds the named image of the chosen list and takes its pattern size and count; the
  // animation starts again at frame 0. An unknown name raises "Image '%s' not found" and
  // leaves the sprite as it was.
  void ShowImage(const std::string& Name);
  // ShowImage, looping at Rate hundredths of a frame per frame-time.
  void PlayImage(const std::string& Name, int32_t Rate);
  // PlayImage once: the sprite turns invisible when the animation wraps.
  void PlayImageOnce(const std::string& Name, int32_t Rate);
  // Queues the sprite for destruction at the end of the frame, once however often called.
  void Kill();

  IGameContext& Context() const { return Ctx; }

  bool AlphaBlend = false;
  int32_t Alpha = 0;     // 0..255; 255 draws like the plain draw
  int32_t AnimRate = 0;  // hundredths of a frame per FrameMs; 0 leaves FrameSpeed alone
  uint8_t ImageList = 0;
  bool HideAtAnimEnd = false;
  double LastFramePos = 0;
  bool Killed = false;

 protected:
  IGameContext& Ctx;
};
