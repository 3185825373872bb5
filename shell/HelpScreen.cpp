// The help screen: six pages of texts and pictures, turned with Prev and Next.

#include "shell/MainForm.h"
#include "shell/MenuButton.h"
#include "shell/MenuSteps.h"

namespace {

const char* const KHelpTitles[7] = {
    "", "GAME OVERVIEW AND OBJECTIVES", "ENEMIES", "BONUSES", "CONTROLS", "CONTROLS", "ABOUT",
};

const char* const KHelpStory[9] = {
    " Another hunters' campaign brought the loss of four congeners",
    "for the peaceful ducks. It was decided to send a team of saboteurs",
    "at the world ducks' rally. This team was to commit an act",
    "of sabotage in the hunters' village. However, the team was lured",
    "into a trap on the way to the lake. Only you and your young",
    "assistant stayed alive.",
    " You are a fighting duck! An assistant helps you. Destroy the",
    "hunters at each level and free the territory for your congeners.",
    "The peaceful ducks help you with ammunition and different bonuses.",
};

const char* const KHelpMenuControls[6] = {
    "Use the cursor keys or mouse to move the menu cursor",       "up and down.",
    "Press any mouse button or the \"Enter\"/\"Space\" keys to",  "enter menu options.",
    "Press the \"Left Arrow\" or \"Right Arrow\" keys to change", "a menu option.",
};

const char* const KHelpGameControls[8] = {
    "Use the keys \"Arrow Left\" and \"Arrow Right\" to move",
    "left and right.",
    "Use the keys \"Arrow Up\" and \"Arrow Down\" to move up and down.",
    "Press keys \"Space\", \"Enter\", \"Ctrl\" or left mouse button",
    "to fire the gun.",
    "Use keys \"P\" or \"Pause\" to pause or resume the game.",
    "Use the \"Escape\" key to exit from the game to Main Menu.",
    "Use \"Alt\"+\"Enter\" keys to change window/full screen modes.",
};

struct TLabel {
  const char* Text;
  int32_t X, Y;
};
const TLabel KEnemyScores[5] = {
    {"+10 Score", 200, 358}, {"+20 Score", 200, 418}, {"+50 Score", 200, 478},
    {"+50 Score", 520, 358}, {"+45 Score", 520, 418},
};
const TLabel KBonusNames[8] = {
    {"Machinegun", 200, 361},          {"Gun 2x", 200, 407},    {"Rocket Projector", 200, 462},
    {"Rocket Projector 3x", 200, 515}, {"Mega Bomb", 520, 361}, {"Life", 520, 407},
    {"Assistant", 520, 462},           {"Score", 520, 515},
};

struct THelpPicture {
  const char* Image;
  uint8_t ImageList;
  int32_t X, Y;
  int32_t Page;
};
const THelpPicture KHelpPictures[14] = {
    {"HelpAirplane", 1, 320, 340, 2}, {"HelpBird", 1, 310, 378, 2},
    {"HelpDog", 1, 350, 445, 2},      {"HelpHelicopter", 1, 650, 335, 2},
    {"HelpHunter", 1, 647, 375, 2},   {"BSingleGun", 2, 380, 334, 3},
    {"BMultiGun", 2, 380, 386, 3},    {"BRocket", 2, 380, 438, 3},
    {"BRocket3x", 2, 380, 490, 3},    {"BMegaBomb", 2, 670, 334, 3},
    {"BLife", 2, 670, 386, 3},        {"BHero", 2, 670, 438, 3},
    {"BScore", 2, 670, 490, 3},       {"HelpLogo", 1, 210, 350, 6},
};

}  // namespace

// The about page's credit line; the address below it is the home page of the configuration.
const char* const KHelpCredit = "Made by the Tallow Brackles team";

namespace {

const char* HelpPageTitle(int32_t Page) {
  return Page >= 1 && Page <= 6 ? KHelpTitles[Page] : "";
}

}  // namespace

void TMForm::ShowHelp() {
  FinishLoading();  // what follows may need any picture, sound or device
  Shell.ScreenKind = skHelp;
  Shell.FirstButton = 1;
  Shell.LastButton = 3;
  Shell.HoveredButton = 1;  // Back
  HelpPage = 1;
  Shell.ScreenCaption = new TMyImageSprite(*this, 1, "Cap_Help", 181, 241, 3);
  Shell.ScreenPanel = new TMyImageSprite(*this, 1, "Sub_BG", 181, 241, 3);
  Shell.Buttons[2] = new TMenuButton(*this, 1, "Prev_A", "Prev_I", 0, 0, 531, 549);
  Shell.Buttons[3] = new TMenuButton(*this, 1, "Next_A", "Next_I", 0, 0, 677, 549);
  Shell.Buttons[1] = new TMenuButton(*this, 1, "Back_A", "Back_I", 0, 0, 177, 549);
  for (size_t I = 0; I < HelpPictures.size(); ++I) {
    const THelpPicture& P = KHelpPictures[I];
    HelpPictures[I] = new TMyImageSprite(*this, P.ImageList, P.Image, P.X, P.Y, 4);
    HelpPictures[I]->Visible = false;
  }
}

void TMForm::HelpTick(int32_t LagCount) {
  UpdateButtonHighlight();
  int32_t& H = Shell.HoveredButton;
  if (Shell.LeftPressed && (H == 2 || H == 3)) --H;
  if (Shell.RightPressed) {
    // One step per press: Back to Prev to Next, and on Next the page turns.
    if (H == 3) {
      PressButton(3);
    } else if (H == 2 || H == 1) {
      ++H;
    }
  }
  if (Shell.EscapePressed) PressButton(1);
  // Back may have left the screen.
  if (Shell.ScreenKind == skHelp) DrawHelpPage();
  MDXSpriteEngine.Move(LagCount);
}

void TMForm::DrawHelpPage() {
  SetTextStyle(14);
  DrawText(HelpPageTitle(HelpPage), 200, 318, false, true);
  switch (HelpPage) {
    case 1:
      SetTextStyle(16);
      for (int32_t I = 1; I <= 9; ++I) DrawText(KHelpStory[I - 1], 200, 325 + 18 * I, false, true);
      break;
    case 2:
      SetTextStyle(15);
      for (const TLabel& L : KEnemyScores) DrawText(L.Text, L.X, L.Y, false, true);
      break;
    case 3:
      SetTextStyle(15);
      for (const TLabel& L : KBonusNames) DrawText(L.Text, L.X, L.Y, false, true);
      break;
    case 4:
      SetTextStyle(15);
      DrawText("MENU NAVIGATIONS", 200, 348, false, true);
      SetTextStyle(16);
      for (int32_t I = 1; I <= 6; ++I)
        DrawText(KHelpMenuControls[I - 1], 200, 325 + 18 * (I + 2), false, true);
      break;
    case 5:
      SetTextStyle(15);
      DrawText("GAME NAVIGATIONS", 200, 348, false, true);
      SetTextStyle(16);
      for (int32_t I = 1; I <= 8; ++I)
        DrawText(KHelpGameControls[I - 1], 200, 325 + 18 * (I + 2), false, true);
      break;
    case 6:
      SetTextStyle(14);
      DrawText("Tallow Brackles", 394, 372, false, true);
      DrawText(KHelpCredit, 395, 406, false, true);
      DrawText(Online.HomeUrl(), 390, 440, false, true);
      break;
    default:
      break;
  }
  for (size_t I = 0; I < HelpPictures.size(); ++I)
    if (HelpPictures[I] != nullptr) HelpPictures[I]->Visible = KHelpPictures[I].Page == HelpPage;
}

void TMForm::LeaveHelp() {
  Shell.ScreenKind = skNone;
  FreeButtons();
  for (TMyImageSprite** S : {&Shell.ScreenCaption, &Shell.ScreenPanel}) {
    if (*S != nullptr) (*S)->Kill();
    *S = nullptr;
  }
  for (TMyImageSprite*& P : HelpPictures) {
    if (P != nullptr) P->Kill();
    P = nullptr;
  }
}
