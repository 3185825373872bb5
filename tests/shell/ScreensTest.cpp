#include <gtest/gtest.h>

#include "ShellFixture.h"

namespace {

// From the faded-in main menu to the screen of button I.
void OpenFromMenu(TShellFixture& F, int32_t I) {
  F.FinishIntro();
  F.Hover(I);
  F.Click();
  F.Frame();
}

}  // namespace

TEST(OptionsScreen, RowsToggleAndBackReturnsToButtonTwo) {
  TShellFixture F;
  OpenFromMenu(F, 2);
  ASSERT_EQ(F.S().ScreenKind, skOptions);
  EXPECT_EQ(F.S().HoveredButton, 6);
  F.Frame();
  EXPECT_TRUE(F.Drew("DISPLAY:"));
  EXPECT_TRUE(F.Drew("ALT+F9"));
  // Music off stops it at once; on starts the menu music again from its beginning.
  const size_t Loads = F.P.FakeMusic.Loaded.size();
  F.Form.PressButton(2);
  EXPECT_FALSE(F.Form.Options.MusicOn);
  EXPECT_EQ(F.P.FakeMusic.Loaded.size(), Loads);
  F.Form.PressButton(2);
  EXPECT_TRUE(F.Form.Options.MusicOn);
  EXPECT_EQ(F.P.FakeMusic.Loaded.size(), Loads + 1);
  F.Form.PressButton(3);
  EXPECT_FALSE(F.Form.Options.SoundOn);
  // The display switch keeps the screen and its highlight.
  F.Form.PressButton(1);
  EXPECT_TRUE(F.P.FakeWindow.FullScreen);
  F.Frame();
  EXPECT_EQ(F.S().ScreenKind, skOptions);
  EXPECT_EQ(F.S().HoveredButton, 1);
  // Selected values are red (style 13), the others black.
  const auto* Full = F.FindDrawn("FULL SCREEN");
  ASSERT_NE(Full, nullptr);
  EXPECT_EQ(Full->Colour, 0xFF0000u);
  EXPECT_EQ(F.FindDrawn("WINDOW")->Colour, 0u);
  // Up and Down stop at the ends; Esc goes back with Options hovered.
  F.Tap(VkUp);
  EXPECT_EQ(F.S().HoveredButton, 1);
  F.Tap(VkEscape);
  EXPECT_EQ(F.S().ScreenKind, skMainMenu);
  EXPECT_EQ(F.S().HoveredButton, 2);
  EXPECT_EQ(F.S().MenuIntroStep, 0);
}

TEST(OptionsScreen, CountryEditingAndItsLimits) {
  TShellFixture F;
  OpenFromMenu(F, 2);
  ASSERT_EQ(F.Form.Options.Country, "_______");
  F.Tap(VkUp);  // Back -> country
  F.Type(VkReturn);
  F.Frame();
  ASSERT_TRUE(F.S().CountryEditing);
  EXPECT_TRUE(F.S().TextCursor->Blinking);
  // Up, Down do nothing while editing; the default text stays until deleted.
  F.Tap(VkUp);
  EXPECT_EQ(F.S().HoveredButton, 5);
  F.Type("Ab");
  F.Frame();
  EXPECT_EQ(F.Form.Options.Country, "_______Ab");
  for (int32_t I = 0; I < 9; ++I) F.Type(8);
  F.Type("Finland?!");
  F.Frame();
  EXPECT_EQ(F.Form.Options.Country, "Finland");
  F.Type("12345678");
  F.Frame();
  EXPECT_EQ(F.Form.Options.Country, "Finland12345");  // 12 characters
  // Wider than 180 pixels in style 4 takes nothing more.
  F.Form.Options.Country.clear();
  F.P.FakeFonts.CharWidths['M'] = 50;
  F.Type("MMMMMM");
  F.Frame();
  EXPECT_EQ(F.Form.Options.Country, "MMMM");  // 150 <= 180 takes the fourth
  F.P.FakeFonts.CharWidths.clear();
  F.Frame();
  // The cursor stands after the text (8 pixels a character in style 4).
  EXPECT_EQ(F.S().TextCursor->X, 410 + 4 * 8);
  // Esc ends the editing first, then leaves.
  F.Tap(VkEscape);
  EXPECT_FALSE(F.S().CountryEditing);
  EXPECT_EQ(F.S().ScreenKind, skOptions);
  F.Tap(VkEscape);
  EXPECT_EQ(F.S().ScreenKind, skMainMenu);
}

TEST(HelpScreen, PagesWrapAndRightWalksTheButtons) {
  TShellFixture F;
  OpenFromMenu(F, 4);
  ASSERT_EQ(F.S().ScreenKind, skHelp);
  EXPECT_EQ(F.S().HoveredButton, 1);
  F.Frame();
  EXPECT_TRUE(F.Drew("GAME OVERVIEW AND OBJECTIVES"));
  EXPECT_TRUE(F.Drew(" Another hunters' campaign brought the loss of four congeners"));
  // Right: Back -> Prev -> Next, then pages turn.
  F.Tap(VkRight);
  EXPECT_EQ(F.S().HoveredButton, 2);
  EXPECT_EQ(F.Form.HelpPage, 1);
  F.Tap(VkRight);
  EXPECT_EQ(F.S().HoveredButton, 3);
  F.Tap(VkRight);
  EXPECT_EQ(F.Form.HelpPage, 2);
  F.Frame();
  EXPECT_TRUE(F.Drew("ENEMIES"));
  EXPECT_TRUE(F.Drew("+45 Score"));
  EXPECT_TRUE(F.Form.HelpPictures[0]->Visible);   // the airplane
  EXPECT_FALSE(F.Form.HelpPictures[5]->Visible);  // a bonus
  for (int32_t I = 0; I < 4; ++I) F.Tap(VkRight);
  EXPECT_EQ(F.Form.HelpPage, 6);
  F.Frame();
  EXPECT_TRUE(F.Drew("Tallow Brackles"));
  EXPECT_TRUE(F.Drew(F.Form.Online.HomeUrl()));
  EXPECT_TRUE(F.Form.HelpPictures[13]->Visible);  // the logo
  F.Tap(VkRight);
  EXPECT_EQ(F.Form.HelpPage, 1);
  // Prev on page 1 shows page 6.
  F.Tap(VkLeft);
  EXPECT_EQ(F.S().HoveredButton, 2);
  F.Type(VkReturn);
  F.Frame();
  EXPECT_EQ(F.Form.HelpPage, 6);
  F.Tap(VkEscape);
  EXPECT_EQ(F.S().ScreenKind, skMainMenu);
  EXPECT_EQ(F.S().HoveredButton, 4);
}

TEST(HelpScreen, ADoubleClickOnNextTurnsTwoPages) {
  TShellFixture F;
  OpenFromMenu(F, 4);
  F.Hover(3);
  F.Frame();
  F.DoubleClick();
  F.Frame();
  EXPECT_EQ(F.Form.HelpPage, 3);
  F.Frame();
  EXPECT_TRUE(F.Drew("Rocket Projector 3x"));
}

TEST(HighScoreScreen, TableClearQuestionAndWorldPage) {
  TShellFixture F;
  F.Form.HighScores[1] = {"Best", 9000};
  OpenFromMenu(F, 3);
  ASSERT_EQ(F.S().ScreenKind, skHighScores);
  F.Frame();
  EXPECT_TRUE(F.Drew("Best"));
  EXPECT_TRUE(F.Drew("9000"));
  const auto* First = F.FindDrawn("1");
  ASSERT_NE(First, nullptr);
  // Centred both ways on (238, 290): one character of 7 pixels, 15 high, halves truncated.
  EXPECT_EQ(First->X, 234);
  EXPECT_EQ(First->Y, 282);
  F.Tap(VkRight);
  EXPECT_EQ(F.S().HoveredButton, 2);
  F.Type(VkReturn);
  F.Frame();
  ASSERT_EQ(F.S().DialogKind, dkClearScores);
  F.Frame();
  // Under the question the table is not drawn.
  EXPECT_TRUE(F.Drew("Do you want to clear"));
  EXPECT_FALSE(F.Drew("Best"));
  EXPECT_FALSE(F.Drew("ANONYMOUS"));
  F.Tap('N');
  F.Frame();
  EXPECT_TRUE(F.Drew("Best"));
  EXPECT_EQ(F.S().HoveredButton, 2);
  F.Type(VkReturn);
  F.Frame();
  F.Tap('Y');
  F.Frame();
  EXPECT_FALSE(F.Drew("Best"));
  EXPECT_TRUE(F.Drew("ANONYMOUS"));
  F.Tap(VkRight);
  F.Type(VkReturn);
  F.Frame();
  ASSERT_EQ(F.P.FakeShell.Opened.size(), 1u);
  EXPECT_EQ(F.P.FakeShell.Opened[0], F.Form.Online.WorldTableUrl());
  F.Tap(VkEscape);
  EXPECT_EQ(F.S().ScreenKind, skMainMenu);
  EXPECT_EQ(F.S().HoveredButton, 3);
}

TEST(TextStyles, CentredTextAndTheStyleTable) {
  TShellFixture F;
  F.Frame();
  F.P.FakeFonts.Drawn.clear();
  F.Form.SetTextStyle(5);
  F.Form.DrawText("Pause", 400, 286, true, true);  // 5 x 18 wide, 36 high
  ASSERT_EQ(F.P.FakeFonts.Drawn.size(), 1u);
  EXPECT_EQ(F.P.FakeFonts.Drawn[0].X, 400 - 45);
  EXPECT_EQ(F.P.FakeFonts.Drawn[0].Y, 286 - 18);
  EXPECT_EQ(F.P.FakeFonts.Drawn[0].Colour, 0xF40909u);
  F.Form.SetTextStyle(2);  // 15 points: 7 pixels a character, an odd width halves down
  F.Form.DrawText("abc", 100, 100, true, false);
  EXPECT_EQ(F.P.FakeFonts.Drawn[1].X, 89);  // 100 - 10.5, truncated
  EXPECT_EQ(F.P.FakeFonts.Drawn[1].Y, 100);
  EXPECT_EQ(F.Form.TextWidthIn("abcd", 16), 4 * 6);
  EXPECT_EQ(F.Form.TextHeight("x"), 13);
}
