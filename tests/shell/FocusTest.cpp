#include <gtest/gtest.h>

#include "ShellFixture.h"

namespace {

constexpr int32_t VkP = 'P';

void Focus(TShellFixture& F, bool On) {
  TPlatformEvent E;
  E.Kind = On ? TEventKind::Activated : TEventKind::Deactivated;
  F.P.FakeWindow.PushEvent(E);
}

}  // namespace

TEST(FocusLoss, InPlayOpensThePauseBannerWhichStaysUntilP) {
  TShellFixture F;
  F.FinishIntro();
  F.Type(VkReturn);
  F.Frame();
  ASSERT_EQ(F.S().ScreenKind, skGame);
  F.WaitOutLevelBanner();
  Focus(F, false);
  F.Frames(3);
  EXPECT_EQ(F.S().DialogKind, dkPause);
  const int32_t Presents = F.P.FakeWindow.Presents;
  F.Frames(3);
  EXPECT_EQ(F.P.FakeWindow.Presents, Presents);  // the timer stopped as well
  Focus(F, true);
  F.Frames(5);
  EXPECT_GT(F.P.FakeWindow.Presents, Presents);
  EXPECT_EQ(F.S().DialogKind, dkPause);  // coming back does not resume by itself
  F.Tap(VkP);
  F.Frame();
  EXPECT_EQ(F.S().DialogKind, dkNone);
  EXPECT_EQ(F.S().ScreenKind, skGame);
}

TEST(FocusLoss, AnOpenQuestionInPlayStaysAndMenusOnlyStopTheTimer) {
  TShellFixture F;
  F.FinishIntro();
  // On the main menu: no dialog, the frames stop and go on again.
  Focus(F, false);
  const int32_t Presents = F.P.FakeWindow.Presents;
  F.Frames(3);
  EXPECT_EQ(F.S().DialogKind, dkNone);
  EXPECT_EQ(F.P.FakeWindow.Presents, Presents);
  Focus(F, true);
  F.Frame();
  EXPECT_EQ(F.S().ScreenKind, skMainMenu);
  EXPECT_EQ(F.S().DialogKind, dkNone);
  // In play with "Exit to menu?" open, the question stays the one shown.
  F.Type(VkReturn);
  F.Frame();
  ASSERT_EQ(F.S().ScreenKind, skGame);
  F.WaitOutLevelBanner();
  F.Tap(VkEscape);
  ASSERT_EQ(F.S().DialogKind, dkExitToMenu);
  Focus(F, false);
  Focus(F, true);
  F.Frame();
  EXPECT_EQ(F.S().DialogKind, dkExitToMenu);
}
