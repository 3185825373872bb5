#include "game/MyImageSprite.h"

#include "engine/DXImageList.h"

TPictureCollection* PicturesOf(IGameContext& Ctx, uint8_t List) {
  if (List == 1) return &Ctx.ImageList1().Items();
  if (List == 2) return &Ctx.ImageList2().Items();
  return nullptr;
}

TMyImageSprite::TMyImageSprite(IGameContext& Context, uint8_t List)
    : TImageSprite(&Context.SpriteEngine()), ImageList(List), Ctx(Context) {
  FramePos = 0;
  FrameSpeed = 0;
  LoopAnim = true;
}

TMyImageSprite::TMyImageSprite(IGameContext& Context, uint8_t List, const std::string& Name,
                               int32_t AtX, int32_t AtY, int32_t AtZ)
    : TMyImageSprite(Context, List) {
  ShowImage(Name);
  X = AtX;
  Y = AtY;
  SetZ(AtZ);
}

void TMyImageSprite::ShowImage(const std::string& Name) {
  TPictureCollection* Pictures = PicturesOf(Ctx, ImageList);
  if (Pictures != nullptr) SetImage(&Pictures->Find(Name));
  // With no list chosen the image stays, and so does its size.
  if (Image() != nullptr) {
    Width = Image()->Width();
    Height = Image()->Height();
    FrameCount = Image()->PatternCount();
  }
  FramePos = 0;
  LastFramePos = 0;
}

void TMyImageSprite::PlayImage(const std::string& Name, int32_t Rate) {
  ShowImage(Name);
  FramePos = 0;
  LastFramePos = 0;
  LoopAnim = true;
  if (Image() != nullptr) FrameCount = Image()->PatternCount();
  AnimRate = Rate;
}

void TMyImageSprite::PlayImageOnce(const std::string& Name, int32_t Rate) {
  PlayImage(Name, Rate);
  HideAtAnimEnd = true;
}

void TMyImageSprite::Kill() {
  if (Killed) return;
  MarkDead();
  Killed = true;
}

void TMyImageSprite::MoveSelf(int32_t Ticks) {
  TImageSprite::MoveSelf(Ticks);
  // A position that the plain draw would round up to FrameCount starts the loop again.
  // Exactly FrameCount - 0.5 rounds up too when FrameCount is even (ties go to even): it
  // would show a pattern that does not exist, a blank frame.
  if (FramePos >= FrameCount - 0.5) FramePos = 0;
  if (HideAtAnimEnd && FramePos < LastFramePos) Visible = false;
  LastFramePos = FramePos;
  // Takes effect from the next move.
  if (AnimRate > 0) FrameSpeed = (1.0 / Ctx.FrameMs()) * AnimRate / 100;
}

void TMyImageSprite::DrawSelf() {
  if (!AlphaBlend || Alpha == 255) {
    TImageSprite::DrawSelf();
    return;
  }
  TDirectDrawSurface* Surface = Engine() != nullptr ? Engine()->Surface() : nullptr;
  if (Image() == nullptr || Surface == nullptr) return;
  // The blended draw truncates the pattern index where the plain draw rounds it.
  const TRect R{Trunc(X), Trunc(Y), Trunc(X + Width), Trunc(Y + Height)};
  Image()->DrawBlended(*Surface, R, Trunc(FramePos), Alpha);
}
