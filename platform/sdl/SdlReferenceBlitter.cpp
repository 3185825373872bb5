#include "platform/sdl/SdlReferenceBlitter.h"

#include <SDL.h>

struct TSdlReferenceBlitter::TImpl {
  SDL_Surface* Dest = nullptr;
  std::vector<SDL_Surface*> Sources;
  ~TImpl() {
    for (SDL_Surface* S : Sources) SDL_FreeSurface(S);
    if (Dest != nullptr) SDL_FreeSurface(Dest);
  }
};

TSdlReferenceBlitter::TSdlReferenceBlitter(uint32_t* Pixels, int32_t Width, int32_t Height,
                                           int32_t PitchBytes)
    : FImpl(std::make_unique<TImpl>()) {
  FImpl->Dest = SDL_CreateRGBSurfaceWithFormatFrom(Pixels, Width, Height, 32, PitchBytes,
                                                   SDL_PIXELFORMAT_RGB888);
}

TSdlReferenceBlitter::~TSdlReferenceBlitter() = default;

bool TSdlReferenceBlitter::Ok() const {
  return FImpl->Dest != nullptr;
}

int32_t TSdlReferenceBlitter::AddSource(const uint32_t* Pixels, int32_t Width, int32_t Height,
                                        int32_t PitchBytes, uint32_t Key) {
  SDL_Surface* S = SDL_CreateRGBSurfaceWithFormat(0, Width, Height, 32, SDL_PIXELFORMAT_RGB888);
  if (S == nullptr) return -1;
  SDL_LockSurface(S);
  for (int32_t Y = 0; Y < Height; ++Y)
    SDL_memcpy(static_cast<uint8_t*>(S->pixels) + static_cast<size_t>(Y) * S->pitch,
               reinterpret_cast<const uint8_t*>(Pixels) + static_cast<size_t>(Y) * PitchBytes,
               static_cast<size_t>(Width) * 4);
  SDL_UnlockSurface(S);
  SDL_SetColorKey(S, SDL_TRUE | SDL_RLEACCEL, Key & 0x00FFFFFFu);
  SDL_SetSurfaceRLE(S, 1);
  SDL_SetSurfaceBlendMode(S, SDL_BLENDMODE_NONE);
  FImpl->Sources.push_back(S);
  return static_cast<int32_t>(FImpl->Sources.size()) - 1;
}

void TSdlReferenceBlitter::Blit(int32_t Source, int32_t X, int32_t Y) {
  if (FImpl->Dest == nullptr || Source < 0 || static_cast<size_t>(Source) >= FImpl->Sources.size())
    return;
  SDL_Rect At{X, Y, 0, 0};
  SDL_BlitSurface(FImpl->Sources[static_cast<size_t>(Source)], nullptr, FImpl->Dest, &At);
}
