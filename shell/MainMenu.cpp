// The main menu: six buttons over the menu backdrop, fading in one after another at
// start-up.

#include <stdexcept>

#include "game/ScrollBackground.h"
#include "shell/MainForm.h"
#include "shell/MenuButton.h"
#include "shell/MenuSteps.h"
#include "shell/PackLoading.h"

namespace {

struct TMainMenuRow {
  const char* Active;
  const char* Inactive;
  int32_t Y;
};
// Play, options, high scores, help, the web site, exit; all at X 498.
constexpr TMainMenuRow KMainMenuRows[6] = {
    {"MM_1_A", "MM_1_I", 150}, {"MM_2_A", "MM_2_I", 200}, {"MM_3_A", "MM_3_I", 252},
    {"MM_4_A", "MM_4_I", 304}, {"MM_5_A", "MM_5_I", 352}, {"MM_6_A", "MM_6_I", 400},
};
constexpr int32_t KMainMenuX = 498;

}  // namespace

void TMForm::DecodeMainMenuPictures() {
  TPictureCollection& Pictures = MDXImageList1.Items();
  try {
    Pictures.DecodePicture("MMB");
    for (const TMainMenuRow& R : KMainMenuRows) {
      Pictures.DecodePicture(R.Active);
      Pictures.DecodePicture(R.Inactive);
    }
  } catch (const std::exception& Ex) {
    throw std::runtime_error(DataRoot + kMenuPack + " cannot be loaded: " + Ex.what());
  }
}

void TMForm::ShowMainMenu(int32_t IntroStep, int32_t Hovered, bool WithMusic) {
  Shell.ScreenKind = skMainMenu;
  if (WithMusic) PlayScreenMusic();
  ShowMousePointer();
  Shell.FirstButton = 1;
  Shell.LastButton = 6;
  Shell.HoveredButton = Hovered;
  Shell.MenuIntroStep = IntroStep;
  // The sky stands still with the menu's picture, behind every menu screen.
  if (TScrollBackground* Sky = Shell.SkyBackground) {
    Sky->ShowImageFrom("MMB", 1);
    Sky->SpeedX = 0;
    Sky->X = 0;
    Sky->Y = 0;
  }
  for (int32_t I = 1; I <= 6; ++I) {
    const TMainMenuRow& R = KMainMenuRows[I - 1];
    auto* B = new TMenuButton(*this, 1, R.Active, R.Inactive, 0, 0, KMainMenuX, R.Y);
    if (IntroStep == 1) {
      B->AlphaBlend = true;
      B->Alpha = 0;  // fully transparent until its turn
    }
    Shell.Buttons[static_cast<size_t>(I)] = B;
  }
}

void TMForm::AdvanceMenuIntro() {
  int32_t& Step = Shell.MenuIntroStep;
  if (Step == 1) Step = 2;
  for (int32_t I = 1; I <= Step - 1; ++I) {
    TMenuButton* B = Shell.Buttons[static_cast<size_t>(I)];
    if (B != nullptr && B->Alpha < 255) B->Alpha += 10;
  }
  // Each button starts when the one above it reaches 80; alphas stop at 260.
  const TMenuButton* Above = Shell.Buttons[static_cast<size_t>(Step - 1)];
  if (Above != nullptr && Above->Alpha >= 80 && Step < 7) ++Step;
  const TMenuButton* Last = Shell.Buttons[6];
  if (Step == 7 && Last != nullptr && Last->Alpha >= 255) Step = 0;
}

void TMForm::MainMenuTick(int32_t LagCount) {
  if (Shell.MenuIntroStep != 0) {
    // While the buttons fade in: no highlight, and the keys are not read.
    AdvanceMenuIntro();
  } else {
    UpdateButtonHighlight();
    if (Shell.UpPressed) StepPrevWrap(Shell.HoveredButton, Shell.FirstButton, Shell.LastButton);
    if (Shell.DownPressed) StepNextWrap(Shell.HoveredButton, Shell.FirstButton, Shell.LastButton);
    if (Shell.EscapePressed) OpenDialog(dkExitGame);
  }
  MDXSpriteEngine.Move(LagCount);
}
