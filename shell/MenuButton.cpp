#include "shell/MenuButton.h"

#include "shell/MenuSteps.h"

TMenuButton::TMenuButton(IGameContext& Context, uint8_t ImageList, const std::string& ActiveImage,
                         const std::string& InactiveImage, int32_t ActiveFrame,
                         int32_t InactiveFrame, int32_t X, int32_t Y)
    : TMyImageSprite(Context, ImageList),
      ActiveImage(ActiveImage),
      InactiveImage(InactiveImage),
      ActiveFrame(ActiveFrame),
      InactiveFrame(InactiveFrame) {
  ShowImage(InactiveImage);
  FramePos = InactiveFrame;
  this->X = X;
  this->Y = Y;
  SetZ(4);
  AlphaBlend = false;
  Highlighted = false;
}

void TMenuButton::Activate() {
  ShowImage(ActiveImage);
  FramePos = ActiveFrame;
}

void TMenuButton::Deactivate() {
  ShowImage(InactiveImage);
  FramePos = InactiveFrame;
}

TMyCursor::TMyCursor(IGameContext& Context, uint8_t ImageList, const std::string& Image, int32_t X,
                     int32_t Y, int32_t Z, int32_t BlinkPeriod)
    : TMyImageSprite(Context, ImageList, Image, X, Y, Z), BlinkPeriod(BlinkPeriod) {
  Visible = false;
}

void TMyCursor::MoveSelf(int32_t Ticks) {
  TMyImageSprite::MoveSelf(Ticks);
  if (!Blinking) {
    Visible = false;
    return;
  }
  if (!CountDown(BlinkLeft, 0, Context().FrameMs())) {
    BlinkLeft = BlinkPeriod;
    Visible = !Visible;
  }
}
