// The options screen: display, music, sound, the boss key and the player's country, each a
// row button, and Back. Every change takes effect at once; leaving the screen after a change
// saves it.

#include "shell/MainForm.h"
#include "shell/MenuButton.h"
#include "shell/MenuSteps.h"
#include "shell/TextEntry.h"

namespace {

constexpr int32_t KRowY[6] = {0, 270, 323, 375, 428, 481};
constexpr int32_t KValueX = 410;  // where values and the country field start
constexpr size_t KCountryMaxLength = 12;
constexpr int32_t KCountryMaxWidth = 180;  // pixels in style 4, measured before the new char
constexpr int32_t KStylePlain = 4;
constexpr int32_t KStyleChosen = 13;  // red

}  // namespace

void TMForm::ShowOptions() {
  FinishLoading();  // what follows may need any picture, sound or device
  Shell.ScreenKind = skOptions;
  Shell.FirstButton = 1;
  Shell.LastButton = 6;
  Shell.HoveredButton = 6;  // Back
  Shell.ScreenCaption = new TMyImageSprite(*this, 1, "Cap_Opt", 181, 179, 3);
  Shell.ScreenPanel = new TMyImageSprite(*this, 1, "Sub_Bg", 181, 241, 3);
  for (int32_t I = 1; I <= 5; ++I)
    Shell.Buttons[static_cast<size_t>(I)] =
        new TMenuButton(*this, 1, "OptB_A", "OptB_I", 0, 0, 204, KRowY[I]);
  Shell.Buttons[6] = new TMenuButton(*this, 1, "Back_A", "Back_I", 0, 0, 177, 549);
  Shell.TextCursor = new TMyCursor(*this, 1, "Cursor", KValueX, 485, 5, 500);
  Shell.CountryEditing = false;
  Shell.BossKeyCapture = false;
  FOptionsOnEntry = OptionsFileText(Options, "");
}

void TMForm::OptionsTick(int32_t LagCount) {
  UpdateButtonHighlight();
  if (!Shell.CountryEditing) {
    // Left and Right step the highlighted row's value as a click on it does; not on Back.
    const int32_t Row = Shell.HoveredButton;
    if ((Shell.LeftPressed || Shell.RightPressed) && Row >= 1 && Row <= 5) PressButton(Row);
    if (Shell.UpPressed) StepDownClamped(Shell.HoveredButton, Shell.FirstButton, 1);
    if (Shell.DownPressed) StepUpClamped(Shell.HoveredButton, Shell.LastButton, 1);
    if (Shell.EscapePressed) PressButton(6);
  } else if (Shell.EscapePressed) {
    PressButton(5);  // Esc ends the editing first
  }
  if (Shell.ScreenKind != skOptions) return;  // Back left the screen
  MDXSpriteEngine.Move(LagCount);
  DrawOptions();
  // Right after the text, measured in the style DrawOptions left selected.
  if (Shell.TextCursor != nullptr) Shell.TextCursor->X = TextWidth(Options.Country) + KValueX;
}

void TMForm::DrawOptions() {
  const auto Choice = [this](int32_t Y, bool First, const char* A, int32_t SlashX, const char* B,
                             int32_t BX) {
    SetTextStyle(First ? KStyleChosen : KStylePlain);
    DrawText(A, KValueX, Y, false, false);
    SetTextStyle(KStylePlain);
    DrawText("/", SlashX, Y, false, false);
    SetTextStyle(First ? KStylePlain : KStyleChosen);
    DrawText(B, BX, Y, false, false);
  };
  SetTextStyle(KStylePlain);
  DrawText("DISPLAY:", 220, KRowY[1], false, false);
  DrawText("MUSIC:", 220, KRowY[2], false, false);
  DrawText("SOUND:", 220, KRowY[3], false, false);
  DrawText("BOSS KEY:", 220, KRowY[4], false, false);
  DrawText("YOUR COUNTRY:", 220, KRowY[5], false, false);
  Choice(KRowY[1], !Options.FullScreen, "WINDOW", 511, "FULL SCREEN", 527);
  Choice(KRowY[2], Options.MusicOn, "ON", 444, "OFF", 458);
  Choice(KRowY[3], Options.SoundOn, "ON", 444, "OFF", 458);
  SetTextStyle(KStyleChosen);
  DrawText(BossKeyName(), KValueX, KRowY[4], false, false);
  SetTextStyle(KStylePlain);
  DrawText(Options.Country, KValueX, KRowY[5], false, false);
  DrawText("____________________", KValueX, KRowY[5], false, false);  // the field's line
}

void TMForm::ToggleCountryEditing() {
  Shell.CountryEditing = !Shell.CountryEditing;
  if (Shell.TextCursor != nullptr) Shell.TextCursor->Blinking = Shell.CountryEditing;
}

void TMForm::LeaveOptions() {
  Shell.ScreenKind = skNone;
  for (TMyImageSprite** S : {&Shell.ScreenCaption, &Shell.ScreenPanel}) {
    if (*S != nullptr) (*S)->Kill();
    *S = nullptr;
  }
  FreeButtons();
  if (Shell.TextCursor != nullptr) Shell.TextCursor->Kill();
  Shell.TextCursor = nullptr;
}

void TMForm::OptionsButton(int32_t Button) {
  switch (Button) {
    case 1:
      Options.FullScreen = !Options.FullScreen;
      ApplyDisplayMode();
      break;
    case 2:
      Options.MusicOn = !Options.MusicOn;
      StopMusic();
      PlayScreenMusic();
      break;
    case 3:
      Options.SoundOn = !Options.SoundOn;
      break;
    case 4:
      ToggleBossKeyCapture();
      break;
    case 5:
      ToggleCountryEditing();
      break;
    case 6:
      // A boss-key capture or a country edit still open ends here, as moving off its row
      // would end it (a capture with no F-key taken brings the old key back); then what
      // changed is saved.
      if (Shell.BossKeyCapture) ToggleBossKeyCapture();
      if (Shell.CountryEditing) ToggleCountryEditing();
      LeaveOptions();
      ShowMainMenu(0, 2, false);
      if (OptionsFileText(Options, "") != FOptionsOnEntry) SaveGameFiles();
      break;
    default:
      break;
  }
}

void TMForm::CountryChar(uint8_t Ch) {
  if (Ch == 8) {
    DeleteLastChar(Options.Country);
  } else if (IsNameChar(Ch) && TextWidthIn(Options.Country, KStylePlain) <= KCountryMaxWidth) {
    AppendChar(Options.Country, Ch, KCountryMaxLength);
  }
}
