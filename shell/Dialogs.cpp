// The one modal dialog of the game: questions with Yes and No, the pause, level and
// game-over banners, the name entry and the upload's message, all drawn inside the frame.

#include "shell/MainForm.h"
#include "shell/MenuButton.h"
#include "shell/MenuSteps.h"
#include "shell/TextEntry.h"

namespace {

bool IsYesNoKind(uint8_t Kind) {
  return Kind == dkExitGame || Kind == dkExitToMenu || Kind == dkClearScores || Kind == dkSendScore;
}
// The kinds drawn on the "Window" frame; the banners stand bare over the game.
bool IsWindowKind(uint8_t Kind) {
  return IsYesNoKind(Kind) || Kind == dkEnterName || Kind == dkSending;
}

constexpr int32_t KNameMaxLength = 12;
constexpr int32_t KNameMaxWidth = 240;  // pixels in style 10, measured before the new char

}  // namespace

bool IsNameChar(uint8_t Ch) {
  return (Ch >= '0' && Ch <= '9') || (Ch >= 'A' && Ch <= 'Z') || (Ch >= 'a' && Ch <= 'z') ||
         Ch == ' ';
}

void DeleteLastChar(std::string& Text) {
  if (!Text.empty()) Text.pop_back();
}

void AppendChar(std::string& Text, uint8_t Ch, size_t MaxLength) {
  if (Text.size() < MaxLength) Text.push_back(static_cast<char>(Ch));
}

void TMForm::OpenDialog(uint8_t Kind) {
  FinishLoading();                         // what follows may need any picture, sound or device
  if (Shell.DialogKind != dkNone) return;  // one dialog at a time
  Shell.DialogKind = Kind;
  Shell.SavedHovered = Shell.HoveredButton;
  Shell.SavedFirst = Shell.FirstButton;
  Shell.SavedLast = Shell.LastButton;
  if (IsWindowKind(Kind)) Shell.DialogWindow = new TMyImageSprite(*this, 1, "Window", 256, 226, 14);
  if (IsYesNoKind(Kind)) {
    ShowMousePointer();
    Shell.FirstButton = 11;
    Shell.LastButton = 12;
    // Every question preselects No, but the offer to send the result preselects Yes.
    Shell.HoveredButton = Kind == dkSendScore ? 11 : 12;
    auto* Yes = new TMenuButton(*this, 1, "Yes", "Yes", 0, 1, 320, 346);
    auto* No = new TMenuButton(*this, 1, "No", "No", 0, 1, 446, 346);
    Yes->SetZ(15);
    No->SetZ(15);
    Shell.Buttons[11] = Yes;
    Shell.Buttons[12] = No;
  }
  if (Kind == dkLevel) Shell.DialogTimer = 2000;
  if (Kind == dkGameOver) Shell.DialogTimer = 3000;
  if (Kind == dkEnterName) {
    auto* Cursor = new TMyCursor(*this, 1, "Cursor", 266, 337, 15, 500);
    Cursor->Blinking = true;
    Shell.TextCursor = Cursor;
  }
  Shell.SendStarted = false;
}

void TMForm::DialogFrame(int32_t LagCount) {
  const uint8_t Kind = Shell.DialogKind;
  if (IsYesNoKind(Kind)) {
    if (Shell.Buttons[11] != nullptr) Shell.Buttons[11]->Move(LagCount);
    if (Shell.Buttons[12] != nullptr) Shell.Buttons[12]->Move(LagCount);
    UpdateButtonHighlight();
    if (Shell.YesPressed) PressButton(11);
    if (Shell.NoPressed) PressButton(12);
    // Left selects Yes, Right selects No; neither wraps.
    if (Shell.LeftPressed) {
      ClampToFirst(Shell.HoveredButton, Shell.FirstButton, Shell.LastButton);
      StepDownClamped(Shell.HoveredButton, Shell.FirstButton, 1);
    }
    if (Shell.RightPressed) {
      ClampToLast(Shell.HoveredButton, Shell.FirstButton, Shell.LastButton);
      StepUpClamped(Shell.HoveredButton, Shell.LastButton, 1);
    }
  }
  // Drawn and acted on by the kind as it is now: Y may have opened the next dialog.
  switch (Shell.DialogKind) {
    case dkExitGame:
      SetTextStyle(1);
      DrawText("Exit the game?", 400, 286, true, true);
      break;
    case dkExitToMenu:
      SetTextStyle(1);
      DrawText("Exit to menu?", 400, 286, true, true);
      break;
    case dkClearScores:
      SetTextStyle(3);
      DrawText("Do you want to clear", 400, 266, true, true);
      DrawText("the High Score Table?", 400, 306, true, true);
      break;
    case dkPause:
      SetTextStyle(5);
      DrawText("Pause", 400, 286, true, true);
      if (Shell.PausePressed) CloseDialog();
      if (Shell.EscapePressed) CloseDialog();
      break;
    case dkLevel:
      SetTextStyle(5);
      DrawText("Level " + std::to_string(GameState.Level), 400, 286, true, true);
      if (!CountDown(Shell.DialogTimer, 0, Shell.FrameMs)) CloseDialog();
      break;
    case dkGameOver:
      SetTextStyle(5);
      DrawText("Game Over", 400, 286, true, true);
      if (!CountDown(Shell.DialogTimer, 0, Shell.FrameMs)) {
        CloseDialog();
        FinishGame();
      }
      break;
    case dkEnterName:
      SetTextStyle(9);
      DrawText("Your score is " + std::to_string(GameState.Score), 400, 266, true, true);
      DrawText("Please, enter Your name:", 400, 306, true, true);
      SetTextStyle(10);
      DrawText(Shell.PlayerName, 400, 346, true, true);
      if (Shell.TextCursor != nullptr) {
        Shell.TextCursor->X = TextWidth(Shell.PlayerName) / 2.0 + 400;
        Shell.TextCursor->Move(LagCount);
      }
      break;
    case dkSendScore:
      SetTextStyle(11);
      DrawText("Send the result", 400, 256, true, true);
      DrawText("to the World's", 400, 286, true, true);
      DrawText("Highscores page?", 400, 316, true, true);
      break;
    case dkSending:
      SetTextStyle(11);
      DrawText("Sending results...", 400, 296, true, true);
      // The first frame shows the message and starts the upload; the frames go on under
      // it until the upload has ended, whatever its outcome.
      if (!Shell.SendStarted) {
        WorldScoreUpload.Start(Platform.Http(), Online, Shell.PlayerName, GameState.Score,
                               Options.Country);
        Shell.SendStarted = true;
      } else if (WorldScoreUpload.Done()) {
        EndGameToHighScores();
      }
      break;
    default:
      break;
  }
  // The display stays current under every dialog over the game.
  if (Shell.ScreenKind == skGame) DrawHud();
  // A save that failed is told in the first dialog after it.
  if (Shell.DialogKind != dkNone) DrawSaveNotice();
}

void TMForm::CloseDialog() {
  const uint8_t Kind = Shell.DialogKind;
  Shell.HoveredButton = Shell.SavedHovered;
  Shell.FirstButton = Shell.SavedFirst;
  Shell.LastButton = Shell.SavedLast;
  if (IsWindowKind(Kind) && Shell.DialogWindow != nullptr) {
    Shell.DialogWindow->Kill();
    Shell.DialogWindow = nullptr;
  }
  if (IsYesNoKind(Kind)) {
    if (Shell.ScreenKind == skGame) HideMousePointer();
    for (size_t I : {size_t{11}, size_t{12}}) {
      if (Shell.Buttons[I] != nullptr) Shell.Buttons[I]->Kill();
      Shell.Buttons[I] = nullptr;
    }
  }
  if (Kind == dkEnterName && Shell.TextCursor != nullptr) {
    Shell.TextCursor->Kill();
    Shell.TextCursor = nullptr;
  }
  Shell.DialogKind = dkNone;
  if (FSaveNoticeShown) FSaveNotice.clear();
}

void TMForm::NameEntryChar(uint8_t Ch) {
  if (Ch == 8) {
    DeleteLastChar(Shell.PlayerName);
  } else if (IsNameChar(Ch) && TextWidthIn(Shell.PlayerName, 10) <= KNameMaxWidth) {
    AppendChar(Shell.PlayerName, Ch, KNameMaxLength);
  }
}
