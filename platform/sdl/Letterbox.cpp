#include "platform/sdl/Letterbox.h"

#include <algorithm>

TLetterbox LetterboxRect(int32_t Width, int32_t Height, int32_t PictureW, int32_t PictureH) {
  if (Width <= 0 || Height <= 0 || PictureW <= 0 || PictureH <= 0) return {0, 0, 0, 0};
  int64_t W, H;
  if (static_cast<int64_t>(Width) * PictureH <= static_cast<int64_t>(Height) * PictureW) {
    W = Width;  // bars above and below
    H = static_cast<int64_t>(Width) * PictureH / PictureW;
  } else {
    H = Height;  // bars left and right
    W = static_cast<int64_t>(Height) * PictureW / PictureH;
  }
  return {static_cast<int32_t>((Width - W) / 2), static_cast<int32_t>((Height - H) / 2),
          static_cast<int32_t>(W), static_cast<int32_t>(H)};
}

void AreaToPicture(const TLetterbox& Box, int32_t PictureW, int32_t PictureH, int32_t Ax,
                   int32_t Ay, int32_t& X, int32_t& Y) {
  if (Box.W <= 0 || Box.H <= 0 || PictureW <= 0 || PictureH <= 0) {
    X = Ax;
    Y = Ay;
    return;
  }
  const int64_t Px = (static_cast<int64_t>(Ax) - Box.X) * PictureW / Box.W;
  const int64_t Py = (static_cast<int64_t>(Ay) - Box.Y) * PictureH / Box.H;
  X = static_cast<int32_t>(std::clamp<int64_t>(Px, 0, PictureW - 1));
  Y = static_cast<int32_t>(std::clamp<int64_t>(Py, 0, PictureH - 1));
}
