// Play as the main window sees it: where a game starts, runs its frames and ends. The game's
// rules (game/GameFlow) reach the window through the play screen below.

#include "game/GameFlow.h"
#include "game/ScrollBackground.h"
#include "services/HighScores.h"
#include "shell/Hud.h"
#include "shell/MainForm.h"

namespace {

// Joystick buttons 1 to 4 fire: no key is bound to their input states (the keys begin at
// button 6), and a joystick without fire would only steer.
constexpr int32_t KJoystickFireButtons = 4;

// The main window as the game flow sees it.
class TPlayScreen final : public IGameScreen {
 public:
  explicit TPlayScreen(TMForm& Form) : F(Form) {}

  void EnterPlayScreen() override {
    F.Shell.ScreenKind = skGame;
    F.PlayScreenMusic();  // the race music
    F.HideMousePointer();
    // No buttons during play: a click or Enter does nothing without a dialog.
    F.Shell.FirstButton = 1;
    F.Shell.LastButton = 0;
    F.Shell.HoveredButton = 0;
  }
  void LeavePlayScreen() override { F.Shell.ScreenKind = skNone; }
  TScrollBackground* Sky() override { return F.Shell.SkyBackground; }
  void DrawHud() override { ::DrawHud(F); }
  void OpenExitToMenu() override { F.OpenDialog(dkExitToMenu); }
  void OpenPause() override { F.OpenDialog(dkPause); }

 private:
  TMForm& F;
};

}  // namespace

void TMForm::StartGame() {
  FinishLoading();  // what follows may need any picture, sound or device
  TPlayScreen Screen(*this);
  ::StartGame(*this, Screen);
}

void TMForm::GameTick(int32_t LagCount) {
  const TDXInputStates& States = MDXInput.States;
  TGameControls Controls;
  Controls.Left = States.Has(isLeft);
  Controls.Right = States.Has(isRight);
  Controls.Up = States.Has(isUp);
  Controls.Down = States.Has(isDown);
  // Space and Enter fire when their press began in play, not when it answered a question
  // or started the game.
  Controls.Fire = (Shell.SpaceHeld && Shell.SpaceFromPlay) ||
                  (Shell.EnterHeld && Shell.EnterFromPlay) || Shell.CtrlHeld || Shell.MouseHeld;
  for (int32_t B = 1; B <= KJoystickFireButtons; ++B)
    Controls.Fire = Controls.Fire || States.Has(InputButton(B));
  Controls.EscapePressed = Shell.EscapePressed;
  Controls.PausePressed = Shell.PausePressed;
  TPlayScreen Screen(*this);
  ::GameTick(*this, Screen, LagCount, Controls);
}

void TMForm::EndGame() {
  TPlayScreen Screen(*this);
  ::EndGame(*this, Screen);
}

void TMForm::FinishGame() {
  if (::ScoreQualifies(HighScores, GameState.Score)) {
    OpenDialog(dkEnterName);
  } else {
    EndGame();
    ShowMainMenu(0, 1, true);
  }
}

void TMForm::EndGameToHighScores() {
  CloseDialog();
  EndGame();
  ShowMainMenu(0, 3, true);
  LeaveScreen();
  ShowHighScores();
}
