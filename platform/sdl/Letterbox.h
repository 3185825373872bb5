#pragma once
// Full screen shows the 800 x 600 picture as large as it fits with kept aspect, centred,
// black bars on the rest; mouse positions are mapped back to picture pixels.

#include <cstdint>

struct TLetterbox {
  int32_t X = 0, Y = 0, W = 0, H = 0;
};

// The largest PictureW:PictureH rectangle that fits a Width x Height area, centred.
TLetterbox LetterboxRect(int32_t Width, int32_t Height, int32_t PictureW, int32_t PictureH);
// A point (Ax, Ay) of that area in picture pixels, pinned to the picture's edge when it lies
// in a bar.
void AreaToPicture(const TLetterbox& Box, int32_t PictureW, int32_t PictureH, int32_t Ax,
                   int32_t Ay, int32_t& X, int32_t& Y);
