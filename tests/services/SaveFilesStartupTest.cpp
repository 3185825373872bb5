// The save files across restarts of the main window on the fake platform: start-up loads
// the table, then the options, and throws away a table that does not match its check text;
// shut-down writes both.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "platform/fake/FakePlatform.h"
#include "shell/MainForm.h"
#include "tests/services/FullDisk.h"
#include "tests/services/ScratchFiles.h"

namespace fs = std::filesystem;

namespace {

const fs::path kGame = fs::path(TB_BINARY_DIR) / "game";

bool PacksBuilt() {
  for (const char* Pack : {"Data/Res/Res1.dxg", "Data/Res/Res2.dxg", "Data/Res/Sounds.dxw"})
    if (!fs::exists(kGame / Pack)) return false;
  return true;
}

// A save folder root of the test's own, empty at first.
fs::path Scratch(const std::string& Name) {
  return ScratchFolder("savegames", Name);
}

// One run of the game: start-up on the built data with the save files below SaveRoot.
struct TRun {
  TFakePlatform P;
  TMForm Form{P};
  bool Started = false;
  explicit TRun(const fs::path& SaveRoot) {
    Form.DataRoot = kGame.string() + "/";
    Form.SaveRoot = SaveRoot.string() + "/";
    std::string Error;
    Started = Form.FormCreate(Error);
    EXPECT_TRUE(Started) << Error;
  }
};

bool IsDefaultTable(const THighScores& T) {
  for (int I = 1; I <= 10; ++I)
    if (T[I].Name != "ANONYMOUS" || T[I].Score != 5500 - 500 * I) return false;
  return true;
}

}  // namespace

TEST(SaveGames, SettingsAndTopTenSurviveARestart) {
  if (!PacksBuilt()) GTEST_SKIP() << "packs not built";
  const fs::path D = Scratch("restart");
  {
    TRun First(D);
    EXPECT_TRUE(First.Form.Options.MusicOn) << "no file: the defaults";
    EXPECT_EQ(First.Form.Options.Country, "_______");
    EXPECT_TRUE(IsDefaultTable(First.Form.HighScores));
    EXPECT_FALSE(fs::exists(D / "Data/Save")) << "nothing written at start-up";
    First.Form.Options.FullScreen = true;
    First.Form.Options.SoundOn = false;
    First.Form.Options.Country = "Deutschland";
    First.Form.Options.BossShift = kBossCtrl;
    First.Form.Options.BossKey = 115;  // F4
    EnterHighScore(First.Form.HighScores, "Quacker", 4200);
    First.Form.Shutdown();
    EXPECT_TRUE(First.Form.Terminated());
  }
  ASSERT_TRUE(fs::exists(D / "Data/Save/options")) << "the missing save folder was made";
  ASSERT_TRUE(fs::exists(D / "Data/Save/hs"));

  TRun Second(D);
  const TGameOptions& O = Second.Form.Options;
  EXPECT_TRUE(O.FullScreen);
  EXPECT_TRUE(Second.P.FakeWindow.FullScreen) << "the display follows the option";
  EXPECT_TRUE(O.MusicOn);
  EXPECT_FALSE(O.SoundOn);
  EXPECT_EQ(O.Country, "Deutschland");
  EXPECT_EQ(O.BossShift, kBossCtrl);
  EXPECT_EQ(O.BossKey, 115);
  EXPECT_EQ(Second.Form.HighScores[3].Name, "Quacker");
  EXPECT_EQ(Second.Form.HighScores[3].Score, 4200);
  EXPECT_EQ(Second.Form.HighScores[10].Score, 1000);
}

TEST(SaveGames, EditedTableOrLostOptionsBringBackTheDefaultTable) {
  if (!PacksBuilt()) GTEST_SKIP() << "packs not built";
  const fs::path D = Scratch("edited");
  const fs::path Hs = D / "Data/Save/hs";
  auto SaveATable = [&] {
    TRun Run(D);
    EnterHighScore(Run.Form.HighScores, "Quacker", 4200);
    Run.Form.Shutdown();
  };

  SaveATable();
  std::string Text = ReadAll(Hs);
  Text.replace(Text.find("4200"), 4, "4900");  // one digit changed by hand
  std::ofstream(Hs, std::ios::binary) << Text;
  {
    TRun Run(D);
    EXPECT_TRUE(IsDefaultTable(Run.Form.HighScores));
  }

  SaveATable();
  fs::remove(D / "Data/Save/options");
  {
    TRun Run(D);
    EXPECT_TRUE(IsDefaultTable(Run.Form.HighScores)) << "the check text went with the options";
    EXPECT_TRUE(Run.Form.Options.MusicOn);
  }

  // A cleared table saved at the end stays cleared.
  SaveATable();
  {
    TRun Run(D);
    ASSERT_FALSE(IsDefaultTable(Run.Form.HighScores));
    ResetHighScores(Run.Form.HighScores);
    Run.Form.Shutdown();
  }
  TRun Run(D);
  EXPECT_TRUE(IsDefaultTable(Run.Form.HighScores));
  EXPECT_TRUE(HighScoreCheckOk(Run.Form.HighScores, Run.Form.Options.HighScoreCheck));
}

TEST(SaveGames, SavesThatCannotBeWrittenKeepTheTableAndItsCheckTextTogether) {
  if (!PacksBuilt()) GTEST_SKIP() << "packs not built";
  const fs::path D = Scratch("unwritable");
  {
    TRun Run(D);
    EnterHighScore(Run.Form.HighScores, "Kept", 4200);
    Run.Form.Shutdown();
  }
  const std::string OldOptions = ReadAll(D / "Data/Save/options");
  const std::string OldTable = ReadAll(D / "Data/Save/hs");
  ASSERT_LT(OldOptions.size(), 100u);
  ASSERT_GT(OldTable.size(), 100u);
  {
    // The disk fills up while saving: the options would fit, the table does not, so
    // neither is replaced.
    TRun Run(D);
    EnterHighScore(Run.Form.HighScores, "Lost", 4999);
    Run.Form.Options.Country = "Nowhere";
    {
      TFullDisk Full(100);
      Run.Form.Shutdown();
    }
    EXPECT_TRUE(Run.Form.Terminated()) << "the game ends all the same";
    EXPECT_EQ(ReadAll(D / "Data/Save/options"), OldOptions);
    EXPECT_EQ(ReadAll(D / "Data/Save/hs"), OldTable);
  }
  {
    TRun Run(D);
    EXPECT_EQ(Run.Form.HighScores[3].Name, "Kept");
    EXPECT_EQ(Run.Form.Options.Country, "_______");
    // The table file cannot be replaced at all (a folder stands in its place), after the
    // options file was: the options then carry the check text of what is on disk.
    Run.Form.Options.Country = "Somewhere";
    EnterHighScore(Run.Form.HighScores, "Lost", 4999);
    fs::remove(D / "Data/Save/hs");
    fs::create_directories(D / "Data/Save/hs/in-the-way");
    Run.Form.Shutdown();
    EXPECT_TRUE(Run.Form.Terminated());
  }
  THighScores Defaults{};
  ResetHighScores(Defaults);  // what a folder in place of the file reads as
  TRun Run(D);
  EXPECT_EQ(Run.Form.Options.Country, "Somewhere") << "the settings were saved";
  EXPECT_EQ(Run.Form.Options.HighScoreCheck, HighScoreCheckText(Defaults));
  EXPECT_TRUE(IsDefaultTable(Run.Form.HighScores));
  fs::remove_all(D / "Data/Save/hs");
}
