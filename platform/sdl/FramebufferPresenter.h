#pragma once
// Presents the game's picture through the window's own framebuffer (SDL's window surface),
// the way chosen when the only renderer would be a software one. It sends the window system
// only what changed: the rows of the picture that differ from the last one shown, and the
// black bars around a full-screen picture only when the surface is new (made, resized) or
// its contents were lost (the window exposed). A picture of another size than the place it
// is shown in is scaled by TPictureScaler, only the changed rows of it.

#include <SDL.h>

#include <cstdint>
#include <vector>

#include "platform/ChangedRows.h"
#include "platform/PictureScaler.h"

class TFramebufferPresenter {
 public:
  // The window's contents may be lost or the surface remade (shown, exposed, resized, a new
  // mode): the next picture is sent whole, with its bars.
  void Invalidate() { FStale = true; }

  // Shows the Width x Height picture at Place (window pixels) in Window.
  bool Present(SDL_Window* Window, const SDL_Rect& Place, const uint32_t* Pixels, int32_t Width,
               int32_t Height, int32_t PitchBytes);

 private:
  bool PresentConverted(SDL_Window* Window, SDL_Surface* Target, bool Fresh, const SDL_Rect& Place,
                        const uint32_t* Pixels, int32_t Width, int32_t Height, int32_t PitchBytes);
  void FillBars(SDL_Surface* Target, const SDL_Rect& Place);

  bool FStale = true;
  // The surface the last picture went to, and how: a new one, or another place or size,
  // is a fresh start.
  SDL_Surface* FSurface = nullptr;
  void* FSurfacePixels = nullptr;
  int FSurfaceW = 0, FSurfaceH = 0, FSurfacePitch = 0;
  SDL_Rect FPlace{0, 0, 0, 0};
  int32_t FWidth = 0, FHeight = 0;
  std::vector<uint32_t> FKept;  // the last picture, when it is shown scaled
  TPictureScaler FScaler;
  std::vector<TRowBand> FBands;
  std::vector<SDL_Rect> FRects;
};
