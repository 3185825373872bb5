// A full round of the shell walked with the keyboard alone and with the mouse alone: menu,
// options, play, pause, exit to menu, name entry, send question, high scores, help, exit.
// The game's rules do not run here; the score a finished game leaves is set by hand.
#include <gtest/gtest.h>

#include "ShellFixture.h"

TEST(Round, KeyboardAlone) {
  TShellFixture F;
  F.FinishIntro();
  // Options: music off and on, back.
  F.Tap(VkDown);
  F.Type(VkReturn);
  F.Frame();
  ASSERT_EQ(F.S().ScreenKind, skOptions);
  for (int32_t I = 0; I < 4; ++I) F.Tap(VkUp);
  F.Type(VkReturn);
  F.Frame();
  EXPECT_FALSE(F.Form.Options.MusicOn);
  F.Type(VkReturn);
  F.Frame();
  EXPECT_TRUE(F.Form.Options.MusicOn);
  F.Tap(VkEscape);
  ASSERT_EQ(F.S().ScreenKind, skMainMenu);
  // Play, pause, resume, exit to menu with a score that earns a place.
  F.Tap(VkUp);
  F.Type(VkReturn);
  F.Frame();
  ASSERT_EQ(F.S().ScreenKind, skGame);
  F.WaitOutLevelBanner();
  F.Tap('P');
  EXPECT_EQ(F.S().DialogKind, dkPause);
  F.Tap('P');
  EXPECT_EQ(F.S().DialogKind, dkNone);
  F.Form.GameState.Score = 4800;
  F.Tap(VkEscape);
  F.Tap('Y');
  ASSERT_EQ(F.S().DialogKind, dkEnterName);
  F.Type("Keys");
  F.Type(VkReturn);
  F.Frame();
  ASSERT_EQ(F.S().DialogKind, dkSendScore);
  F.Tap(VkRight);  // No
  F.Type(VkReturn);
  F.Frame();
  ASSERT_EQ(F.S().ScreenKind, skHighScores);
  F.Frame();
  EXPECT_TRUE(F.Drew("Keys"));
  // Back to the menu on High Scores, down to Help, all six pages, back, exit.
  F.Tap(VkEscape);
  ASSERT_EQ(F.S().HoveredButton, 3);
  F.Tap(VkDown);
  F.Type(VkReturn);
  F.Frame();
  ASSERT_EQ(F.S().ScreenKind, skHelp);
  F.Tap(VkRight);
  F.Tap(VkRight);
  for (int32_t Page = 2; Page <= 6; ++Page) {
    F.Tap(VkRight);
    EXPECT_EQ(F.Form.HelpPage, Page);
  }
  F.Tap(VkEscape);
  ASSERT_EQ(F.S().ScreenKind, skMainMenu);
  F.Tap(VkEscape);
  F.Tap('Y');
  EXPECT_TRUE(F.Form.Terminated());
}

TEST(Round, MouseAlone) {
  TShellFixture F;
  F.FinishIntro();
  const auto ClickOn = [&F](int32_t Button) {
    F.Hover(Button);
    F.Frame();
    F.Click();
    F.Frame();
  };
  ClickOn(2);
  ASSERT_EQ(F.S().ScreenKind, skOptions);
  ClickOn(3);
  EXPECT_FALSE(F.Form.Options.SoundOn);
  ClickOn(3);
  EXPECT_TRUE(F.Form.Options.SoundOn);
  ClickOn(6);
  ASSERT_EQ(F.S().ScreenKind, skMainMenu);
  ClickOn(1);
  ASSERT_EQ(F.S().ScreenKind, skGame);
  F.WaitOutLevelBanner();
  // Fire with the mouse held; the window's close button asks "Exit to menu?".
  TPlatformEvent Down;
  Down.Kind = TEventKind::MouseDown;
  F.P.FakeWindow.PushEvent(Down);
  F.Frame();
  EXPECT_TRUE(F.S().MouseHeld);
  TPlatformEvent Up;
  Up.Kind = TEventKind::MouseUp;
  F.P.FakeWindow.PushEvent(Up);
  F.Form.GameState.Score = 4800;
  TPlatformEvent Close;
  Close.Kind = TEventKind::CloseRequest;
  F.P.FakeWindow.PushEvent(Close);
  F.Frame();
  ASSERT_EQ(F.S().DialogKind, dkExitToMenu);
  ClickOn(11);
  ASSERT_EQ(F.S().DialogKind, dkEnterName);
  F.Click();  // a click anywhere takes the name, even empty
  F.Frame();
  ASSERT_EQ(F.S().DialogKind, dkSendScore);
  ClickOn(12);
  ASSERT_EQ(F.S().ScreenKind, skHighScores);
  EXPECT_EQ(F.Form.HighScores[2].Score, 4800);
  ClickOn(1);
  ASSERT_EQ(F.S().ScreenKind, skMainMenu);
  ClickOn(4);
  ASSERT_EQ(F.S().ScreenKind, skHelp);
  ClickOn(2);
  EXPECT_EQ(F.Form.HelpPage, 6);
  ClickOn(1);
  ClickOn(6);
  ASSERT_EQ(F.S().DialogKind, dkExitGame);
  ClickOn(11);
  EXPECT_TRUE(F.Form.Terminated());
}
