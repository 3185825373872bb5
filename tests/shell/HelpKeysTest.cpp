// The keys the help pages promise, on the real main window: Enter or Space on a menu
// option, Left and Right to change one, Space, Enter, Ctrl or the mouse to fire, P or Pause
// to pause, with the keys delivered as the window delivers them (the key's event, then its
// character).

#include <gtest/gtest.h>

#include "ShellFixture.h"
#include "game/Player.h"

namespace {

constexpr int32_t VkPause = 19;

// A key pressed and let go as the window reports it: down and its character in one frame,
// up before the next.
void Press(TShellFixture& F, int32_t Vk, uint8_t Ch) {
  F.KeyDown(Vk);
  F.Type(Ch);
  F.Frame();
  F.KeyUp(Vk);
  F.Frame();
}
void PressSpace(TShellFixture& F) {
  Press(F, VkSpace, ' ');
}
void PressEnter(TShellFixture& F) {
  Press(F, VkReturn, 13);
}

void StartPlaying(TShellFixture& F) {
  F.FinishIntro();
  PressEnter(F);
  ASSERT_EQ(F.S().ScreenKind, skGame);
  F.WaitOutLevelBanner();
}

bool Firing(TShellFixture& F) {
  return F.Form.GameState.Player->FireHeld;
}

}  // namespace

TEST(HelpKeys, SpacePressesTheHighlightedButtonOnEveryScreenAndQuestion) {
  TShellFixture F;
  F.FinishIntro();
  F.Tap(VkDown);
  PressSpace(F);  // Options
  ASSERT_EQ(F.S().ScreenKind, skOptions);
  PressSpace(F);  // Back
  ASSERT_EQ(F.S().ScreenKind, skMainMenu);
  EXPECT_EQ(F.S().HoveredButton, 2);
  F.Tap(VkDown);
  PressSpace(F);  // High scores
  ASSERT_EQ(F.S().ScreenKind, skHighScores);
  F.Tap(VkRight);
  PressSpace(F);  // Clear: the question, No preselected
  ASSERT_EQ(F.S().DialogKind, dkClearScores);
  PressSpace(F);
  EXPECT_EQ(F.S().DialogKind, dkNone);
  F.Tap(VkLeft);
  PressSpace(F);  // Back
  ASSERT_EQ(F.S().ScreenKind, skMainMenu);
  F.Tap(VkDown);
  PressSpace(F);  // Help: Right to Next, then Space turns the page
  ASSERT_EQ(F.S().ScreenKind, skHelp);
  F.Tap(VkRight);
  F.Tap(VkRight);
  PressSpace(F);
  EXPECT_EQ(F.Form.HelpPage, 2);
  F.Tap(VkEscape);
  // The exit question: Left to Yes, and Space ends the program.
  F.Tap(VkEscape);
  ASSERT_EQ(F.S().DialogKind, dkExitGame);
  F.Tap(VkLeft);
  PressSpace(F);
  EXPECT_TRUE(F.Form.Terminated());
}

TEST(HelpKeys, SpaceTypesWhereASpaceIsACharacter) {
  TShellFixture F;
  F.FinishIntro();
  F.Tap(VkDown);
  PressEnter(F);
  F.Tap(VkUp);  // Back -> the country row
  PressSpace(F);
  ASSERT_TRUE(F.S().CountryEditing);
  PressSpace(F);
  EXPECT_TRUE(F.S().CountryEditing);
  EXPECT_EQ(F.Form.Options.Country, "_______ ");
  PressEnter(F);
  EXPECT_FALSE(F.S().CountryEditing);

  F.Tap(VkEscape);
  ASSERT_EQ(F.S().ScreenKind, skMainMenu);
  F.Form.PressButton(1);
  F.Frame();
  F.WaitOutLevelBanner();
  F.Form.GameState.Score = 9000;
  F.Form.OpenDialog(dkEnterName);
  F.Type("A");
  PressSpace(F);
  F.Type("B");
  F.Frame();
  EXPECT_EQ(F.S().DialogKind, dkEnterName);
  EXPECT_EQ(F.S().PlayerName, "A B");
  PressEnter(F);
  EXPECT_EQ(F.S().DialogKind, dkSendScore);
}

TEST(HelpKeys, LeftAndRightChangeTheHighlightedOption) {
  TShellFixture F;
  F.FinishIntro();
  F.Tap(VkDown);
  PressEnter(F);
  ASSERT_EQ(F.S().ScreenKind, skOptions);
  // On Back they do nothing.
  F.Tap(VkLeft);
  F.Tap(VkRight);
  EXPECT_EQ(F.S().ScreenKind, skOptions);
  EXPECT_EQ(F.S().HoveredButton, 6);
  // Each press steps the row's value, as a click on the row does.
  for (int32_t I = 0; I < 4; ++I) F.Tap(VkUp);  // the music row
  ASSERT_EQ(F.S().HoveredButton, 2);
  F.Tap(VkLeft);
  EXPECT_FALSE(F.Form.Options.MusicOn);
  F.Tap(VkRight);
  EXPECT_TRUE(F.Form.Options.MusicOn);
  F.Tap(VkDown);
  F.Tap(VkRight);
  EXPECT_FALSE(F.Form.Options.SoundOn);
  F.Tap(VkUp);
  F.Tap(VkUp);
  F.Tap(VkRight);  // the display
  EXPECT_TRUE(F.Form.Options.FullScreen);
  EXPECT_TRUE(F.P.FakeWindow.FullScreen);
  F.Tap(VkLeft);
  EXPECT_FALSE(F.P.FakeWindow.FullScreen);
  // The boss key: the capture starts, and the next press ends it with the old key.
  for (int32_t I = 0; I < 3; ++I) F.Tap(VkDown);
  F.Tap(VkRight);
  EXPECT_TRUE(F.S().BossKeyCapture);
  F.Tap(VkRight);
  EXPECT_FALSE(F.S().BossKeyCapture);
  EXPECT_EQ(F.Form.BossKeyName(), "ALT+F9");
  // The country: editing starts; while it runs the arrows are not the row's.
  F.Tap(VkDown);
  F.Tap(VkLeft);
  ASSERT_TRUE(F.S().CountryEditing);
  F.Tap(VkLeft);
  F.Tap(VkRight);
  EXPECT_TRUE(F.S().CountryEditing);
}

TEST(HelpKeys, EnterFiresInPlayAndStillAnswersTheQuestionsOverIt) {
  TShellFixture F;
  StartPlaying(F);
  // The Enter that started the game did not fire.
  EXPECT_FALSE(Firing(F));
  F.KeyDown(VkReturn);
  F.Type(13);
  F.Frames(2);
  EXPECT_TRUE(Firing(F));
  // Held to fire, its repeats do not answer the question that opens under it.
  F.Tap(VkEscape);
  ASSERT_EQ(F.S().DialogKind, dkExitToMenu);
  F.KeyDown(VkReturn);
  F.Type(13);
  F.Frame();
  EXPECT_EQ(F.S().DialogKind, dkExitToMenu);
  F.KeyUp(VkReturn);
  F.Frame();
  // A fresh press answers No, and that press does not fire when the game goes on.
  F.KeyDown(VkReturn);
  F.Type(13);
  F.Frame();
  EXPECT_EQ(F.S().DialogKind, dkNone);
  F.Frames(2);
  EXPECT_FALSE(Firing(F));
  F.KeyUp(VkReturn);
  // Alt+Enter switches the display and pauses; it is no fire either.
  F.Frame();
  F.KeyDown(VkReturn, ssAlt);
  F.Frame();
  EXPECT_EQ(F.S().DialogKind, dkPause);
  EXPECT_FALSE(F.S().EnterHeld);
}

TEST(HelpKeys, AFireKeyHeldThroughTheGameOverNeitherTypesNorEntersTheName) {
  TShellFixture F;
  StartPlaying(F);
  F.KeyDown(VkSpace);
  F.KeyDown(VkReturn);
  F.Frame();
  ASSERT_TRUE(Firing(F));
  F.Form.GameState.Score = 9000;
  F.Form.OpenGameOverBanner();
  F.Frames(273);
  ASSERT_EQ(F.S().DialogKind, dkEnterName);
  for (int32_t I = 0; I < 5; ++I) {  // the two keys' auto-repeat
    F.KeyDown(VkSpace);
    F.Type(' ');
    F.KeyDown(VkReturn);
    F.Type(13);
    F.Frame();
  }
  EXPECT_EQ(F.S().DialogKind, dkEnterName);
  EXPECT_EQ(F.S().PlayerName, "");
  F.KeyUp(VkSpace);
  F.KeyUp(VkReturn);
  F.Type("Ace");
  PressSpace(F);
  F.Frame();
  EXPECT_EQ(F.S().PlayerName, "Ace ");
  PressEnter(F);
  EXPECT_EQ(F.S().DialogKind, dkSendScore);
}

TEST(HelpKeys, ThePauseKeyPausesAndResumesAsPDoes) {
  TShellFixture F;
  StartPlaying(F);
  // Many keyboards report Pause down and up at once, between two frames.
  F.KeyDown(VkPause);
  F.KeyUp(VkPause);
  F.Frame();
  EXPECT_EQ(F.S().DialogKind, dkPause);
  F.Frames(3);
  EXPECT_EQ(F.S().DialogKind, dkPause);
  F.KeyDown(VkPause);
  F.Frame();
  EXPECT_EQ(F.S().DialogKind, dkNone);
  // Held, it does not pause again on its auto-repeat.
  F.KeyDown(VkPause);
  F.Frames(3);
  EXPECT_EQ(F.S().DialogKind, dkNone);
  F.KeyUp(VkPause);
  F.KeyDown(VkPause);
  F.Frame();
  EXPECT_EQ(F.S().DialogKind, dkPause);
  F.KeyUp(VkPause);
  F.Tap('P');
  EXPECT_EQ(F.S().DialogKind, dkNone);
}

TEST(HelpKeys, ThePointerOverThePictureIsTheHand) {
  TShellFixture F;
  EXPECT_TRUE(F.P.FakeWindow.HandPointer);
}
