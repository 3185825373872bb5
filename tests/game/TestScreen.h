#pragma once
// The play screen as the game flow sees it, for tests: it counts what it was asked, keeps
// one dialog at a time like the real window (a second request is ignored) and owns a sky
// strip when asked for one.

#include <cstdint>

#include "game/GameFlow.h"
#include "game/ScrollBackground.h"

class TTestScreen final : public IGameScreen {
 public:
  void EnterPlayScreen() override { ++Entered; }
  void LeavePlayScreen() override { ++Left; }
  TScrollBackground* Sky() override { return SkyStrip; }
  void DrawHud() override { ++HudDraws; }
  void OpenExitToMenu() override { Open(2); }
  void OpenPause() override { Open(5); }

  void Open(int32_t Kind) {
    if (Dialog == 0) Dialog = Kind;
  }

  TScrollBackground* SkyStrip = nullptr;
  int32_t Entered = 0, Left = 0, HudDraws = 0;
  int32_t Dialog = 0;  // 0 none, 2 "Exit to menu?", 5 pause
};
