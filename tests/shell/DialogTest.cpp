#include <gtest/gtest.h>

#include "ShellFixture.h"
#include "game/ScrollBackground.h"

namespace {

// A game started from the menu, running past its first banner.
void StartPlaying(TShellFixture& F) {
  F.FinishIntro();
  F.Type(VkReturn);
  F.Frame();
  ASSERT_EQ(F.S().ScreenKind, skGame);
  F.WaitOutLevelBanner();
}

}  // namespace

TEST(Dialogs, PauseByPAndResumeByP) {
  TShellFixture F;
  StartPlaying(F);
  F.Tap('P');
  EXPECT_EQ(F.S().DialogKind, dkPause);
  // The P that opened it is used up: the pause stays.
  F.Frames(3);
  EXPECT_EQ(F.S().DialogKind, dkPause);
  EXPECT_TRUE(F.Drew("Pause"));
  // The picture stands still under the pause.
  const double SkyX = F.S().SkyBackground->X;
  F.Frames(5);
  EXPECT_EQ(F.S().SkyBackground->X, SkyX);
  F.Tap('P');
  EXPECT_EQ(F.S().DialogKind, dkNone);
  F.Frames(2);
  EXPECT_LT(F.S().SkyBackground->X, SkyX);
}

TEST(Dialogs, EscapeDoesNotRepeatThroughThePause) {
  TShellFixture F;
  StartPlaying(F);
  F.Tap('P');
  // Esc closes the pause; held on, it does not open "Exit to menu?".
  F.P.FakeKeyboard.SetKey(VkEscape, true);
  F.Frames(5);
  EXPECT_EQ(F.S().DialogKind, dkNone);
  F.P.FakeKeyboard.SetKey(VkEscape, false);
  F.Frame();
  F.Tap(VkEscape);
  EXPECT_EQ(F.S().DialogKind, dkExitToMenu);
}

TEST(Dialogs, NoRestoresTheHighlightAndYesOfExitToMenuActsInTheSameFrame) {
  TShellFixture F;
  F.FinishIntro();
  F.Tap(VkDown);
  F.Tap(VkDown);
  F.Frame();
  ASSERT_EQ(F.S().HoveredButton, 3);
  bool CanClose = true;
  F.Form.FormCloseQuery(CanClose);
  EXPECT_FALSE(CanClose);
  EXPECT_EQ(F.S().DialogKind, dkExitGame);
  F.Tap(VkLeft);  // Yes
  EXPECT_EQ(F.S().HoveredButton, 11);
  F.Tap('N');
  EXPECT_EQ(F.S().DialogKind, dkNone);
  EXPECT_EQ(F.S().HoveredButton, 3);
  EXPECT_EQ(F.S().FirstButton, 1);
  EXPECT_EQ(F.S().LastButton, 6);
  EXPECT_FALSE(F.Form.Terminated());

  // In a game a close request asks "Exit to menu?"; Y with a score that earns a place opens
  // the name entry and draws it in that same frame.
  F.Type(VkReturn);  // Enter on button 3: high scores; back to the menu on button 1
  F.Frame();
  ASSERT_EQ(F.S().ScreenKind, skHighScores);
  F.Tap(VkEscape);
  ASSERT_EQ(F.S().ScreenKind, skMainMenu);
  F.Tap(VkUp);
  F.Tap(VkUp);
  F.Frame();
  ASSERT_EQ(F.S().HoveredButton, 1);
  F.Type(VkReturn);
  F.Frame();
  ASSERT_EQ(F.S().ScreenKind, skGame);
  F.WaitOutLevelBanner();
  F.Form.GameState.Score = 9999;
  F.Form.FormCloseQuery(CanClose);
  ASSERT_EQ(F.S().DialogKind, dkExitToMenu);
  F.Frame();
  EXPECT_TRUE(F.Drew("Exit to menu?"));
  F.Tap('Y');
  EXPECT_EQ(F.S().DialogKind, dkEnterName);
  EXPECT_TRUE(F.Drew("Your score is 9999"));
  EXPECT_TRUE(F.Drew("Please, enter Your name:"));
  EXPECT_FALSE(F.Drew("Exit to menu?"));
}

TEST(Dialogs, ExitToMenuWithoutAPlaceGoesStraightToTheMenu) {
  TShellFixture F;
  StartPlaying(F);
  F.Tap(VkEscape);
  ASSERT_EQ(F.S().DialogKind, dkExitToMenu);
  EXPECT_GE(F.P.FakeWindow.CursorCounter, 0);  // the pointer shows for the question
  F.Tap('N');
  EXPECT_EQ(F.S().ScreenKind, skGame);
  EXPECT_LT(F.P.FakeWindow.CursorCounter, 0);  // and hides again in play
  F.Tap(VkEscape);
  F.Tap('Y');
  EXPECT_EQ(F.S().DialogKind, dkNone);
  EXPECT_EQ(F.S().ScreenKind, skMainMenu);
  EXPECT_EQ(F.S().HoveredButton, 1);
  EXPECT_EQ(F.S().MenuIntroStep, 0);
  EXPECT_NE(F.P.FakeMusic.Loaded.back().find("Menu.xm"), std::string::npos);
}

TEST(Dialogs, CloseRequestWhileADialogIsOpenChangesNothing) {
  TShellFixture F;
  StartPlaying(F);
  F.Tap('P');
  TPlatformEvent Close;
  Close.Kind = TEventKind::CloseRequest;
  F.P.FakeWindow.PushEvent(Close);
  F.Frame();
  EXPECT_EQ(F.S().DialogKind, dkPause);
  EXPECT_FALSE(F.Form.Terminated());
}

TEST(Dialogs, LevelBannerOf2000MsAt11MsPerFrameClosesAfter182Frames) {
  TShellFixture F;
  StartPlaying(F);
  ASSERT_EQ(F.S().FrameMs, 11);
  F.Form.GameState.Level = 3;
  F.Form.OpenLevelBanner();
  F.Frame();
  EXPECT_TRUE(F.Drew("Level 3"));
  F.Frames(180);
  EXPECT_EQ(F.S().DialogKind, dkLevel);
  EXPECT_EQ(F.S().DialogTimer, 2000 - 181 * 11);
  F.Frame();
  EXPECT_EQ(F.S().DialogKind, dkNone);
}

TEST(Dialogs, GameOverBannerLeadsToTheMenuWithoutAPlace) {
  TShellFixture F;
  StartPlaying(F);
  F.Form.OpenGameOverBanner();
  F.Frames(272);  // 3000 ms at 11 ms: 273 frames
  EXPECT_EQ(F.S().DialogKind, dkGameOver);
  F.Frame();
  EXPECT_EQ(F.S().DialogKind, dkNone);
  EXPECT_EQ(F.S().ScreenKind, skMainMenu);
}

TEST(Dialogs, NameEntrySendQuestionAndTheTable) {
  TShellFixture F;
  StartPlaying(F);
  F.Form.GameState.Score = 4800;  // second place in the default table
  F.Form.OpenGameOverBanner();
  F.Frames(273);
  ASSERT_EQ(F.S().DialogKind, dkEnterName);
  EXPECT_NE(F.S().TextCursor, nullptr);
  F.Type("Dux");
  F.Frame();
  EXPECT_TRUE(F.Drew("Dux"));
  F.Type(VkReturn);
  F.Frame();
  // Entered and sorted, then the offer to send it, Yes preselected.
  EXPECT_EQ(F.Form.HighScores[2].Name, "Dux");
  EXPECT_EQ(F.Form.HighScores[2].Score, 4800);
  EXPECT_EQ(F.S().DialogKind, dkSendScore);
  EXPECT_EQ(F.S().HoveredButton, 11);
  EXPECT_TRUE(F.Drew("Send the result"));
  F.Tap('N');
  EXPECT_EQ(F.S().DialogKind, dkNone);
  EXPECT_EQ(F.S().ScreenKind, skHighScores);
  F.Frame();
  EXPECT_TRUE(F.Drew("Dux"));
  EXPECT_TRUE(F.P.FakeHttp.Requests.empty());
}

TEST(Dialogs, SendingShowsItsMessageThenTheTable) {
  TShellFixture F;
  StartPlaying(F);
  F.Form.GameState.Score = 4800;
  bool CanClose = true;
  F.Form.FormCloseQuery(CanClose);
  F.Tap('Y');
  ASSERT_EQ(F.S().DialogKind, dkEnterName);
  F.Type(VkReturn);
  F.Frame();
  ASSERT_EQ(F.S().DialogKind, dkSendScore);
  F.Type(VkReturn);  // Yes is preselected
  F.Frame();
  EXPECT_EQ(F.S().DialogKind, dkSending);
  EXPECT_TRUE(F.Drew("Sending results..."));
  for (int32_t I = 0; I < 200 && F.S().DialogKind == dkSending; ++I) F.Frame();
  EXPECT_EQ(F.S().DialogKind, dkNone);
  EXPECT_EQ(F.S().ScreenKind, skHighScores);
  EXPECT_EQ(F.P.FakeHttp.Requests.size(), 1u);
}

TEST(Dialogs, NameEntryLimits) {
  TShellFixture F;
  StartPlaying(F);
  F.Form.GameState.Score = 9000;
  F.Form.OpenDialog(dkEnterName);
  // Backspace on an empty name does nothing; other characters than letters, digits and
  // space are ignored.
  F.Type(8);
  F.Type("a-b_c.!9 Z\xe9");
  F.Frame();
  EXPECT_EQ(F.S().PlayerName, "abc9 Z");
  // Key repeat types on until 12 characters.
  for (int32_t I = 0; I < 20; ++I) F.Type('x');
  F.Frame();
  EXPECT_EQ(F.S().PlayerName, "abc9 Zxxxxxx");
  F.Type(8);
  F.Frame();
  EXPECT_EQ(F.S().PlayerName, "abc9 Zxxxxx");
  // Wider than 240 pixels takes nothing more; the width is the one before the new
  // character, so the last one taken may pass 240.
  F.S().PlayerName.clear();
  F.P.FakeFonts.CharWidths['W'] = 70;
  F.Type("WWWWWW");
  F.Frame();
  EXPECT_EQ(F.S().PlayerName, "WWWW");  // 210 <= 240 takes the fourth, 280 stops
  // The cursor stands after the name, centred on 400.
  F.P.FakeFonts.CharWidths.clear();
  F.S().PlayerName = "abcd";  // 4 x 9 pixels in style 10
  F.Frame();
  EXPECT_EQ(F.S().TextCursor->X, 400 + 18);
}
