#pragma once
// The game's rule keeper: a new game, its levels (each asks for a number of kills, then the
// next one begins), the frame of play, and the tear-down. The screen around the game (the
// main window, or a test's stand-in) is reached through IGameScreen; the rest through the
// game context.

#include <cstdint>

#include "game/GameContext.h"

class TScrollBackground;

// What the game flow asks of the screen it runs on.
class IGameScreen {
 public:
  virtual ~IGameScreen() = default;
  // The play screen becomes the current one: its music starts, the mouse pointer hides and
  // no menu button stays live.
  virtual void EnterPlayScreen() = 0;
  // Between screens, while the game is torn down.
  virtual void LeavePlayScreen() = 0;
  // The one sky strip of the program, kept for the whole run; nullptr when there is none.
  virtual TScrollBackground* Sky() = 0;
  // Brings the in-game display up to date: level, score, lives, assistant, weapon.
  virtual void DrawHud() = 0;
  // The questions and banners the player opens during play; one already open blocks them.
  virtual void OpenExitToMenu() = 0;
  virtual void OpenPause() = 0;
};

// The controls of one frame of play.
struct TGameControls {
  bool Left = false, Right = false, Up = false, Down = false;  // held
  bool Fire = false;                                           // a fire key or button held
  bool EscapePressed = false, PausePressed = false;            // went down this frame
};

// The level's quota: 10 kills a level, at most 50.
int32_t LevelQuota(int32_t Level);
// The end-of-level blinking lasts this many visibility flips.
constexpr int32_t KLevelEndBlinks = 15;

// A new game from level 1: the play screen, the hills, the duck, the display sprites, then
// the first level's banner.
void StartGame(IGameContext& Ctx, IGameScreen& Screen);
// Level N: its enemy kinds and bonuses, its quota, the duck re-armed, the field cleared,
// and its banner.
void StartLevel(IGameContext& Ctx, int32_t N);
// The quota is met: no more spawning, bonuses and bullets gone, every enemy falls without
// points.
void EndLevel(IGameContext& Ctx);
// One frame of play.
void GameTick(IGameContext& Ctx, IGameScreen& Screen, int32_t LagCount,
              const TGameControls& Controls);
// The game is torn down; the score stays readable until the next game.
void EndGame(IGameContext& Ctx, IGameScreen& Screen);
// The sky drifts and the two hill layers of one game.
void CreateHills(IGameContext& Ctx, IGameScreen& Screen);
void FreeHills(IGameContext& Ctx);
