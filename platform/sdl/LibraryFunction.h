#pragma once
// Libraries opened on first use (libcurl, SDL_ttf with fontconfig, libxmp): their functions
// are looked up by name, so that the game starts without them and only the feature is lost.

#include <SDL.h>

// The libraries both systems open on first use, by what they serve.
enum class TLazyLibrary { Text, Music };

// Opens Library under the file name this system gives it (posix/ and windows/
// LazyLibrary.cpp); null when it cannot be loaded, with SDL_GetError saying why.
void* OpenLazyLibrary(TLazyLibrary Library);

// Sets Function to Name's entry in Library; false when the library has no such function.
template <typename TFunction>
bool FindFunction(void* Library, const char* Name, TFunction& Function) {
  Function = reinterpret_cast<TFunction>(SDL_LoadFunction(Library, Name));
  return Function != nullptr;
}
