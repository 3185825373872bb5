#include "engine/DXSurface.h"

#include <algorithm>

void TDirectDrawSurface::SetSize(int32_t Width, int32_t Height) {
  if (Width <= 0 || Height <= 0) Width = Height = 0;
  FWidth = Width;
  FHeight = Height;
  FPixels.assign(static_cast<size_t>(Width) * static_cast<size_t>(Height), 0u);
  FSpansValid = false;
}

void TDirectDrawSurface::Fill(uint32_t Colour) {
  std::fill(FPixels.begin(), FPixels.end(), Colour);
  FSpansValid = false;
}

void TDirectDrawSurface::BuildSpans() const {
  FSpanRows.assign(static_cast<size_t>(FHeight) + 1, 0u);
  FSpans.clear();
  for (int32_t Y = 0; Y < FHeight; ++Y) {
    FSpanRows[static_cast<size_t>(Y)] = static_cast<uint32_t>(FSpans.size());
    const uint32_t* P = Row(Y);
    if (!FHasColorKey) {
      if (FWidth > 0) FSpans.push_back({0, FWidth});
      continue;
    }
    int32_t X = 0;
    while (X < FWidth) {
      while (X < FWidth && (P[X] & 0x00FFFFFFu) == FColorKey) ++X;
      if (X == FWidth) break;
      const int32_t Start = X;
      while (X < FWidth && (P[X] & 0x00FFFFFFu) != FColorKey) ++X;
      FSpans.push_back({Start, X});
    }
  }
  FSpanRows[static_cast<size_t>(FHeight)] = static_cast<uint32_t>(FSpans.size());
  FSpansValid = true;
}

const TDirectDrawSurface::TOpaqueSpan* TDirectDrawSurface::SpansBegin(int32_t Y) const {
  if (!FSpansValid) BuildSpans();
  return FSpans.data() + FSpanRows[static_cast<size_t>(Y)];
}

const TDirectDrawSurface::TOpaqueSpan* TDirectDrawSurface::SpansEnd(int32_t Y) const {
  if (!FSpansValid) BuildSpans();
  return FSpans.data() + FSpanRows[static_cast<size_t>(Y) + 1];
}
