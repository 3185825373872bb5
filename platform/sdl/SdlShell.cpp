#include "platform/sdl/SdlShell.h"

#include <SDL.h>

#include <filesystem>

void TSdlShell::Open(const std::string& Target) {
  if (Target.empty()) return;
  std::string Url = Target;
  // A local file is handed over as a file address so that the opener does not guess.
  if (Target.find("://") == std::string::npos) {
    std::error_code Ec;
    const auto Path = std::filesystem::absolute(Target, Ec);
    if (!Ec) Url = "file://" + Path.string();
  }
  SDL_OpenURL(Url.c_str());
}
