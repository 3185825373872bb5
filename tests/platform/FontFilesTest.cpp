// The alias file read without fontconfig and the names font files give themselves: what the
// Windows build matches the text styles' faces with (windows/FontFiles.cpp).
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/FontAliases.h"
#include "platform/FontNames.h"

namespace {

std::string ReadText(const std::string& Path) {
  std::ifstream In(Path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>());
}

using TList = std::vector<std::string>;

TEST(FontAliases, TheGamesFacesTakeTheFamiliesOfItsAliasFile) {
  const TFontAliases A =
      TFontAliases::Parse(ReadText(TB_SOURCE_DIR "/platform/sdl/fonts.conf"));
  EXPECT_EQ(A.Families("Freeset"), (TList{"Comic Neue", "DejaVu Sans", "sans-serif"}));
  EXPECT_EQ(A.Families("DS Crystal"), (TList{"DejaVu Sans Mono", "DejaVu Sans", "sans-serif"}));
  EXPECT_EQ(A.Families("courier"), (TList{"DejaVu Sans Mono", "DejaVu Sans", "sans-serif"}));
  EXPECT_EQ(A.Families("MS Sans Serif"), (TList{"DejaVu Sans", "sans-serif"}));
  // A face no rule names is looked for as it is, then as the alias file's sans-serif.
  EXPECT_EQ(A.Families("Arial"), (TList{"Arial", "DejaVu Sans", "sans-serif"}));
}

TEST(FontAliases, RulesAssignAppendPrependAndAliasesExpandInOrder) {
  const TFontAliases A = TFontAliases::Parse(R"(<?xml version="1.0"?>
    <!-- <match><test name="family"><string>Ignored</string></test></match> -->
    <fontconfig>
      <match target="font"><test name="family"><string>Face</string></test>
        <edit name="family" mode="assign"><string>Not for patterns</string></edit></match>
      <match target="pattern">
        <test qual="any" name="family"><string>Face</string></test>
        <edit name="family" mode="prepend"><string>Before</string></edit>
        <edit name="family" mode="append"><string>After</string></edit>
        <edit name="size" mode="assign"><double>12</double></edit>
      </match>
      <match><test name="family"><string>After</string></test>
        <edit name="family" mode="assign" binding="strong"><string>Later &amp; Co</string></edit>
      </match>
      <alias><family>serif</family><prefer><family>P</family></prefer>
        <accept><family>Q</family></accept><default><family>D</family></default></alias>
      <alias><family>sans-serif</family><prefer><family>S</family></prefer></alias>
    </fontconfig>)");
  // The matched face stays where no assign replaces it; later rules see earlier results.
  EXPECT_EQ(A.Families("face"), (TList{"Before", "face", "Later & Co", "S", "sans-serif"}));
  EXPECT_EQ(A.Families("serif"), (TList{"P", "serif", "Q", "S", "sans-serif", "D"}));
  // Nothing readable: no rules at all.
  EXPECT_EQ(TFontAliases::Parse("").Families("X"), (TList{"X", "sans-serif"}));
  EXPECT_EQ(TFontAliases::Parse("<match><test").Families("X"), (TList{"X", "sans-serif"}));
}

// A font file of two tables: 'name' with the given records and 'OS/2' with a weight.
struct TNameRecord {
  uint16_t Platform, Encoding, Language, Id;
  std::u16string Text;  // stored as UTF-16BE, or as bytes for the Macintosh platform
};

std::vector<uint8_t> FontFile(uint32_t Version, const std::vector<TNameRecord>& Records,
                              int Weight) {
  std::vector<uint8_t> B;
  auto U16 = [&B](uint32_t V) {
    B.push_back(static_cast<uint8_t>(V >> 8));
    B.push_back(static_cast<uint8_t>(V));
  };
  auto U32 = [&](uint32_t V) {
    U16(V >> 16);
    U16(V & 0xFFFF);
  };
  std::vector<uint8_t> Strings;
  std::vector<uint8_t> Name;
  {
    std::vector<uint8_t> Saved;
    B.swap(Saved);
    U16(0);
    U16(static_cast<uint32_t>(Records.size()));
    U16(static_cast<uint32_t>(6 + 12 * Records.size()));
    for (const TNameRecord& R : Records) {
      const size_t Offset = Strings.size();
      for (char16_t C : R.Text) {
        if (R.Platform != 1) Strings.push_back(static_cast<uint8_t>(C >> 8));
        Strings.push_back(static_cast<uint8_t>(C));
      }
      U16(R.Platform);
      U16(R.Encoding);
      U16(R.Language);
      U16(R.Id);
      U16(static_cast<uint32_t>(Strings.size() - Offset));
      U16(static_cast<uint32_t>(Offset));
    }
    B.insert(B.end(), Strings.begin(), Strings.end());
    Name.swap(B);
    B.swap(Saved);
  }
  const int Tables = Weight > 0 ? 2 : 1;
  U32(Version);
  U16(static_cast<uint32_t>(Tables));
  U16(0);
  U16(0);
  U16(0);
  const uint32_t NameAt = 12 + 16 * Tables;
  for (char C : std::string("name")) B.push_back(static_cast<uint8_t>(C));
  U32(0);
  U32(NameAt);
  U32(static_cast<uint32_t>(Name.size()));
  if (Weight > 0) {
    for (char C : std::string("OS/2")) B.push_back(static_cast<uint8_t>(C));
    U32(0);
    U32(NameAt + static_cast<uint32_t>(Name.size()));
    U32(6);
  }
  B.insert(B.end(), Name.begin(), Name.end());
  if (Weight > 0) {
    U16(4);
    U16(0);
    U16(static_cast<uint32_t>(Weight));
  }
  return B;
}

TEST(FontNames, FamilyAndBoldnessComeFromTheFilesOwnTables) {
  TFontNames N;
  // Windows English names win over Macintosh ones; the typographic family over the old one.
  ASSERT_TRUE(ReadFontNames(FontFile(0x00010000u,
                                     {{1, 0, 0, 1, u"Mac Name"},
                                      {3, 1, 0x409, 1, u"Comic Neue Light"},
                                      {3, 1, 0x409, 16, u"Comic Neue"},
                                      {3, 1, 0x409, 2, u"Regular"}},
                                     300),
                            N));
  EXPECT_EQ(N.Family, "Comic Neue");
  EXPECT_EQ(N.Style, "Regular");
  EXPECT_FALSE(N.Bold);
  // CFF outlines; non-ASCII names come out as UTF-8; the weight says bold.
  ASSERT_TRUE(ReadFontNames(FontFile(0x4F54544Fu, {{3, 1, 0x409, 1, u"Caf\u00e9 Sans"}}, 700), N));
  EXPECT_EQ(N.Family, "Caf\xC3\xA9 Sans");
  EXPECT_TRUE(N.Bold);
  // Without an OS/2 table the style's word decides.
  ASSERT_TRUE(ReadFontNames(FontFile(0x00010000u, {{1, 0, 0, 1, u"Old"}, {1, 0, 0, 2, u"Bold"}}, 0),
                            N));
  EXPECT_EQ(N.Family, "Old");
  EXPECT_TRUE(N.Bold);
}

TEST(FontNames, DamagedOrForeignFilesNameNothing) {
  TFontNames N;
  const std::vector<uint8_t> Good = FontFile(0x00010000u, {{3, 1, 0x409, 1, u"Face"}}, 400);
  ASSERT_TRUE(ReadFontNames(Good, N));
  for (size_t Cut : {size_t{0}, size_t{11}, size_t{40}, Good.size() - 8}) {
    const std::vector<uint8_t> Short(Good.begin(), Good.begin() + static_cast<ptrdiff_t>(Cut));
    EXPECT_FALSE(ReadFontNames(Short, N) && N.Family == "Face") << Cut;
  }
  std::vector<uint8_t> Collection = Good;
  Collection[0] = 't', Collection[1] = 't', Collection[2] = 'c', Collection[3] = 'f';
  EXPECT_FALSE(ReadFontNames(Collection, N));
  // A table said to run past the end of the file.
  std::vector<uint8_t> Overlong = Good;
  Overlong[12 + 12] = 0x7F;
  EXPECT_FALSE(ReadFontNames(Overlong, N));
  EXPECT_FALSE(ReadFontNames(FontFile(0x00010000u, {{3, 1, 0x409, 2, u"Bold"}}, 700), N));
}

}  // namespace
