// Play in the real main window on the fake platform: a game started from the menu, its
// banners, its keys, the display drawn over the panel strip, and the way back to the menu.

#include <gtest/gtest.h>

#include "ShellFixture.h"
#include "game/GameFlow.h"
#include "game/Player.h"
#include "shell/Hud.h"

namespace {

// Enter on the main menu starts a game; the frames run until the first banner has closed.
void StartPlaying(TShellFixture& F) {
  F.FinishIntro();
  F.Type(VkReturn);
  F.Frame();
  ASSERT_EQ(F.S().ScreenKind, skGame);
  F.WaitOutLevelBanner();
}

uint32_t PixelAt(TShellFixture& F, int32_t X, int32_t Y) {
  TDirectDrawSurface& S = *F.Form.MDXDraw.Surface();
  return S.Pixel(X, Y) & 0xFFFFFF;
}

TEST(Play, EnterStartsLevelOneBehindItsBannerWithTheRaceMusic) {
  TShellFixture F;
  F.FinishIntro();
  F.Type(VkReturn);
  F.Frame();
  EXPECT_EQ(F.S().ScreenKind, skGame);
  EXPECT_EQ(F.S().DialogKind, dkLevel);
  ASSERT_FALSE(F.P.FakeMusic.Loaded.empty());
  EXPECT_NE(F.P.FakeMusic.Loaded.back().find("Race.xm"), std::string::npos);
  const TGameState& G = F.Form.GameState;
  EXPECT_EQ(G.Level, 1);
  EXPECT_EQ(G.Lives, 3);
  EXPECT_EQ(G.MonstersLeft, 10);
  F.Frame();
  EXPECT_TRUE(F.Drew("Level 1"));
  // The display stays up under the banner.
  EXPECT_TRUE(F.Drew("1"));
  EXPECT_TRUE(F.Drew("0"));
  // The banner stands the game still for its 2000 ms: 182 frames of 11 ms, the first of
  // them the frame that Enter started the game in.
  const double DuckX = G.Player->X;
  int32_t Frames = 2;
  while (F.S().DialogKind == dkLevel && Frames < 400) {
    F.Frame();
    ++Frames;
  }
  EXPECT_EQ(Frames, 182);
  EXPECT_EQ(G.Player->X, DuckX);
}

TEST(Play, BannerCountsItsTimeAtSixtyFramesASecond) {
  TShellFixture F(60);
  F.FinishIntro();
  F.Type(VkReturn);
  F.Frame(17);
  ASSERT_EQ(F.S().DialogKind, dkLevel);
  int32_t Frames = 0;
  while (F.S().DialogKind == dkLevel && Frames < 400) {
    F.Frame(17);
    ++Frames;
  }
  // 16 ms a frame: 125 countdowns take it to 0, the 126th frame finds too little left (the
  // first countdown ran in the frame that Enter started the game in).
  EXPECT_EQ(F.S().FrameMs, 16);
  EXPECT_EQ(Frames + 1, 126);
}

TEST(Play, EscapeAndPInOneFrameOpenOnlyTheExitQuestion) {
  TShellFixture F;
  StartPlaying(F);
  F.P.FakeKeyboard.SetKey(VkEscape, true);
  F.P.FakeKeyboard.SetKey('P', true);
  F.Frame();
  F.P.FakeKeyboard.SetKey(VkEscape, false);
  F.P.FakeKeyboard.SetKey('P', false);
  EXPECT_EQ(F.S().DialogKind, dkExitToMenu);
  F.Frame();
  EXPECT_TRUE(F.Drew("Exit to menu?"));
  EXPECT_FALSE(F.Drew("Pause"));
  // No: back to the game.
  F.Tap('N');
  EXPECT_EQ(F.S().DialogKind, dkNone);
  EXPECT_EQ(F.S().ScreenKind, skGame);
}

TEST(Play, YesToExitToMenuEndsTheGameAndShowsTheMenu) {
  TShellFixture F;
  StartPlaying(F);
  F.Tap(VkEscape);
  ASSERT_EQ(F.S().DialogKind, dkExitToMenu);
  F.Tap('Y');
  EXPECT_EQ(F.S().ScreenKind, skMainMenu);
  EXPECT_EQ(F.S().DialogKind, dkNone);
  EXPECT_EQ(F.Form.GameState.Player, nullptr);
  EXPECT_EQ(F.Form.GameState.HillLayers[1], nullptr);
  EXPECT_NE(F.P.FakeMusic.Loaded.back().find("Menu.xm"), std::string::npos);
  // A second game starts from level 1 again.
  F.FinishIntro();
  F.Type(VkReturn);
  F.Frame();
  EXPECT_EQ(F.S().ScreenKind, skGame);
  EXPECT_EQ(F.Form.GameState.Level, 1);
}

TEST(Play, TheNumbersAreDrawnOverThePanelStripAlsoWhilePaused) {
  TShellFixture F;
  StartPlaying(F);
  F.Form.GameState.Score = 4321;
  F.Tap('P');
  ASSERT_EQ(F.S().DialogKind, dkPause);
  F.Frames(2);
  const auto* Level = F.FindDrawn("1");
  const auto* Score = F.FindDrawn("4321");
  ASSERT_NE(Level, nullptr);
  ASSERT_NE(Score, nullptr);
  EXPECT_EQ(Level->Colour & 0xFFFFFF, 0xFFFFFFu);
  // Centred both ways on (770, 25) and (633, 25): the box lies round the point.
  EXPECT_LT(Level->X, KHudLevelX);
  EXPECT_LT(Level->Y, KHudNumberY);
  EXPECT_LT(Score->X, KHudScoreX);
  // The panel strip's sprites were drawn first: white text stands on top of them.
  EXPECT_EQ(PixelAt(F, KHudLevelX, KHudNumberY), 0xFFFFFFu);
  EXPECT_EQ(PixelAt(F, KHudScoreX, KHudNumberY), 0xFFFFFFu);
}

TEST(Play, TheLastLifeLostShowsGameOverThenTheMenu) {
  TShellFixture F;
  StartPlaying(F);
  TGameState& G = F.Form.GameState;
  G.Lives = 1;
  G.Player->Explode();
  int32_t Frames = 0;
  while (F.S().DialogKind != dkGameOver && Frames < 400) {
    F.Frame();
    ++Frames;
  }
  ASSERT_EQ(F.S().DialogKind, dkGameOver);
  F.Frame();
  EXPECT_TRUE(F.Drew("Game Over"));
  // 3000 ms later: no place in an empty table for 0 points... or the name entry.
  for (int32_t I = 0; I < 400 && F.S().DialogKind == dkGameOver; ++I) F.Frame();
  EXPECT_NE(F.S().DialogKind, dkGameOver);
  EXPECT_TRUE(F.S().ScreenKind == skMainMenu || F.S().DialogKind == dkEnterName);
}

TEST(Play, ArrowKeysSteerTheDuckAndSpaceFires) {
  TShellFixture F;
  StartPlaying(F);
  const TPlayer& P = *F.Form.GameState.Player;
  const double Y = P.Y;
  F.P.FakeKeyboard.SetKey(VkDown, true);
  F.Frames(10);
  F.P.FakeKeyboard.SetKey(VkDown, false);
  EXPECT_GT(P.Y, Y);
  F.KeyDown(VkSpace);
  F.Frames(2);
  EXPECT_TRUE(P.FireHeld);
  F.KeyUp(VkSpace);
  F.Frames(2);
  EXPECT_FALSE(P.FireHeld);
}

TEST(Play, AJoystickSteersAndItsFirstButtonsFire) {
  TShellFixture F;
  F.P.FakeJoystick.Present = true;
  F.P.FakeJoystick.Caps.NumButtons = 8;
  F.Form.MDXInput.Initialize();
  StartPlaying(F);
  const TPlayer& P = *F.Form.GameState.Player;
  const double Y = P.Y;
  F.P.FakeJoystick.Position.Y = 65535;  // stick down
  F.Frames(10);
  F.P.FakeJoystick.Position.Y = 32767;
  EXPECT_GT(P.Y, Y);
  for (const uint32_t Button : {0u, 3u}) {
    F.P.FakeJoystick.Position.Buttons = 1u << Button;
    F.Frames(2);
    EXPECT_TRUE(P.FireHeld) << "button " << Button + 1;
    F.P.FakeJoystick.Position.Buttons = 0;
    F.Frames(2);
    EXPECT_FALSE(P.FireHeld);
  }
}

}  // namespace
