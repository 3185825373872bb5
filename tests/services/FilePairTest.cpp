// The two save files replaced as one pair: a save cut off at any of its steps, followed by
// the next start's recovery, loads the whole old pair or the whole new one; symbolic links
// are written through, permissions kept, and a cut-off save's temporary files removed.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "services/FilePair.h"
#include "services/SaveGames.h"
#include "tests/services/FullDisk.h"
#include "tests/services/ScratchFiles.h"

namespace fs = std::filesystem;

namespace {

std::set<std::string> FilesIn(const fs::path& D) {
  std::set<std::string> Names;
  for (const auto& E : fs::directory_iterator(D)) Names.insert(E.path().filename().string());
  return Names;
}

THighScores TableOf(const std::string& Name, int32_t Top) {
  THighScores T{};
  for (int32_t I = 1; I <= 10; ++I) T[I] = {Name, Top - 100 * I};
  return T;
}

// What the next start makes of the folder: recovery, then the loading of start-up (a table
// that fails its check text becomes the default one).
struct TLoaded {
  THighScores Table{};
  TGameOptions Options;
};
TLoaded StartFrom(const TSaveGameFiles& Files) {
  RecoverSaveGames(Files);
  TLoaded L;
  LoadHighScores(L.Table, Files.HighScores);
  LoadOptions(L.Options, Files.Options);
  if (!HighScoreCheckOk(L.Table, L.Options.HighScoreCheck)) ResetHighScores(L.Table);
  return L;
}

bool SameTable(const THighScores& A, const THighScores& B) {
  for (int32_t I = 1; I <= 10; ++I)
    if (A[I].Name != B[I].Name || A[I].Score != B[I].Score) return false;
  return true;
}

const char* StepName(TPairStep S) {
  static const char* const Names[] = {
      "WriteFirst",  "WriteSecond",  "FlushNewFiles", "WriteMarker",  "PlaceMarker", "FlushMarker",
      "RenameFirst", "RenameSecond", "FlushTargets",  "RemoveMarker", "FlushRemoval"};
  return Names[static_cast<size_t>(S)];
}

}  // namespace

// Every step of a save, interrupted in turn, from an old pair and from no pair at all: the
// start after it loads the old pair (or the defaults) up to the marker's rename, the new
// pair from then on, never a table thrown away for a check text of the other pair; and
// nothing but the two files is left in the folder.
TEST(FilePair, ASaveCutOffAtAnyStepLeavesTheOldPairOrTheNewOne) {
  const THighScores Old = TableOf("OLD", 5000);
  const THighScores New = TableOf("NEW", 9000);
  THighScores Defaults{};
  ResetHighScores(Defaults);
  TGameOptions OldOptions, NewOptions;
  SetDefaultOptions(OldOptions);
  SetDefaultOptions(NewOptions);
  OldOptions.Country = "Oldland";
  NewOptions.Country = "Newland";
  for (const bool FromNothing : {false, true}) {
    for (size_t Stop = 0; Stop <= static_cast<size_t>(TPairStep::Count); ++Stop) {
      const std::string Case = (FromNothing ? "fresh-" : "old-") + std::to_string(Stop);
      const fs::path D = ScratchFolder("filepair", Case);
      const TSaveGameFiles Files = SaveGameFilesIn(D.string() + "/");
      std::string Error;
      if (!FromNothing) {
        ASSERT_TRUE(SaveGames(Files, OldOptions, Old, Error)) << Error;
      }
      const auto StopAt = [Stop](TPairStep S) { return static_cast<size_t>(S) != Stop; };
      const bool Saved = SaveGames(Files, NewOptions, New, Error, StopAt);
      const bool Counts = Stop > static_cast<size_t>(TPairStep::PlaceMarker);
      const bool Whole = Stop == static_cast<size_t>(TPairStep::Count);
      EXPECT_EQ(Saved, Whole) << Case;

      const TLoaded L = StartFrom(Files);
      const std::string Where = Case + (Whole ? " (not cut off)"
                                              : std::string(" (cut off before ") +
                                                    StepName(static_cast<TPairStep>(Stop)) + ")");
      if (Counts) {
        EXPECT_TRUE(SameTable(L.Table, New)) << Where;
        EXPECT_EQ(L.Options.Country, "Newland") << Where;
      } else if (FromNothing) {
        EXPECT_TRUE(SameTable(L.Table, Defaults)) << Where;
        EXPECT_EQ(L.Options.Country, "_______") << Where;
      } else {
        EXPECT_TRUE(SameTable(L.Table, Old)) << Where;
        EXPECT_EQ(L.Options.Country, "Oldland") << Where;
      }
      const std::set<std::string> Left = FilesIn(D / "Data/Save");
      if (Counts || !FromNothing) {
        EXPECT_EQ(Left, (std::set<std::string>{"hs", "options"})) << Where;
      } else {
        EXPECT_TRUE(Left.empty()) << Where << ": " << *Left.begin();
      }
      // A second start finds nothing more to do.
      const TLoaded Again = StartFrom(Files);
      EXPECT_TRUE(SameTable(Again.Table, L.Table)) << Where;
    }
  }
}

// Leftovers of other interruptions: a marker that is not one of ours, a marker naming new
// files that do not hold what it says, and the temporary files of the single-file save.
TEST(FilePair, StartRemovesWhatNoWholeSaveLeft) {
  const fs::path D = ScratchFolder("filepair", "leftovers");
  const TSaveGameFiles Files = SaveGameFilesIn(D.string() + "/");
  const THighScores Old = TableOf("OLD", 5000);
  TGameOptions O;
  SetDefaultOptions(O);
  std::string Error;
  ASSERT_TRUE(SaveGames(Files, O, Old, Error)) << Error;
  const fs::path S = D / "Data/Save";
  // An older build's temporary file, and this one's.
  std::ofstream(S / "options.Ab3dE9") << "half of an options file";
  std::ofstream(S / "hs.savingzZ09aQ") << "half a table";
  std::ofstream(S / "saving.savingq1w2e3") << "half a marker";
  std::ofstream(S / "notes.txt") << "the player's own";
  std::ofstream(S / "hs.backup") << "the player's own, too";
  // A marker that names new files whose content is not what it says.
  std::ofstream(S / "options.savingK7k7K7") << "tampered";
  std::ofstream(S / "saving") << "tallowbrackles save pair 1\n"
                              << (S / "options.savingK7k7K7").string() << "\n"
                              << (S / "options").string() << "\n0000000000000000\n"
                              << (S / "hs.savingK7k7K7").string() << "\n"
                              << (S / "hs").string() << "\n0000000000000000\n";
  const TLoaded L = StartFrom(Files);
  EXPECT_TRUE(SameTable(L.Table, Old));
  EXPECT_EQ(FilesIn(S), (std::set<std::string>{"hs", "hs.backup", "notes.txt", "options"}));

  std::ofstream(S / "saving") << "not a marker of ours";
  StartFrom(Files);
  EXPECT_FALSE(fs::exists(S / "saving"));
  EXPECT_TRUE(SameTable(StartFrom(Files).Table, Old));
}

// A save file that is a symbolic link is written through to its target, which stays where
// it is; a replaced file keeps its permissions, and a new one gets the usual ones.
TEST(FilePair, LinksAreWrittenThroughAndPermissionsKept) {
  const fs::path D = ScratchFolder("filepair", "links");
  const fs::path Elsewhere = D / "elsewhere";
  fs::create_directories(Elsewhere);
  fs::create_directories(D / "Data/Save");
  std::ofstream(Elsewhere / "my-hs") << "";
  std::error_code Ec;
  fs::create_symlink("../../elsewhere/my-hs", D / "Data/Save/hs", Ec);
  if (Ec) GTEST_SKIP() << "this system makes no symbolic links here: " << Ec.message();
  const TSaveGameFiles Files = SaveGameFilesIn(D.string() + "/");
  TGameOptions O;
  SetDefaultOptions(O);
  std::string Error;
  ASSERT_TRUE(SaveGames(Files, O, TableOf("FIRST", 5000), Error)) << Error;
  const fs::perms Usual = fs::status(Files.Options).permissions();
  fs::permissions(Elsewhere / "my-hs", fs::perms::owner_read | fs::perms::owner_write);
  fs::permissions(Files.Options,
                  fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  ASSERT_TRUE(SaveGames(Files, O, TableOf("LINKED", 6000), Error)) << Error;

  EXPECT_TRUE(fs::is_symlink(Files.HighScores)) << "the link is kept";
  EXPECT_TRUE(SameTable(StartFrom(Files).Table, TableOf("LINKED", 6000)));
  EXPECT_NE(ReadAll(Elsewhere / "my-hs").find("LINKED"), std::string::npos);
  EXPECT_EQ(fs::status(Elsewhere / "my-hs").permissions(),
            fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(fs::status(Files.Options).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_NE(Usual & fs::perms::owner_write, fs::perms::none);
  EXPECT_EQ(Usual & fs::perms::others_write, fs::perms::none) << "what the umask allows";
  EXPECT_EQ(FilesIn(Elsewhere), (std::set<std::string>{"my-hs"}));
  EXPECT_EQ(FilesIn(D / "Data/Save"), (std::set<std::string>{"hs", "options"}));
}

// A disk that fills while the new files are written replaces neither and leaves no
// temporary file behind.
TEST(FilePair, AFullDiskKeepsTheOldPairWhole) {
  const fs::path D = ScratchFolder("filepair", "full");
  const TSaveGameFiles Files = SaveGameFilesIn(D.string() + "/");
  TGameOptions O;
  SetDefaultOptions(O);
  std::string Error;
  ASSERT_TRUE(SaveGames(Files, O, TableOf("OLD", 5000), Error)) << Error;
  const std::string OldTable = ReadAll(Files.HighScores);
  const std::string OldOptions = ReadAll(Files.Options);
  {
    TFullDisk Full(100);  // the options fit, the table does not
    EXPECT_FALSE(SaveGames(Files, O, TableOf("NEW", 9000), Error));
  }
  EXPECT_FALSE(Error.empty());
  EXPECT_EQ(ReadAll(Files.HighScores), OldTable);
  EXPECT_EQ(ReadAll(Files.Options), OldOptions);
  EXPECT_EQ(FilesIn(D / "Data/Save"), (std::set<std::string>{"hs", "options"}));
}
