// The high-score screen: the local table of the ten best, clearing it, and the world page.

#include "services/HighScores.h"
#include "shell/MainForm.h"
#include "shell/MenuButton.h"
#include "shell/MenuSteps.h"

void TMForm::ShowHighScores() {
  FinishLoading();  // what follows may need any picture, sound or device
  Shell.ScreenKind = skHighScores;
  Shell.FirstButton = 1;
  Shell.LastButton = 3;
  Shell.HoveredButton = 1;  // Back
  Shell.ScreenCaption = new TMyImageSprite(*this, 1, "Cap_HS", 181, 179, 3);
  Shell.ScreenPanel = new TMyImageSprite(*this, 1, "HS_Bg", 181, 241, 3);
  Shell.Buttons[2] = new TMenuButton(*this, 1, "Clear_HS_A", "Clear_HS_I", 0, 0, 311, 550);
  Shell.Buttons[3] = new TMenuButton(*this, 1, "Visit_WHS_A", "Visit_WHS_I", 0, 0, 518, 550);
  Shell.Buttons[1] = new TMenuButton(*this, 1, "Back_A", "Back_I", 0, 0, 177, 549);
}

void TMForm::HighScoresTick(int32_t LagCount) {
  UpdateButtonHighlight();
  if (Shell.LeftPressed) StepDownClamped(Shell.HoveredButton, Shell.FirstButton, 1);
  if (Shell.RightPressed) StepUpClamped(Shell.HoveredButton, Shell.LastButton, 1);
  if (Shell.EscapePressed) PressButton(1);
  if (Shell.ScreenKind != skHighScores) return;  // Back left the screen
  MDXSpriteEngine.Move(LagCount);
  // Under a dialog (Clear opened one just now) the table is not drawn.
  if (Shell.DialogKind == dkNone) DrawHighScores();
}

void TMForm::DrawHighScores() {
  SetTextStyle(2);
  for (int32_t N = 1; N <= 10; ++N) {
    const THighScore& E = HighScores[static_cast<size_t>(N)];
    const int32_t Y = 290 + 26 * (N - 1);
    DrawText(std::to_string(N), 238, Y, true, true);
    DrawText(E.Name, 416, Y, true, true);
    DrawText(std::to_string(E.Score), 661, Y, true, true);
  }
}

void TMForm::LeaveHighScores() {
  Shell.ScreenKind = skNone;
  FreeButtons();
  for (TMyImageSprite** S : {&Shell.ScreenCaption, &Shell.ScreenPanel}) {
    if (*S != nullptr) (*S)->Kill();
    *S = nullptr;
  }
}
