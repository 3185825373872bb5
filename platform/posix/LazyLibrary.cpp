#include "platform/sdl/LibraryFunction.h"

void* OpenLazyLibrary(TLazyLibrary Library) {
  switch (Library) {
    case TLazyLibrary::Text:
      return SDL_LoadObject("libSDL2_ttf-2.0.so.0");
    case TLazyLibrary::Music:
      return SDL_LoadObject("libxmp.so.4");
  }
  return nullptr;
}
