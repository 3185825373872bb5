#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/Files.h"

namespace {

namespace fs = std::filesystem;

class Files : public testing::Test {
 protected:
  void SetUp() override {
    FDir = fs::path(testing::TempDir()) /
           ("files-" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(FDir);
    fs::create_directories(FDir);
  }
  void TearDown() override { fs::remove_all(FDir); }
  std::string Path(const std::string& Name) const { return (FDir / Name).string(); }

  fs::path FDir;
};

TEST(FilesFolderOf, TakesTheFolderPart) {
  const struct {
    const char* Name;
    const char* Folder;
  } Cases[] = {{"hs", ""},        {"Data/Save/hs", "Data/Save"},
               {"/hs", "/"},      {"a//b", "a"},
               {"/a/b/", "/a/b"}, {"", ""}};
  for (const auto& C : Cases) EXPECT_EQ(FolderOf(C.Name), C.Folder) << C.Name;
}

TEST_F(Files, ReplacesAFileWholeThroughATemporaryOneBeside) {
  std::string Error;
  ASSERT_TRUE(WriteWholeFile(Path("f"), "old", Error)) << Error;
  const std::string Temp = WriteTempBeside(Path("f"), "new contents", Error);
  ASSERT_FALSE(Temp.empty()) << Error;
  EXPECT_EQ(FolderOf(Temp), FolderOf(Path("f")));
  std::string Read;
  ASSERT_TRUE(ReadFileBytes(Path("f"), Read, Error));
  EXPECT_EQ(Read, "old") << "the target is untouched until the rename";
  ASSERT_TRUE(RenameOver(Temp, Path("f"), Error)) << Error;
  ASSERT_TRUE(ReadFileBytes(Path("f"), Read, Error));
  EXPECT_EQ(Read, "new contents");
  EXPECT_FALSE(PathExists(Temp));
}

TEST_F(Files, ReadsAtMostWhatIsAskedFor) {
  std::string Error, Read;
  ASSERT_TRUE(WriteWholeFile(Path("f"), "0123456789", Error));
  ASSERT_TRUE(ReadFileBytes(Path("f"), Read, Error, 4));
  EXPECT_EQ(Read, "0123");
  ASSERT_TRUE(ReadFileBytes(Path("f"), Read, Error));
  EXPECT_EQ(Read, "0123456789");
  ASSERT_TRUE(WriteWholeFile(Path("empty"), "", Error));
  ASSERT_TRUE(ReadFileBytes(Path("empty"), Read, Error));
  EXPECT_EQ(Read, "");
}

TEST_F(Files, FailuresSayWhy) {
  std::string Error, Read;
  EXPECT_FALSE(ReadFileBytes(Path("none"), Read, Error));
  EXPECT_FALSE(Error.empty());
  Error.clear();
  EXPECT_FALSE(ReadFileBytes(FDir.string(), Read, Error)) << "a folder is no file";
  EXPECT_FALSE(Error.empty());
  EXPECT_FALSE(IsReadableFile(FDir.string()));
  EXPECT_FALSE(IsReadableFile(""));
  TMappedFile Mapped;
  Error.clear();
  EXPECT_FALSE(Mapped.Open(Path("none"), true, Error));
  EXPECT_FALSE(Error.empty());
  EXPECT_TRUE(WriteTempBeside(Path("no/such/folder/f"), "x", Error).empty());
  ASSERT_TRUE(WriteWholeFile(Path("plain"), "x", Error));
  EXPECT_FALSE(MakeFolders(Path("plain/below"), Error)) << "a file stands in the way";
}

TEST_F(Files, MakesEveryMissingFolderAndRemovesFiles) {
  std::string Error;
  ASSERT_TRUE(MakeFolders(Path("a/b/c"), Error)) << Error;
  EXPECT_TRUE(fs::is_directory(FDir / "a" / "b" / "c"));
  EXPECT_TRUE(MakeFolders(Path("a/b/c"), Error)) << "already there";
  ASSERT_TRUE(WriteWholeFile(Path("a/b/c/f"), "x", Error));
  EXPECT_TRUE(IsReadableFile(Path("a/b/c/f")));
  EXPECT_TRUE(RemoveFile(Path("a/b/c/f")));
  EXPECT_FALSE(PathExists(Path("a/b/c/f")));
  EXPECT_TRUE(RemoveFile(Path("a/b/c/f"))) << "gone already counts as removed";
}

TEST_F(Files, MapsAWholeFile) {
  std::string Error;
  const std::string Content(100000, 'q');
  ASSERT_TRUE(WriteWholeFile(Path("big"), Content, Error));
  for (const bool Ahead : {true, false}) {
    TMappedFile Mapped;
    ASSERT_TRUE(Mapped.Open(Path("big"), Ahead, Error)) << Error;
    EXPECT_EQ(std::string(Mapped.Bytes().begin(), Mapped.Bytes().end()), Content);
  }
}

}  // namespace
