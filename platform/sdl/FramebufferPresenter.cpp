#include "platform/sdl/FramebufferPresenter.h"

#include <cstddef>

namespace {

bool SameRect(const SDL_Rect& A, const SDL_Rect& B) {
  return A.x == B.x && A.y == B.y && A.w == B.w && A.h == B.h;
}

}  // namespace

bool TFramebufferPresenter::Present(SDL_Window* Window, const SDL_Rect& Place,
                                    const uint32_t* Pixels, int32_t Width, int32_t Height,
                                    int32_t PitchBytes) {
  SDL_Surface* Target = SDL_GetWindowSurface(Window);
  if (!Target) return false;
  const bool Fresh = FStale || Target != FSurface || Target->pixels != FSurfacePixels ||
                     Target->w != FSurfaceW || Target->h != FSurfaceH ||
                     Target->pitch != FSurfacePitch || !SameRect(Place, FPlace) ||
                     Width != FWidth || Height != FHeight;
  FSurface = Target;
  FSurfacePixels = Target->pixels;
  FSurfaceW = Target->w;
  FSurfaceH = Target->h;
  FSurfacePitch = Target->pitch;
  FPlace = Place;
  FWidth = Width;
  FHeight = Height;
  FStale = false;
  // Our own copies need the picture's pixel layout and a place wholly inside the surface;
  // anything else goes through SDL's converting blits.
  const bool Inside = Place.x >= 0 && Place.y >= 0 && Place.w > 0 && Place.h > 0 &&
                      Place.x + Place.w <= Target->w && Place.y + Place.h <= Target->h;
  if (Target->format->format != SDL_PIXELFORMAT_RGB888 || !Inside || SDL_MUSTLOCK(Target)) {
    const bool Ok =
        PresentConverted(Window, Target, Fresh, Place, Pixels, Width, Height, PitchBytes);
    if (!Ok) FStale = true;
    return Ok;
  }
  if (Fresh) FillBars(Target, Place);
  auto* Origin = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(Target->pixels) +
                                             static_cast<ptrdiff_t>(Place.y) * Target->pitch +
                                             static_cast<ptrdiff_t>(Place.x) * 4);
  FRects.clear();
  if (Place.w == Width && Place.h == Height) {
    // 1:1: the surface itself holds the picture shown before.
    TakeChangedRows(Pixels, PitchBytes, Origin, Target->pitch, Width, Height, Fresh, FBands);
    for (const TRowBand& B : FBands)
      FRects.push_back({Place.x, Place.y + B.Y0, Place.w, B.Y1 - B.Y0});
  } else {
    FKept.resize(static_cast<size_t>(Width) * static_cast<size_t>(Height));
    TakeChangedRows(Pixels, PitchBytes, FKept.data(), Width * 4, Width, Height, Fresh, FBands);
    FScaler.SetSizes(Width, Height, Place.w, Place.h);
    for (const TRowBand& B : FBands) {
      int32_t Y0 = 0, Y1 = 0;
      FScaler.OutRows(B.Y0, B.Y1, Y0, Y1);
      if (Y1 <= Y0) continue;
      FScaler.ScaleRows(FKept.data(), Width * 4, Origin, Target->pitch, B.Y0, B.Y1);
      FRects.push_back({Place.x, Place.y + Y0, Place.w, Y1 - Y0});
    }
  }
  bool Ok = true;
  if (Fresh) {
    Ok = SDL_UpdateWindowSurface(Window) == 0;
  } else if (!FRects.empty()) {
    Ok = SDL_UpdateWindowSurfaceRects(Window, FRects.data(), static_cast<int>(FRects.size())) == 0;
  }
  if (!Ok) FStale = true;
  return Ok;
}

void TFramebufferPresenter::FillBars(SDL_Surface* Target, const SDL_Rect& Place) {
  const Uint32 Black = SDL_MapRGB(Target->format, 0, 0, 0);
  const SDL_Rect Bars[4] = {
      {0, 0, Target->w, Place.y},                                             // above
      {0, Place.y + Place.h, Target->w, Target->h - Place.y - Place.h},       // below
      {0, Place.y, Place.x, Place.h},                                         // left
      {Place.x + Place.w, Place.y, Target->w - Place.x - Place.w, Place.h}};  // right
  for (const SDL_Rect& R : Bars)
    if (R.w > 0 && R.h > 0) SDL_FillRect(Target, &R, Black);
}

bool TFramebufferPresenter::PresentConverted(SDL_Window* Window, SDL_Surface* Target, bool Fresh,
                                             const SDL_Rect& Place, const uint32_t* Pixels,
                                             int32_t Width, int32_t Height, int32_t PitchBytes) {
  SDL_Surface* Source = SDL_CreateRGBSurfaceWithFormatFrom(
      const_cast<uint32_t*>(Pixels), Width, Height, 32, PitchBytes, SDL_PIXELFORMAT_RGB888);
  if (!Source) return false;
  if (Fresh) SDL_FillRect(Target, nullptr, SDL_MapRGB(Target->format, 0, 0, 0));
  SDL_Rect R = Place;
  bool Ok;
  if (Place.w == Width && Place.h == Height)
    Ok = SDL_BlitSurface(Source, nullptr, Target, &R) == 0;
  else
    Ok = SDL_BlitScaled(Source, nullptr, Target, &R) == 0;
  SDL_FreeSurface(Source);
  return Ok && SDL_UpdateWindowSurface(Window) == 0;
}
