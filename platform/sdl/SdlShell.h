#pragma once
// The desktop's "open" action through SDL_OpenURL (xdg-open): returns at once, and whether
// a browser showed up cannot be seen.

#include "platform/Platform.h"

class TSdlShell final : public IShell {
 public:
  void Open(const std::string& Target) override;
};
