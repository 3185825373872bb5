// The high-score table: the default table and its check text, who qualifies, the stable
// bubble sort, the file and its damaged forms.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "services/HighScores.h"
#include "tests/services/ScratchFiles.h"

namespace fs = std::filesystem;

namespace {

fs::path Scratch(const std::string& Name) {
  return ScratchFolder("highscores", Name);
}

THighScores DefaultTable() {
  THighScores T{};
  ResetHighScores(T);
  return T;
}

std::vector<int> Codes(const std::string& Text) {
  std::vector<int> Out;
  for (char C : Text) Out.push_back(static_cast<unsigned char>(C));
  return Out;
}

}  // namespace

TEST(HighScores, DefaultTableAndItsCheckText) {
  const THighScores T = DefaultTable();
  for (int I = 1; I <= 10; ++I) {
    EXPECT_EQ(T[I].Name, "ANONYMOUS");
    EXPECT_EQ(T[I].Score, 5500 - 500 * I);
  }
  EXPECT_EQ(MixCheckChar(32, 'A'), 129);
  EXPECT_EQ(MixCheckChar(255, 255), (510 % 224) + 32);
  EXPECT_EQ(Codes(HighScoreCheckText(T)),
            (std::vector<int>{40, 160, 150, 60, 122, 226, 246, 82, 62}));
  EXPECT_TRUE(HighScoreCheckOk(T, HighScoreCheckText(T)));
  EXPECT_FALSE(HighScoreCheckOk(T, ""));

  // Entry 11 is left alone by a reset.
  THighScores WithNew = T;
  WithNew[11] = {"NEW", 1};
  ResetHighScores(WithNew);
  EXPECT_EQ(WithNew[11].Name, "NEW");
}

TEST(HighScores, QualifyingScoresAndWhereTheyEnter) {
  THighScores T = DefaultTable();
  EXPECT_FALSE(ScoreQualifies(T, 500)) << "an equal score does not qualify";
  EXPECT_TRUE(ScoreQualifies(T, 501));

  EnterHighScore(T, "Duck", 501);
  EXPECT_EQ(T[10].Name, "Duck");
  EXPECT_EQ(T[10].Score, 501);
  EXPECT_EQ(T[11].Score, 500) << "the old last entry dropped out";
  EXPECT_EQ(T[9].Score, 1000);

  THighScores U = DefaultTable();
  EnterHighScore(U, "Top", 5000);
  EXPECT_EQ(U[1].Name, "ANONYMOUS") << "the older 5000 stays above";
  EXPECT_EQ(U[2].Name, "Top");
  EXPECT_EQ(U[3].Score, 4500);
  EXPECT_EQ(U[11].Score, 500);

  THighScores V = DefaultTable();
  EnterHighScore(V, "Best", 9999);
  EXPECT_EQ(V[1].Name, "Best");
  for (int I = 2; I <= 10; ++I) EXPECT_EQ(V[I].Score, 5500 - 500 * (I - 1));
}

TEST(HighScores, SortIsTheStableBubbleSort) {
  THighScores T{};
  const int Scores[] = {0, 10, 30, 10, 20, 30, 10, 0, -5, 20, 10, 30};
  for (int I = 1; I <= 11; ++I) T[I] = {"e" + std::to_string(I), Scores[I]};
  SortHighScores(T);
  const char* Order[] = {"", "e2", "e5", "e11", "e4", "e9", "e1", "e3", "e6", "e10", "e7", "e8"};
  for (int I = 1; I <= 11; ++I) EXPECT_EQ(T[I].Name, Order[I]) << I;

  SwapHighScores(T, 1, 11);
  EXPECT_EQ(T[1].Name, "e8");
  EXPECT_EQ(T[11].Name, "e2");
}

TEST(HighScores, CheckTextFollowsTheLongestNameAndScore) {
  // A name longer than every other lengthens the check text to its length.
  THighScores T = DefaultTable();
  T[4].Name = "QuackQuackQu";  // 12 characters
  const std::string Long = HighScoreCheckText(T);
  ASSERT_EQ(Long.size(), 12u);
  // Positions past the other names see only this name (and no score digits).
  EXPECT_EQ(static_cast<unsigned char>(Long[11]), MixCheckChar(' ', 'u'));

  // Every name shorter than a score text: the score texts set the length, so nothing is
  // read or written past the end, and the table is not mistaken for an untouched one.
  THighScores Short{};
  for (int I = 1; I <= 10; ++I) Short[I] = {"", -123456 * I};
  const std::string S = HighScoreCheckText(Short);
  EXPECT_EQ(S.size(), std::to_string(-1234560).size());
  for (char C : S) EXPECT_GE(static_cast<unsigned char>(C), 32);
  THighScores Changed = Short;
  Changed[10].Score = -1234561;
  EXPECT_NE(HighScoreCheckText(Changed), S);

  // All empty: every score text is "0", one character long.
  THighScores Empty{};
  EXPECT_EQ(HighScoreCheckText(Empty).size(), 1u);
}

TEST(HighScores, FileRoundTripAndFormat) {
  const fs::path P = Scratch("roundtrip") / "Save" / "hs";  // the folder is made
  THighScores T = DefaultTable();
  T[1] = {"Duck Ace 7", 123456};
  T[10] = {"", -40};
  ASSERT_TRUE(SaveHighScores(T, P.string()));
  const std::string Text = ReadAll(P);
  EXPECT_EQ(Text.substr(0, 35), "Duck Ace 7\r\n123456\r\nANONYMOUS\r\n4500");
  EXPECT_EQ(Text.substr(Text.size() - 9), "\r\n\r\n-40\r\n");
  THighScores Back{};
  LoadHighScores(Back, P.string());
  for (int I = 1; I <= 10; ++I) {
    EXPECT_EQ(Back[I].Name, T[I].Name);
    EXPECT_EQ(Back[I].Score, T[I].Score);
  }
  EXPECT_TRUE(HighScoreCheckOk(Back, HighScoreCheckText(T)));
}

TEST(HighScores, ChangedDigitFailsTheCheck) {
  const fs::path P = Scratch("edited") / "hs";
  const THighScores T = DefaultTable();
  ASSERT_TRUE(SaveHighScores(T, P.string()));
  std::string Text = ReadAll(P);
  Text.replace(Text.find("4500"), 4, "4600");
  std::ofstream(P, std::ios::binary) << Text;
  THighScores Back{};
  LoadHighScores(Back, P.string());
  EXPECT_EQ(Back[2].Score, 4600);
  EXPECT_FALSE(HighScoreCheckOk(Back, HighScoreCheckText(T)));
}

TEST(HighScores, ShortMissingOrDamagedFiles) {
  const fs::path D = Scratch("damaged");
  // Fewer than 20 lines: empty names and scores of 0 for the rest.
  std::ofstream(D / "short", std::ios::binary) << "Ann\r\n900\r\nBob\n";
  THighScores Short{};
  LoadHighScores(Short, (D / "short").string());
  EXPECT_EQ(Short[1].Name, "Ann");
  EXPECT_EQ(Short[1].Score, 900);
  EXPECT_EQ(Short[2].Name, "Bob");
  EXPECT_EQ(Short[2].Score, 0);
  EXPECT_EQ(Short[10].Name, "");

  // A score line that is no number, and a missing file: the default table.
  std::ofstream(D / "bad", std::ios::binary) << "Ann\r\n900\r\nBob\r\nlots\r\n";
  for (const char* Name : {"bad", "missing"}) {
    THighScores T{};
    T[1] = {"Left", 1};
    LoadHighScores(T, (D / Name).string());
    EXPECT_EQ(T[1].Name, "ANONYMOUS") << Name;
    EXPECT_EQ(T[10].Score, 500) << Name;
  }
}
