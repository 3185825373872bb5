#include "engine/DXSurface.h"

#include <algorithm>

void TDirectDrawSurface::SetSize(int32_t Width, int32_t Height) {
  if (Width <= 0 || Height <= 0) Width = Height = 0;
  FWidth = Width;
  FHeight = Height;
  FPixels.assign(static_cast<size_t>(Width) * static_cast<size_t>(Height), 0u);
}

void TDirectDrawSurface::Fill(uint32_t Colour) { std::fill(FPixels.begin(), FPixels.end(), Colour); }
