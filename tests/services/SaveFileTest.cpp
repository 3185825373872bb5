// Replacing a save file: the folder is made when missing, a failure while writing leaves
// the previous file whole and no temporary file behind, and numbers read strictly.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "services/SaveFile.h"
#include "tests/services/FullDisk.h"
#include "tests/services/ScratchFiles.h"

namespace fs = std::filesystem;

namespace {

fs::path Scratch(const std::string& Name) {
  return ScratchFolder("savefile", Name);
}

int FilesIn(const fs::path& D) {
  int N = 0;
  for ([[maybe_unused]] const auto& E : fs::directory_iterator(D)) ++N;
  return N;
}

}  // namespace

TEST(SaveFile, ReplacesWholeAndMakesTheFolder) {
  const fs::path D = Scratch("replace");
  const fs::path P = D / "Data" / "Save" / "options";
  ASSERT_TRUE(ReplaceFile(P.string(), "first\r\n"));
  EXPECT_EQ(ReadAll(P), "first\r\n");
  ASSERT_TRUE(ReplaceFile(P.string(), "second\r\n"));
  EXPECT_EQ(ReadAll(P), "second\r\n");
  EXPECT_EQ(FilesIn(P.parent_path()), 1) << "no temporary file left";
  EXPECT_EQ(fs::status(P).permissions() & fs::perms::others_read, fs::perms::others_read);
}

TEST(SaveFile, FailedWriteKeepsThePreviousFile) {
  const fs::path D = Scratch("full");
  const fs::path P = D / "hs";
  const std::string Old = "ANONYMOUS\r\n5000\r\n";
  ASSERT_TRUE(ReplaceFile(P.string(), Old));
  {
    TFullDisk Full(8);
    EXPECT_FALSE(ReplaceFile(P.string(), "Somebody\r\n123456\r\nAnother\r\n99\r\n"));
  }
  EXPECT_EQ(ReadAll(P), Old);
  EXPECT_EQ(FilesIn(D), 1) << "the half-written temporary file is gone";

  // A save folder that cannot be made (a file stands where it should be).
  std::ofstream(D / "Data") << "not a folder";
  EXPECT_FALSE(ReplaceFile((D / "Data" / "Save" / "hs").string(), Old));
}

TEST(SaveFile, TwoFilesReplacedTogetherOrNotAtAll) {
  const fs::path D = Scratch("pair");
  ASSERT_TRUE(ReplaceFile((D / "a").string(), "old a"));
  ASSERT_TRUE(ReplaceFile((D / "b").string(), "old b"));
  {
    TAtomicFile A((D / "a").string());
    TAtomicFile B((D / "b").string());
    ASSERT_TRUE(A.Prepare("new a"));
    EXPECT_EQ(ReadAll(D / "a"), "old a") << "nothing replaced before the commit";
    TFullDisk Full(8);
    EXPECT_FALSE(B.Prepare("new b, longer than the disk allows"));
  }
  EXPECT_EQ(ReadAll(D / "a"), "old a");
  EXPECT_EQ(ReadAll(D / "b"), "old b");
  EXPECT_EQ(FilesIn(D), 2);
}

TEST(SaveFile, ReadableFilesAndTheirLines) {
  const fs::path D = Scratch("read");
  EXPECT_FALSE(FileReadable(""));
  EXPECT_FALSE(FileReadable((D / "none").string()));
  EXPECT_FALSE(FileReadable(D.string())) << "a folder is no file";
  std::ofstream(D / "f", std::ios::binary) << "a\r\nb\n\r\nlast";
  EXPECT_TRUE(FileReadable((D / "f").string()));
  EXPECT_EQ(*ReadTextLines((D / "f").string()), (std::vector<std::string>{"a", "b", "", "last"}));
  EXPECT_FALSE(ReadTextLines((D / "f").string(), 5)) << "larger than asked for";
}

TEST(SaveFile, NumbersOfTheSaveFiles) {
  struct TCase {
    const char* Line;
    bool Ok;
    int32_t Value;
  };
  const TCase Cases[] = {
      {"0", true, 0},
      {"42", true, 42},
      {"-500", true, -500},
      {" 7 ", true, 7},
      {"", true, 0},
      {"+3", true, 3},
      {"2147483647", true, 2147483647},
      {"-2147483648", true, -2147483647 - 1},
      {"2147483648", false, 0},
      {"1.5", false, 0},
      {"12abc", false, 0},
      {"-", false, 0},
      {"abc", false, 0},
      {"99999999999999999999", false, 0},
  };
  for (const TCase& C : Cases) {
    const std::optional<int32_t> V = ParseSaveNumber(C.Line);
    EXPECT_EQ(V.has_value(), C.Ok) << '"' << C.Line << '"';
    if (V && C.Ok) {
      EXPECT_EQ(*V, C.Value) << C.Line;
    }
  }
}
