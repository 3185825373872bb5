// The save files are written at the moment the player changes what they hold, so that a
// game killed right after loses nothing of it: a name entered, the table cleared, the
// options screen left after a change (an edit still open ending there). A save that
// cannot be written is told once, on standard error and in the next dialog.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "services/SaveGames.h"
#include "tests/shell/ShellFixture.h"

namespace fs = std::filesystem;

namespace {

// What a start after a kill finds in the save folder (recovery and the check included).
struct TOnDisk {
  THighScores Table{};
  TGameOptions Options;
};
TOnDisk OnDisk(const TShellFixture& F) {
  const TSaveGameFiles Files = SaveGameFilesIn(F.Form.SaveRoot);
  RecoverSaveGames(Files);
  TOnDisk D;
  LoadHighScores(D.Table, Files.HighScores);
  LoadOptions(D.Options, Files.Options);
  if (!HighScoreCheckOk(D.Table, D.Options.HighScoreCheck)) ResetHighScores(D.Table);
  return D;
}

bool Saved(const TShellFixture& F) {
  return fs::exists(F.SaveDir / "Data/Save/options") || fs::exists(F.SaveDir / "Data/Save/hs");
}

void ToOptions(TShellFixture& F) {
  F.FinishIntro();
  F.Form.PressButton(2);
  ASSERT_EQ(F.S().ScreenKind, skOptions);
  F.Frame();
}

}  // namespace

TEST(SaveMoments, ANameEnteredAndAClearedTableAreOnDiskAtOnce) {
  TShellFixture F;
  F.FinishIntro();
  F.Form.PressButton(1);
  F.WaitOutLevelBanner();
  F.Form.GameState.Score = 4800;
  F.Form.OpenGameOverBanner();
  F.Frames(273);
  ASSERT_EQ(F.S().DialogKind, dkEnterName);
  EXPECT_FALSE(Saved(F)) << "nothing is written before the name is in";
  F.Type("Dux");
  F.Type(VkReturn);
  F.Frame();
  ASSERT_EQ(F.S().DialogKind, dkSendScore);
  TOnDisk D = OnDisk(F);
  EXPECT_EQ(D.Table[2].Name, "Dux");
  EXPECT_EQ(D.Table[2].Score, 4800);

  F.Tap('N');
  ASSERT_EQ(F.S().ScreenKind, skHighScores);
  F.Form.PressButton(2);  // Clear
  ASSERT_EQ(F.S().DialogKind, dkClearScores);
  F.Tap('Y');
  D = OnDisk(F);
  EXPECT_EQ(D.Table[2].Name, "ANONYMOUS");
  EXPECT_EQ(D.Table[2].Score, 4500);
}

TEST(SaveMoments, LeavingTheOptionsSavesOnlyAChange) {
  TShellFixture F;
  ToOptions(F);
  F.Form.PressButton(6);  // Back, nothing changed
  EXPECT_FALSE(Saved(F));

  F.Form.PressButton(2);
  F.Form.PressButton(3);  // sound off
  F.Form.PressButton(3);  // and on again: no change after all
  F.Form.PressButton(6);
  EXPECT_FALSE(Saved(F));

  F.Form.PressButton(2);
  F.Form.PressButton(3);  // sound off
  F.Tap(VkEscape);        // Esc leaves as Back does
  ASSERT_EQ(F.S().ScreenKind, skMainMenu);
  EXPECT_FALSE(OnDisk(F).Options.SoundOn);
}

TEST(SaveMoments, ABossKeyOrCountryEditStillOpenEndsWhenTheScreenIsLeft) {
  TShellFixture F;
  ToOptions(F);
  // A capture that took no F-key gives the old key back: nothing to save.
  F.Form.PressButton(4);
  EXPECT_TRUE(F.S().BossKeyCapture);
  F.Form.PressButton(6);
  EXPECT_FALSE(F.S().BossKeyCapture);
  EXPECT_EQ(F.Form.Options.BossShift, kBossAlt);
  EXPECT_EQ(F.Form.Options.BossKey, kVkF9);
  EXPECT_FALSE(Saved(F));

  // Ctrl+F5 captured, then the country typed and the screen left while editing.
  F.Form.PressButton(2);
  F.Form.PressButton(4);
  F.KeyDown(116, ssCtrl);
  F.KeyUp(116, ssCtrl);
  F.Frame();
  F.Form.PressButton(5);
  ASSERT_TRUE(F.S().CountryEditing);
  for (int I = 0; I < 7; ++I) F.Type(8);
  F.Type("Duckland");
  F.Frame();
  F.Form.PressButton(6);
  EXPECT_FALSE(F.S().CountryEditing);
  const TOnDisk D = OnDisk(F);
  EXPECT_EQ(D.Options.BossShift, kBossCtrl);
  EXPECT_EQ(D.Options.BossKey, 116);
  EXPECT_EQ(D.Options.Country, "Duckland");
}

TEST(SaveMoments, TheSessionsEndSavesWithoutAQuestionOrTheExitLink) {
  TShellFixture F;
  F.FinishIntro();
  F.Form.Options.Country = "Pondville";
  F.Form.EndSession();
  EXPECT_TRUE(F.Form.Terminated());
  EXPECT_EQ(F.S().DialogKind, dkNone);
  EXPECT_TRUE(F.P.FakeShell.Opened.empty());
  EXPECT_EQ(OnDisk(F).Options.Country, "Pondville");
}

TEST(SaveMoments, ASaveThatFailsIsToldOnceAndThePlayGoesOn) {
  TShellFixture F;
  F.FinishIntro();
  // A file where the save folder should be: nothing can be saved there.
  std::ofstream(F.SaveDir / "Data") << "in the way";
  testing::internal::CaptureStderr();
  F.Form.PressButton(3);  // high scores
  F.Form.PressButton(2);  // Clear
  F.Tap('Y');
  EXPECT_FALSE(F.Form.SaveGameFiles());
  const std::string Said = testing::internal::GetCapturedStderr();
  const std::string Folder = F.Form.SaveFolder();
  ASSERT_NE(Said.find("could not be saved in " + Folder), std::string::npos) << Said;
  EXPECT_EQ(Said.find("could not be saved", Said.find("could not be saved") + 1), std::string::npos)
      << "told once: " << Said;
  // The next dialog says it too, and the one after it no more.
  F.Form.PressButton(2);
  F.Frame();
  EXPECT_TRUE(F.Drew("Your results could not be saved in"));
  EXPECT_TRUE(F.Drew(Folder));
  F.Tap('N');
  F.Form.PressButton(2);
  F.Frame();
  EXPECT_EQ(F.S().DialogKind, dkClearScores);
  EXPECT_FALSE(F.Drew("Your results could not be saved in"));
}
