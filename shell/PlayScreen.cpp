// Play as the main window sees it: where a game starts, runs its frames and ends.

#include "game/ScrollBackground.h"
#include "services/HighScores.h"
#include "shell/MainForm.h"

void TMForm::StartGame() {
  Shell.ScreenKind = skGame;
  // No buttons during play: a click or Enter does nothing without a dialog.
  Shell.FirstButton = 1;
  Shell.LastButton = 0;
  Shell.HoveredButton = 0;
  // The sky takes its picture and drifts left.
  if (TScrollBackground* Sky = Shell.SkyBackground) {
    Sky->ShowImageFrom("SkyTile", 2);
    Sky->SpeedX = KSkyPlaySpeedX;
    Sky->X = 0;
  }
  PlayScreenMusic();
  HideMousePointer();
}

void TMForm::GameTick(int32_t LagCount) {
  MDXSpriteEngine.Move(LagCount);
  if (Shell.EscapePressed) OpenDialog(dkExitToMenu);
  if (Shell.PausePressed) OpenDialog(dkPause);
}

void TMForm::EndGame() {
  Shell.ScreenKind = skNone;
}

void TMForm::FinishGame() {
  if (::ScoreQualifies(HighScores, GameState.Score)) {
    OpenDialog(dkEnterName);
  } else {
    EndGame();
    ShowMainMenu(0, 1, true);
  }
}
