// The live buttons of a screen or dialog: hover, highlight, freeing, and ButtonAction, the
// one routine that carries out what the hovered button means where it stands.

#include "game/ScrollBackground.h"
#include "services/WebLinks.h"
#include "shell/MainForm.h"
#include "shell/MenuButton.h"
#include "shell/MenuSteps.h"

void TMForm::UpdateHover() {
  for (int32_t I = Shell.FirstButton; I <= Shell.LastButton; ++I) {
    const TMenuButton* B = Shell.Buttons[static_cast<size_t>(I)];
    if (B == nullptr) continue;
    // Both edges count; with the mouse off every button the last one touched stays.
    if (B->X <= Shell.MouseX && Shell.MouseX <= B->X + B->Width && B->Y <= Shell.MouseY &&
        Shell.MouseY <= B->Y + B->Height) {
      Shell.HoveredButton = I;
      return;
    }
  }
}

void TMForm::UpdateButtonHighlight() {
  for (int32_t I = Shell.FirstButton; I <= Shell.LastButton; ++I) {
    TMenuButton* B = Shell.Buttons[static_cast<size_t>(I)];
    if (B == nullptr || I == Shell.HoveredButton) continue;
    B->Deactivate();
    B->Highlighted = false;
  }
  const int32_t H = Shell.HoveredButton;
  if (H < Shell.FirstButton || H > Shell.LastButton) return;
  TMenuButton* B = Shell.Buttons[static_cast<size_t>(H)];
  if (B == nullptr || B->Highlighted) return;
  B->Activate();
  B->Highlighted = true;
  // Moving off the boss-key row ends its capture, off the country row its editing.
  if (Shell.ScreenKind == skOptions) {
    if (H != 4 && Shell.BossKeyCapture) ToggleBossKeyCapture();
    if (H != 5 && Shell.CountryEditing) ToggleCountryEditing();
  }
}

void TMForm::FreeButtons() {
  for (int32_t I = Shell.FirstButton; I <= Shell.LastButton; ++I) {
    TMenuButton*& B = Shell.Buttons[static_cast<size_t>(I)];
    if (B != nullptr) B->Kill();
    B = nullptr;
  }
}

void TMForm::LeaveScreen() {
  Shell.ScreenKind = skNone;
  FreeButtons();
}

void TMForm::PressButton(int32_t I) {
  Shell.HoveredButton = I;
  ButtonAction();
}

void TMForm::ButtonAction() {
  FinishLoading();  // what follows may need any picture, sound or device
  if (Shell.ScreenKind != skGame || Shell.DialogKind != dkNone) PlayCue("Button");
  if (Shell.DialogKind != dkNone) {
    switch (Shell.DialogKind) {
      case dkExitGame:
        if (Shell.HoveredButton == 11) {
          CloseDialog();
          if (Shell.SkyBackground != nullptr) Shell.SkyBackground->Kill();
          Shell.SkyBackground = nullptr;
          LeaveScreen();
          Shutdown();
        }
        if (Shell.HoveredButton == 12) CloseDialog();
        break;
      case dkExitToMenu:
        if (Shell.HoveredButton == 11) {
          CloseDialog();
          FinishGame();
        }
        if (Shell.HoveredButton == 12) CloseDialog();
        break;
      case dkClearScores:
        if (Shell.HoveredButton == 11) {
          CloseDialog();
          ::ResetHighScores(HighScores);
          SaveGameFiles();  // at once: a crash later must not bring the old table back
        }
        if (Shell.HoveredButton == 12) CloseDialog();
        break;
      case dkEnterName:
        // Enter or a click anywhere takes the name as it stands, even empty.
        ::EnterHighScore(HighScores, Shell.PlayerName, GameState.Score);
        SaveGameFiles();  // at once: the result survives whatever ends the program next
        CloseDialog();
        OpenDialog(dkSendScore);
        break;
      case dkSendScore:
        if (Shell.HoveredButton == 11) {
          CloseDialog();
          MDXSpriteEngine.FreeDead();
          OpenDialog(dkSending);
        } else if (Shell.HoveredButton == 12) {
          EndGameToHighScores();
        }
        break;
      default:  // banners and "Sending results..." take no buttons
        break;
    }
    return;
  }
  const int32_t B = Shell.HoveredButton;
  switch (Shell.ScreenKind) {
    case skMainMenu:
      switch (B) {
        case 1:
          LeaveScreen();
          StartGame();
          break;
        case 2:
          LeaveScreen();
          ShowOptions();
          break;
        case 3:
          LeaveScreen();
          ShowHighScores();
          break;
        case 4:
          LeaveScreen();
          ShowHelp();
          break;
        case 5:
          OpenWebPage(Platform.Shell(), Online.HomeUrl());
          break;
        case 6:
          OpenDialog(dkExitGame);
          break;
        default:
          break;
      }
      break;
    case skOptions:
      OptionsButton(B);
      break;
    case skHighScores:
      switch (B) {
        case 1:
          LeaveHighScores();
          ShowMainMenu(0, 3, false);
          break;
        case 2:
          OpenDialog(dkClearScores);
          break;
        case 3:
          OpenWebPage(Platform.Shell(), Online.WorldTableUrl());
          break;
        default:
          break;
      }
      break;
    case skHelp:
      switch (B) {
        case 1:
          LeaveHelp();
          ShowMainMenu(0, 4, false);
          break;
        case 2:
          StepPrevWrap(HelpPage, 1, 6);
          break;
        case 3:
          StepNextWrap(HelpPage, 1, 6);
          break;
        default:
          break;
      }
      break;
    default:  // play and between screens: nothing
      break;
  }
}
