// The options file: what is written, how each line is read back, and what a missing,
// short or damaged file gives.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "services/HighScores.h"
#include "services/Options.h"
#include "tests/services/ScratchFiles.h"

namespace fs = std::filesystem;

namespace {

fs::path Scratch(const std::string& Name) {
  return ScratchFolder("options", Name);
}

void WriteAll(const fs::path& P, const std::string& Text) {
  std::ofstream(P, std::ios::binary) << Text;
}

// Loads Text as the options file into a record that starts as the program's does (zero).
TGameOptions LoadText(const std::string& Text) {
  const fs::path P = Scratch("load") / "options";
  WriteAll(P, Text);
  TGameOptions O;
  LoadOptions(O, P.string());
  return O;
}

}  // namespace

TEST(Options, DefaultsAreWrittenAsSevenCrLfLines) {
  const fs::path P = Scratch("defaults") / "options";
  TGameOptions O;
  SetDefaultOptions(O);
  THighScores Table{};
  ResetHighScores(Table);
  ASSERT_TRUE(SaveOptions(O, HighScoreCheckText(Table), P.string()));
  const std::string Check = "\x28\xA0\x96\x3C\x7A\xE2\xF6\x52\x3E";
  EXPECT_EQ(ReadAll(P), "0\r\n1\r\n1\r\n_______\r\n1\r\n9\r\n" + Check + "\r\n");

  TGameOptions Back;
  LoadOptions(Back, P.string());
  EXPECT_FALSE(Back.FullScreen);
  EXPECT_TRUE(Back.MusicOn);
  EXPECT_TRUE(Back.SoundOn);
  EXPECT_EQ(Back.Country, "_______");
  EXPECT_EQ(Back.BossShift, kBossAlt);
  EXPECT_EQ(Back.BossKey, kVkF9);
  EXPECT_EQ(Back.HighScoreCheck, Check);
}

TEST(Options, BossModifierAndKeyCodes) {
  struct TCase {
    uint8_t Shift;
    uint16_t Key;
    const char* Lines56;  // as written
    uint8_t ShiftBack;
    uint16_t KeyBack;
  };
  const TCase Cases[] = {
      {kBossAlt, 112, "1\r\n1\r\n", kBossAlt, 112},
      {kBossCtrl, 121, "2\r\n10\r\n", kBossCtrl, 121},
      {kBossShift, 123, "3\r\n12\r\n", kBossShift, 123},
      {0, 0, "0\r\n0\r\n", 0, 0},
      {kBossAlt | kBossCtrl, 120, "1\r\n9\r\n", kBossAlt, 120},  // Alt wins
      {kBossCtrl | kBossShift, 120, "2\r\n9\r\n", kBossCtrl, 120},
      {kBossAlt, 124, "1\r\n0\r\n", kBossAlt, 0},  // F13 is no boss key
      {kBossAlt, 'B', "1\r\n0\r\n", kBossAlt, 0},
  };
  const fs::path P = Scratch("boss") / "options";
  for (const TCase& C : Cases) {
    TGameOptions O;
    SetDefaultOptions(O);
    O.BossShift = C.Shift;
    O.BossKey = C.Key;
    ASSERT_TRUE(SaveOptions(O, "", P.string()));
    EXPECT_EQ(ReadAll(P), std::string("0\r\n1\r\n1\r\n_______\r\n") + C.Lines56 + "\r\n")
        << int(C.Shift) << " " << C.Key;
    TGameOptions Back;
    LoadOptions(Back, P.string());
    EXPECT_EQ(Back.BossShift, C.ShiftBack) << int(C.Shift);
    EXPECT_EQ(Back.BossKey, C.KeyBack) << C.Key;
  }
}

TEST(Options, CountryOfTwelveCharactersWithSpacesComesBackUnchanged) {
  const fs::path P = Scratch("country") / "options";
  TGameOptions O;
  SetDefaultOptions(O);
  O.Country = " New Zealan ";
  ASSERT_EQ(O.Country.size(), 12u);
  ASSERT_TRUE(SaveOptions(O, "chk", P.string()));
  TGameOptions Back;
  LoadOptions(Back, P.string());
  EXPECT_EQ(Back.Country, " New Zealan ");
}

TEST(Options, ReadRulesOfEachLine) {
  // Non-zero switches on; codes outside the lists leave the start-up value (0); the text
  // lines are taken whole; LF alone ends a line as well as CR LF.
  TGameOptions O = LoadText("7\r\n-1\r\n0\r\nX Y\r\n9\r\n13\r\n  chk \r\n");
  EXPECT_TRUE(O.FullScreen);
  EXPECT_TRUE(O.MusicOn);
  EXPECT_FALSE(O.SoundOn);
  EXPECT_EQ(O.Country, "X Y");
  EXPECT_EQ(O.BossShift, 0);
  EXPECT_EQ(O.BossKey, 0);
  EXPECT_EQ(O.HighScoreCheck, "  chk ");

  // An unknown code keeps what was there before loading.
  const fs::path P = Scratch("keep") / "options";
  WriteAll(P, "1\n1\n1\nC\n-4\n99\nchk\n");
  TGameOptions Kept;
  SetDefaultOptions(Kept);
  Kept.BossShift = kBossCtrl;
  Kept.BossKey = 115;
  LoadOptions(Kept, P.string());
  EXPECT_EQ(Kept.BossShift, kBossCtrl);
  EXPECT_EQ(Kept.BossKey, 115);
}

TEST(Options, MissingLinesReadAsZeroOrEmpty) {
  TGameOptions O;
  SetDefaultOptions(O);
  O.HighScoreCheck = "old";
  const fs::path P = Scratch("short") / "options";
  WriteAll(P, "1\r\n1\r\n");
  LoadOptions(O, P.string());
  EXPECT_TRUE(O.FullScreen);
  EXPECT_TRUE(O.MusicOn);
  EXPECT_FALSE(O.SoundOn);
  EXPECT_EQ(O.Country, "");
  EXPECT_EQ(O.BossShift, 0);
  EXPECT_EQ(O.BossKey, 0);
  EXPECT_EQ(O.HighScoreCheck, "");

  const TGameOptions Empty = LoadText("");
  EXPECT_FALSE(Empty.MusicOn);
  EXPECT_EQ(Empty.Country, "");
}

TEST(Options, MissingOrDamagedFileGivesTheDefaults) {
  const fs::path D = Scratch("damaged");
  fs::create_directories(D / "a-folder");
  const std::string Damaged[] = {
      "yes\r\n1\r\n1\r\nC\r\n1\r\n9\r\nchk\r\n",   // line 1 no number
      "0\r\n1\r\n1\r\nC\r\nAlt\r\n9\r\nchk\r\n",   // line 5
      "0\r\n1\r\n1\r\nC\r\n1\r\nF9\r\nchk\r\n",    // line 6
      "0\r\n1x\r\n1\r\nC\r\n1\r\n9\r\nchk\r\n",    // trailing rubbish
      "0\r\n99999999999\r\n1\r\nC\r\n1\r\n9\r\n",  // beyond 32 bits
  };
  for (const std::string& Text : Damaged) {
    WriteAll(D / "options", Text);
    TGameOptions O;
    O.HighScoreCheck = "kept";
    LoadOptions(O, (D / "options").string());
    EXPECT_TRUE(O.MusicOn && O.SoundOn && !O.FullScreen) << Text;
    EXPECT_EQ(O.Country, "_______") << Text;
    EXPECT_EQ(O.BossShift, kBossAlt) << Text;
    EXPECT_EQ(O.BossKey, kVkF9) << Text;
    EXPECT_EQ(O.HighScoreCheck, "kept") << "not taken from a damaged file";
  }
  for (const fs::path& Unreadable : {D / "none", D / "a-folder", fs::path()}) {
    TGameOptions O;
    LoadOptions(O, Unreadable.string());
    EXPECT_TRUE(O.MusicOn) << Unreadable;
    EXPECT_EQ(O.BossKey, kVkF9) << Unreadable;
    EXPECT_EQ(O.HighScoreCheck, "") << Unreadable;
  }
}
