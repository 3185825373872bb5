#include "platform/sdl/LibraryFunction.h"

// The DLLs travel beside the program (the release zip, the test programs' folder); SDL opens
// them with LoadLibraryW.
void* OpenLazyLibrary(TLazyLibrary Library) {
  switch (Library) {
    case TLazyLibrary::Text:
      return SDL_LoadObject("SDL2_ttf.dll");
    case TLazyLibrary::Music:
      return SDL_LoadObject("libxmp.dll");
  }
  return nullptr;
}
