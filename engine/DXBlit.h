#pragma once
// The drawing operations of the engine on our own surfaces. All of them clip to both
// surfaces and never read or write outside them, whatever rectangles they are given.

#include <cstdint>

#include "engine/DXSurface.h"
#include "engine/DXTypes.h"

// Copies SrcRect of Src to Dest with its top-left at (X, Y), 1:1. When Transparent is set
// and Src has a colour key, source pixels equal to the key are skipped. A SrcRect whose
// Right < Left is drawn mirrored left-to-right, Bottom < Top mirrored top-to-bottom.
void BlitDraw(TDirectDrawSurface& Dest, int32_t X, int32_t Y, const TDirectDrawSurface& Src,
              const TRect& SrcRect, bool Transparent);

// Scales SrcRect of Src to DestRect (nearest pixel, 16.16 steps) and blends it into Dest
// per channel in proportion to Alpha (0 = nothing, >= 255 = copy).
void BlitDrawBlended(TDirectDrawSurface& Dest, const TRect& DestRect, const TDirectDrawSurface& Src,
                     const TRect& SrcRect, bool Transparent, int32_t Alpha);

// Scales SrcRect of Src to Width x Height and turns it by Angle (256ths of a turn,
// clockwise on screen) about the pivot at fractions (CenterX, CenterY) of the scaled
// pattern, placed at (X, Y) of Dest.
void BlitDrawRotated(TDirectDrawSurface& Dest, int32_t X, int32_t Y, int32_t Width, int32_t Height,
                     const TDirectDrawSurface& Src, const TRect& SrcRect, double CenterX,
                     double CenterY, int32_t Angle, bool Transparent);
