#include <gtest/gtest.h>

#include "ShellFixture.h"

TEST(BossKey, MatchesOnlyWithExactlyItsModifier) {
  TShellFixture F;
  F.FinishIntro();
  ASSERT_EQ(F.Form.BossKeyName(), "ALT+F9");
  const uint32_t Misses[] = {ssCtrl | ssAlt, 0, ssAlt | ssLeft, ssShift | ssAlt};
  for (uint32_t Shift : Misses) {
    F.KeyDown(VkF9, Shift);
    F.Frame();
    EXPECT_EQ(F.P.FakeWindow.Minimised, 0) << Shift;
  }
  F.KeyDown(VkF9, ssAlt);
  F.Frame();
  EXPECT_EQ(F.P.FakeWindow.Minimised, 1);
}

TEST(BossKey, InAGamePausesAndTheMusicComesBackAfterRestore) {
  TShellFixture F;
  F.FinishIntro();
  F.Type(VkReturn);
  F.Frame();
  ASSERT_EQ(F.S().ScreenKind, skGame);
  F.WaitOutLevelBanner();
  const size_t Loads = F.P.FakeMusic.Loaded.size();
  const size_t Freed = F.P.FakeMusic.Freed.size();
  F.KeyDown(VkF9, ssAlt);
  TPlatformEvent Off;
  Off.Kind = TEventKind::Deactivated;
  F.P.FakeWindow.PushEvent(Off);
  F.Frames(3);
  EXPECT_EQ(F.S().DialogKind, dkPause);
  EXPECT_EQ(F.P.FakeMusic.Freed.size(), Freed + 1);  // stopped
  EXPECT_EQ(F.P.FakeMusic.Loaded.size(), Loads);     // not yet back
  TPlatformEvent On;
  On.Kind = TEventKind::Activated;
  F.P.FakeWindow.PushEvent(On);
  F.Frame();
  EXPECT_FALSE(F.S().MusicRestartPending);
  ASSERT_EQ(F.P.FakeMusic.Loaded.size(), Loads + 1);
  EXPECT_NE(F.P.FakeMusic.Loaded.back().find("Race.xm"), std::string::npos);
  EXPECT_EQ(F.S().DialogKind, dkPause);  // the game waits
}

TEST(BossKey, NameOfEveryModifierAndKey) {
  TShellFixture F;
  struct TCase {
    uint8_t Shift;
    uint16_t Key;
    const char* Name;
  };
  const TCase Cases[] = {
      {ssAlt, 120, "ALT+F9"},
      {ssCtrl, 112, "CTRL+F1"},
      {ssShift, 123, "SHIFT+F12"},
      {0, 116, "F5"},
      {0, 0, "?"},
      {ssCtrl, 0, "CTRL+?"},
      {ssAlt, 65, "ALT+?"},
      {ssAlt | ssCtrl, 113, "ALT+F2"},
  };
  for (const TCase& C : Cases) {
    F.Form.Options.BossShift = C.Shift;
    F.Form.Options.BossKey = C.Key;
    EXPECT_EQ(F.Form.BossKeyName(), C.Name);
  }
}

TEST(BossKey, CaptureRules) {
  TShellFixture F;
  F.FinishIntro();
  F.Tap(VkDown);  // options
  F.Type(VkReturn);
  F.Frame();
  ASSERT_EQ(F.S().ScreenKind, skOptions);
  F.Tap(VkUp);
  F.Tap(VkUp);  // from Back (6) to the boss key (4)
  ASSERT_EQ(F.S().HoveredButton, 4);
  F.Type(VkReturn);
  F.Frame();
  ASSERT_TRUE(F.S().BossKeyCapture);
  EXPECT_EQ(F.Form.BossKeyName(), "?");
  // A letter leaves the key at none and the capture waits.
  F.KeyDown('A');
  F.Frame();
  EXPECT_TRUE(F.S().BossKeyCapture);
  EXPECT_EQ(F.Form.BossKeyName(), "?");
  // Holding Ctrl shows it; Ctrl wins over Shift, and the F-key ends the capture.
  F.KeyDown(VkControl, ssCtrl | ssShift);
  F.Frame();
  EXPECT_EQ(F.Form.BossKeyName(), "CTRL+?");
  F.KeyDown(VkF5, ssCtrl | ssShift);
  F.Frame();
  EXPECT_FALSE(F.S().BossKeyCapture);
  EXPECT_EQ(F.Form.BossKeyName(), "CTRL+F5");
  // The F-key that ended the capture does not minimise the game.
  EXPECT_EQ(F.P.FakeWindow.Minimised, 0);
  EXPECT_TRUE(F.Drew("CTRL+F5"));

  // Capture again, then move away with nothing captured: the key before comes back.
  F.Type(VkReturn);
  F.Frame();
  ASSERT_TRUE(F.S().BossKeyCapture);
  F.Tap(VkDown);
  EXPECT_EQ(F.S().HoveredButton, 5);
  F.Frame();
  EXPECT_FALSE(F.S().BossKeyCapture);
  EXPECT_EQ(F.Form.BossKeyName(), "CTRL+F5");
}

TEST(Input, FireKeysAndMouseAreHeldIndependently) {
  TShellFixture F;
  F.KeyDown(VkSpace);
  F.KeyDown(VkControl, ssCtrl);
  F.Frame();
  EXPECT_TRUE(F.S().SpaceHeld);
  EXPECT_TRUE(F.S().CtrlHeld);
  F.KeyUp(VkSpace);
  F.Frame();
  EXPECT_FALSE(F.S().SpaceHeld);
  EXPECT_TRUE(F.S().CtrlHeld);
  TPlatformEvent Down;
  Down.Kind = TEventKind::MouseDown;
  F.P.FakeWindow.PushEvent(Down);
  F.Frame();
  EXPECT_TRUE(F.S().MouseHeld);
}

TEST(Input, AltEnterSwitchesTheDisplayOnEveryScreenAndPausesAGame) {
  TShellFixture F;
  F.FinishIntro();
  F.KeyDown(VkReturn, ssAlt);
  F.Frame();
  EXPECT_TRUE(F.P.FakeWindow.FullScreen);
  EXPECT_TRUE(F.Form.Options.FullScreen);
  EXPECT_EQ(F.S().DialogKind, dkNone);
  F.KeyDown(VkReturn, ssAlt);
  F.Frame();
  EXPECT_FALSE(F.P.FakeWindow.FullScreen);
  F.Type(VkReturn);
  F.Frame();
  ASSERT_EQ(F.S().ScreenKind, skGame);
  F.WaitOutLevelBanner();
  F.KeyDown(VkReturn, ssAlt);
  F.Frame();
  EXPECT_TRUE(F.P.FakeWindow.FullScreen);
  EXPECT_EQ(F.S().DialogKind, dkPause);
}

TEST(ButtonCue, OncePerHighlightChangeAndNeverDuringTheFadeIn) {
  TShellFixture F(85, true);
  // During the fade-in the mouse moves the highlight silently.
  F.Hover(3);
  F.Frames(3);
  EXPECT_EQ(F.S().HoveredButton, 3);
  EXPECT_EQ(F.TakeCues(), 0u);
  F.FinishIntro();
  F.TakeCues();
  // A key: once, in the frame that moves the highlight.
  F.Tap(VkDown);
  EXPECT_EQ(F.TakeCues(), 1u);
  F.Frames(3);
  EXPECT_EQ(F.TakeCues(), 0u);
  // The mouse: once from the move itself, not again in the frame.
  F.Hover(6);
  F.Frames(2);
  EXPECT_EQ(F.S().HoveredButton, 6);
  EXPECT_EQ(F.TakeCues(), 1u);
}

TEST(ButtonCue, SoundRowClicksBeforeItChangesTheSetting) {
  TShellFixture F(85, true);
  F.FinishIntro();
  F.Form.PressButton(2);  // options, Back hovered
  F.Frame();
  F.TakeCues();
  F.Form.PressButton(3);  // sound off: the click still sounds
  EXPECT_FALSE(F.Form.Options.SoundOn);
  EXPECT_EQ(F.TakeCues(), 1u);
  F.Form.PressButton(3);  // sound on: silent, the click came before the change
  EXPECT_TRUE(F.Form.Options.SoundOn);
  EXPECT_EQ(F.TakeCues(), 0u);
}

// A game controller as the platform presents it: stick and d-pad on X and Y, A on the fire
// and confirm bits, Start on the pause state, B on No and Escape.
TEST(GameController, DrivesTheMenusAndPausesAGame) {
  TShellFixture F;
  F.FinishIntro();
  TFakeJoystick& Pad = F.P.FakeJoystick;
  Pad.Caps.NumButtons = KJoystickConfirmBit + 1;
  Pad.Present = true;  // plugged in after start-up
  auto Hold = [&](uint32_t X, uint32_t Y, uint32_t Buttons) {
    Pad.Position = {X, Y, 32767, Buttons};
    F.Frame();
    Pad.Position = {32767, 32767, 32767, 0};
    F.Frame();
  };
  const uint32_t A = 1u | (1u << KJoystickConfirmBit), Start = 1u << 5, B = (1u << 7) | (1u << 8);
  ASSERT_EQ(F.S().HoveredButton, 1);
  Hold(32767, 65535, 0);  // down
  EXPECT_EQ(F.S().HoveredButton, 2);
  Hold(32767, 0, 0);  // up
  EXPECT_EQ(F.S().HoveredButton, 1);
  Hold(32767, 32767, B);  // back on the main menu: the exit question, No preselected
  ASSERT_EQ(F.S().DialogKind, dkExitGame);
  Hold(32767, 32767, A);  // A on No
  EXPECT_EQ(F.S().DialogKind, dkNone);
  EXPECT_FALSE(F.Form.Terminated());
  Hold(32767, 32767, A);  // A on Play
  ASSERT_EQ(F.S().ScreenKind, skGame);
  F.WaitOutLevelBanner();
  Hold(32767, 32767, Start);
  EXPECT_EQ(F.S().DialogKind, dkPause);
  Hold(32767, 32767, Start);
  EXPECT_EQ(F.S().DialogKind, dkNone);
}
