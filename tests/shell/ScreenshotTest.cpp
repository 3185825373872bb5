#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>

#include "ShellFixture.h"

namespace {

constexpr int32_t VkF12 = 123;

uint32_t U32(const std::vector<uint8_t>& B, size_t At) {
  return (uint32_t(B[At]) << 24) | (uint32_t(B[At + 1]) << 16) | (uint32_t(B[At + 2]) << 8) |
         B[At + 3];
}

struct TPng {
  uint32_t Width = 0, Height = 0;
  std::vector<uint32_t> Rgb;  // 0x00RRGGBB
};

// Reads an 8-bit RGB PNG without filters, checking the signature and every chunk's CRC.
bool ReadPng(const std::filesystem::path& File, TPng& Png, std::string& Why) {
  std::ifstream In(File, std::ios::binary);
  const std::vector<uint8_t> B((std::istreambuf_iterator<char>(In)), {});
  const uint8_t Sig[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (B.size() < 8 || !std::equal(Sig, Sig + 8, B.begin())) return Why = "no PNG signature", false;
  std::vector<uint8_t> Idat;
  bool Ended = false;
  for (size_t At = 8; At + 12 <= B.size() && !Ended;) {
    const uint32_t Len = U32(B, At);
    if (At + 12 + Len > B.size()) return Why = "chunk runs past the end", false;
    const std::string Type(B.begin() + At + 4, B.begin() + At + 8);
    if (crc32(0, B.data() + At + 4, Len + 4) != U32(B, At + 8 + Len)) return Why = "bad CRC", false;
    const uint8_t* Data = B.data() + At + 8;
    if (Type == "IHDR") {
      Png.Width = U32(B, At + 8);
      Png.Height = U32(B, At + 12);
      if (Data[8] != 8 || Data[9] != 2 || Data[12] != 0) return Why = "not 8-bit RGB", false;
    } else if (Type == "IDAT") {
      Idat.insert(Idat.end(), Data, Data + Len);
    } else if (Type == "IEND") {
      Ended = true;
    }
    At += 12 + Len;
  }
  if (!Ended) return Why = "no IEND", false;
  const size_t Row = 1 + Png.Width * 3;
  std::vector<uint8_t> Raw(Row * Png.Height);
  uLongf RawSize = Raw.size();
  if (uncompress(Raw.data(), &RawSize, Idat.data(), Idat.size()) != Z_OK || RawSize != Raw.size())
    return Why = "image data does not inflate to its size", false;
  for (uint32_t Y = 0; Y < Png.Height; ++Y) {
    const uint8_t* R = Raw.data() + Y * Row;
    if (R[0] != 0) return Why = "unexpected row filter", false;
    for (uint32_t X = 0; X < Png.Width; ++X)
      Png.Rgb.push_back((uint32_t(R[1 + X * 3]) << 16) | (uint32_t(R[2 + X * 3]) << 8) |
                        R[3 + X * 3]);
  }
  return true;
}

std::vector<std::filesystem::path> Shots(const std::filesystem::path& Folder) {
  std::vector<std::filesystem::path> Files;
  if (std::filesystem::is_directory(Folder))
    for (const auto& E : std::filesystem::directory_iterator(Folder)) Files.push_back(E.path());
  std::sort(Files.begin(), Files.end());
  return Files;
}

}  // namespace

TEST(Screenshot, F12WritesTheShownPictureAsPngAndClicks) {
  TShellFixture F(85, true);
  F.FinishIntro();
  const std::filesystem::path Folder = F.SaveDir / "Data" / "Screenshots";
  ASSERT_FALSE(std::filesystem::exists(Folder));
  F.TakeCues();
  // The picture the player sees is the one last presented.
  const TDirectDrawSurface* Surface = F.Form.MDXDraw.Surface();
  ASSERT_NE(Surface, nullptr);
  const std::vector<uint32_t> Shown(Surface->Pixels(),
                                    Surface->Pixels() + Surface->Width() * Surface->Height());
  ASSERT_NE(std::count(Shown.begin(), Shown.end(), Shown[0]), std::ssize(Shown))
      << "the menu should not be one flat colour";
  F.KeyDown(VkF12);
  F.Frame();
  EXPECT_EQ(F.TakeCues(), 1u);
  std::vector<std::filesystem::path> Files = Shots(Folder);
  ASSERT_EQ(Files.size(), 1u);
  EXPECT_TRUE(
      std::regex_match(Files[0].filename().string(),
                       std::regex(R"(Tallow-Brackles_\d{4}-\d\d-\d\d_\d\d-\d\d-\d\d\.png)")))
      << Files[0];
  TPng Png;
  std::string Why;
  ASSERT_TRUE(ReadPng(Files[0], Png, Why)) << Why;
  EXPECT_EQ(Png.Width, 800u);
  EXPECT_EQ(Png.Height, 600u);
  ASSERT_EQ(Png.Rgb.size(), Shown.size());
  size_t Differ = 0;
  for (size_t I = 0; I < Shown.size(); ++I) Differ += Png.Rgb[I] != (Shown[I] & 0xFFFFFFu);
  EXPECT_EQ(Differ, 0u);

  // Held down, the key's repeats take no more; pressed again, a second file beside the first
  // (numbered when within the same second), none overwritten.
  F.KeyDown(VkF12);
  F.Frame();
  EXPECT_EQ(Shots(Folder).size(), 1u);
  F.KeyUp(VkF12);
  F.KeyDown(VkF12);
  F.Frame();
  EXPECT_EQ(Shots(Folder).size(), 2u);
  EXPECT_EQ(F.TakeCues(), 1u);
}

TEST(Screenshot, NotWithModifiersNorWhenF12IsTheBossKey) {
  TShellFixture F;
  F.FinishIntro();
  const std::filesystem::path Folder = F.SaveDir / "Data" / "Screenshots";
  for (uint32_t Shift : {ssShift, ssCtrl, ssAlt}) {
    F.KeyDown(VkF12, Shift);
    F.KeyUp(VkF12, Shift);
    F.Frame();
  }
  EXPECT_TRUE(Shots(Folder).empty());
  F.Form.Options.BossShift = 0;
  F.Form.Options.BossKey = VkF12;
  F.KeyDown(VkF12);
  F.Frame();
  EXPECT_TRUE(Shots(Folder).empty());
  EXPECT_EQ(F.P.FakeWindow.Minimised, 1);
}
