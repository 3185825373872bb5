#include <gtest/gtest.h>

#include "ShellFixture.h"
#include "shell/MenuSteps.h"

TEST(MenuSteps, WrapAndClamp) {
  struct TCase {
    const char* Op;
    int32_t V, Lo, Hi, Expected;
  };
  const TCase Cases[] = {
      {"next", 1, 1, 6, 2},      {"next", 6, 1, 6, 1},    {"next", 0, 1, 6, 1},
      {"next", 9, 1, 6, 1},      {"prev", 2, 1, 6, 1},    {"prev", 1, 1, 6, 6},
      {"prev", 0, 1, 6, 6},      {"prev", 7, 1, 6, 6},    {"first", 0, 11, 12, 11},
      {"first", 12, 11, 12, 12}, {"last", 3, 11, 12, 12}, {"last", 11, 11, 12, 11},
  };
  for (const TCase& C : Cases) {
    int32_t V = C.V;
    const std::string Op = C.Op;
    if (Op == "next") StepNextWrap(V, C.Lo, C.Hi);
    if (Op == "prev") StepPrevWrap(V, C.Lo, C.Hi);
    if (Op == "first") ClampToFirst(V, C.Lo, C.Hi);
    if (Op == "last") ClampToLast(V, C.Lo, C.Hi);
    EXPECT_EQ(V, C.Expected) << Op << " " << C.V;
  }
  int32_t V = 5;
  StepUpClamped(V, 6, 1);
  StepUpClamped(V, 6, 1);
  EXPECT_EQ(V, 6);
  StepDownClamped(V, 5, 1);
  StepDownClamped(V, 5, 1);
  EXPECT_EQ(V, 5);
}

TEST(MainMenu, StartsFadingInWithButtonOneHoveredAndMenuMusic) {
  TShellFixture F;
  EXPECT_EQ(F.S().ScreenKind, skMainMenu);
  EXPECT_EQ(F.S().HoveredButton, 1);
  EXPECT_EQ(F.S().MenuIntroStep, 1);
  EXPECT_EQ(F.S().FirstButton, 1);
  EXPECT_EQ(F.S().LastButton, 6);
  for (int32_t I = 1; I <= 6; ++I) {
    EXPECT_TRUE(F.S().Buttons[I]->AlphaBlend);
    EXPECT_EQ(F.S().Buttons[I]->Alpha, 0);
  }
  EXPECT_GE(F.P.FakeWindow.CursorCounter, 0);  // pointer shown
  // The music follows the first picture, with the rest of the start-up.
  EXPECT_TRUE(F.P.FakeMusic.Loaded.empty());
  F.Form.FinishLoading();
  ASSERT_FALSE(F.P.FakeMusic.Loaded.empty());
  EXPECT_NE(F.P.FakeMusic.Loaded.back().find("Menu.xm"), std::string::npos);
}

TEST(MainMenu, FadeInIgnoresKeysAndEndsWhenButtonSixReaches260) {
  TShellFixture F;
  int32_t Frames = 0;
  std::vector<int32_t> StartedAt(7, -1);
  while (F.S().MenuIntroStep != 0 && Frames < 500) {
    // Keys during the fade-in do nothing.
    F.P.FakeKeyboard.SetKey(Frames % 2 ? VkDown : VkEscape, true);
    F.Frame();
    F.P.FakeKeyboard.ReleaseAll();
    ++Frames;
    EXPECT_EQ(F.S().HoveredButton, 1);
    EXPECT_EQ(F.S().DialogKind, dkNone);
    for (int32_t I = 1; I <= 6; ++I) {
      EXPECT_FALSE(F.S().Buttons[I]->Highlighted);
      if (StartedAt[I] < 0 && F.S().Buttons[I]->Alpha > 0) StartedAt[I] = Frames;
    }
    if (F.S().MenuIntroStep != 0) {
      EXPECT_LT(F.S().Buttons[6]->Alpha, 260);
    }
  }
  EXPECT_EQ(F.S().MenuIntroStep, 0);
  for (int32_t I = 1; I <= 6; ++I) EXPECT_EQ(F.S().Buttons[I]->Alpha, 260) << I;
  // Each button starts when the one above it has reached 80: eight frames later.
  for (int32_t I = 2; I <= 6; ++I) EXPECT_EQ(StartedAt[I] - StartedAt[I - 1], 8) << I;
  // Now the keys work and the highlight shows.
  F.Frame();
  EXPECT_TRUE(F.S().Buttons[1]->Highlighted);
  F.Tap(VkDown);
  EXPECT_EQ(F.S().HoveredButton, 2);
}

TEST(MainMenu, UpFromOneWrapsToSixAndDownFromSixToOne) {
  TShellFixture F;
  F.FinishIntro();
  F.Tap(VkUp);
  EXPECT_EQ(F.S().HoveredButton, 6);
  F.Frame();
  EXPECT_TRUE(F.S().Buttons[6]->Highlighted);
  EXPECT_FALSE(F.S().Buttons[1]->Highlighted);
  // A held key steps once.
  F.P.FakeKeyboard.SetKey(VkDown, true);
  F.Frames(5);
  F.P.FakeKeyboard.SetKey(VkDown, false);
  EXPECT_EQ(F.S().HoveredButton, 1);
}

TEST(MainMenu, ClickBeforeAnyHoverStartsAGameWithoutLeavingFireHeld) {
  TShellFixture F;
  F.Frames(3);  // still fading in
  F.Click();
  F.Frame();
  EXPECT_EQ(F.S().ScreenKind, skGame);
  EXPECT_FALSE(F.S().MouseHeld);
  EXPECT_LT(F.P.FakeWindow.CursorCounter, 0);  // pointer hidden during play
  EXPECT_NE(F.P.FakeMusic.Loaded.back().find("Race.xm"), std::string::npos);
  F.WaitOutLevelBanner();
  // The buttons are gone: a click during play does nothing.
  F.Click();
  F.Frame();
  EXPECT_EQ(F.S().ScreenKind, skGame);
  EXPECT_EQ(F.S().DialogKind, dkNone);
}

TEST(MainMenu, MouseHoverKeepsTheLastButtonTouched) {
  TShellFixture F;
  F.FinishIntro();
  F.Hover(4);
  F.Frame();
  EXPECT_EQ(F.S().HoveredButton, 4);
  EXPECT_TRUE(F.S().Buttons[4]->Highlighted);
  F.MoveMouse(100, 100);  // off every button
  F.Frame();
  EXPECT_EQ(F.S().HoveredButton, 4);
  // Enter acts on it: the help screen.
  F.Type(VkReturn);
  F.Frame();
  EXPECT_EQ(F.S().ScreenKind, skHelp);
}

TEST(MainMenu, EscapeAsksToExitAndYesEndsTheProgram) {
  TShellFixture F;
  F.FinishIntro();
  F.Tap(VkEscape);
  EXPECT_EQ(F.S().DialogKind, dkExitGame);
  EXPECT_EQ(F.S().HoveredButton, 12);  // No preselected
  F.Frame();
  EXPECT_TRUE(F.Drew("Exit the game?"));
  F.Tap('Y');
  EXPECT_TRUE(F.Form.Terminated());
  // The options and the table were saved, the exit link opened (when play.url names one).
  EXPECT_TRUE(std::filesystem::exists(F.SaveDir / "Data/Save/options"));
  EXPECT_TRUE(std::filesystem::exists(F.SaveDir / "Data/Save/hs"));
}

TEST(MainMenu, WebSiteButtonOpensTheHomePage) {
  TShellFixture F;
  F.FinishIntro();
  F.Hover(5);
  F.Click();
  F.Frame();
  ASSERT_EQ(F.P.FakeShell.Opened.size(), 1u);
  EXPECT_EQ(F.P.FakeShell.Opened[0], F.Form.Online.HomeUrl());
  EXPECT_EQ(F.S().ScreenKind, skMainMenu);
}
