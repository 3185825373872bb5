// Start-up pack loading: every way a pack can be missing or damaged gives one message that
// names the file and the reason, and leaves the list empty; the built packs load.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "engine/DXImageList.h"
#include "shell/PackLoading.h"
#include "tools/packwriter/PackWriter.h"

namespace fs = std::filesystem;

namespace {

fs::path Scratch() {
  fs::path D = fs::path(TB_BINARY_DIR) / "test-scratch" / "packloading";
  fs::create_directories(D);
  return D;
}

void PutBytes(const fs::path& P, const std::vector<uint8_t>& B) {
  std::ofstream(P, std::ios::binary)
      .write(reinterpret_cast<const char*>(B.data()), static_cast<std::streamsize>(B.size()));
}

std::vector<uint8_t> BuiltRes1() {
  std::ifstream In(fs::path(TB_BINARY_DIR) / "game/Data/Res/Res1.dxg", std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(In), {});
}

}  // namespace

TEST(PackLoading, MissingOrDamagedPacksGiveOneMessageNamingTheFile) {
  const fs::path D = Scratch();
  const std::vector<uint8_t> Good = BuiltRes1();
  ASSERT_GT(Good.size(), 1000u);
  std::vector<uint8_t> Empty;
  std::string Error;
  ASSERT_TRUE(WriteImagePack({}, Empty, Error)) << Error;
  struct Case {
    const char* File;
    std::vector<uint8_t> Bytes;
    bool Write;
    const char* Reason;
  } Cases[] = {
      {"missing.dxg", {}, false, "Cannot open"},
      {"junk.dxg", {'h', 'e', 'l', 'l', 'o'}, true, "Invalid stream format"},
      {"half.dxg", std::vector<uint8_t>(Good.begin(), Good.begin() + Good.size() / 2), true, ""},
      {"zero.dxg", {}, true, ""},
      {"empty.dxg", Empty, true, "holds no pictures"},
  };
  for (const Case& C : Cases) {
    const fs::path P = D / C.File;
    fs::remove(P);
    if (C.Write) PutBytes(P, C.Bytes);
    TDXImageList List;
    std::string Message;
    EXPECT_FALSE(LoadImagePack(List, P.string(), Message)) << C.File;
    EXPECT_EQ(Message.rfind(P.string() + " cannot be loaded: ", 0), 0u) << Message;
    EXPECT_GT(Message.size(), P.string().size() + 20) << C.File << ": no reason given";
    EXPECT_NE(Message.find(C.Reason), std::string::npos) << Message;
    EXPECT_EQ(List.Items().Count(), 0) << C.File;
  }
}

TEST(PackLoading, BuiltPacksLoadWithTheirPictures) {
  for (const char* Name : {"Res1.dxg", "Res2.dxg"}) {
    const fs::path P = fs::path(TB_BINARY_DIR) / "game/Data/Res" / Name;
    if (!fs::exists(P)) continue;
    TDXImageList List;
    std::string Message;
    ASSERT_TRUE(LoadImagePack(List, P.string(), Message)) << Message;
    EXPECT_GT(List.Items().Count(), 10) << Name;
  }
  TDXImageList List;
  std::string Message;
  ASSERT_TRUE(
      LoadImagePack(List, (fs::path(TB_BINARY_DIR) / "game/Data/Res/Res1.dxg").string(), Message));
  const TPictureCollectionItem& Mmb = List.Items().Find("mmb");
  EXPECT_EQ(Mmb.Width(), 800);
  EXPECT_EQ(Mmb.Height(), 600);
}
