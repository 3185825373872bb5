#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/DXImageList.h"

namespace {

struct TProbe {
  int32_t Index;
  TRect Rect;  // within its block
  int32_t Block;
};

struct TLayoutCase {
  std::string What;
  int32_t PicW, PicH, PatW, PatH, SkipW, SkipH;
  bool SystemMemory;
  size_t Patterns;
  std::vector<TRect> Blocks;  // all blocks, or empty to skip the check
  std::vector<TProbe> Probes;
};

}  // namespace

TEST(PatternLayout, GridsSkipsAndBlocks) {
  const std::vector<TLayoutCase> Cases = {
      {"four in a row",
       256,
       64,
       64,
       64,
       0,
       0,
       true,
       4,
       {Bounds(0, 0, 256, 64)},
       {{3, Bounds(192, 0, 64, 64), 0}}},
      {"skip between columns",
       130,
       64,
       64,
       0,
       2,
       0,
       true,
       2,
       {},
       {{0, Bounds(0, 0, 64, 64), 0}, {1, Bounds(66, 0, 64, 64), 0}}},
      {"zero sizes: one pattern",
       50,
       30,
       0,
       0,
       0,
       0,
       false,
       1,
       {Bounds(0, 0, 50, 30)},
       {{0, Bounds(0, 0, 50, 30), 0}}},
      {"pattern as large as the picture: one block even in video memory",
       40,
       20,
       40,
       20,
       7,
       7,
       false,
       1,
       {Bounds(0, 0, 40, 20)},
       {{0, Bounds(0, 0, 40, 20), 0}}},
      {"row-major with skips both ways",
       70,
       50,
       20,
       10,
       5,
       10,
       true,
       3 * 3,
       {},
       {{4, Bounds(25, 20, 20, 10), 0}, {8, Bounds(50, 40, 20, 10), 0}}},
      {"remainder narrower than a pattern is dropped",
       100,
       10,
       30,
       10,
       0,
       0,
       true,
       3,
       {},
       {{2, Bounds(60, 0, 30, 10), 0}}},
      {"video memory 1200 wide, stride 32",
       1200,
       32,
       32,
       32,
       0,
       0,
       false,
       37,
       {Bounds(0, 0, 512, 32), Bounds(512, 0, 512, 32), Bounds(1024, 0, 176, 32)},
       {{17, Bounds(32, 0, 32, 32), 1},
        {36, Bounds(128, 0, 32, 32), 2},
        {15, Bounds(480, 0, 32, 32), 0}}},
      {"video memory, blocks cut in both directions",
       600,
       700,
       128,
       128,
       0,
       0,
       false,
       4 * 5,
       {Bounds(0, 0, 512, 512), Bounds(512, 0, 88, 512), Bounds(0, 512, 512, 188),
        Bounds(512, 512, 88, 188)},
       {{3, Bounds(384, 0, 128, 128), 0},
        {14, Bounds(256, 384, 128, 128), 0},
        {19, Bounds(384, 0, 128, 128), 2}}},
      {"stride of 100 rounds blocks up to 600",
       600,
       700,
       100,
       100,
       0,
       0,
       false,
       6 * 7,
       {Bounds(0, 0, 600, 600), Bounds(0, 600, 600, 100)},
       {{5, Bounds(500, 0, 100, 100), 0}, {41, Bounds(500, 0, 100, 100), 1}}},
      {"video memory stride with skip rounds blocks to strides",
       1000,
       40,
       60,
       40,
       10,
       0,
       false,
       14,
       {Bounds(0, 0, 560, 40), Bounds(560, 0, 440, 40)},
       {{8, Bounds(0, 0, 60, 40), 1}, {13, Bounds(350, 0, 60, 40), 1}}},
      {"stride wider than 512",
       1500,
       10,
       700,
       10,
       0,
       0,
       false,
       2,
       {Bounds(0, 0, 700, 10), Bounds(700, 0, 700, 10), Bounds(1400, 0, 100, 10)},
       {{1, Bounds(0, 0, 700, 10), 1}}},
      {"pattern wider than the picture: nothing", 50, 50, 60, 10, 0, 0, false, 0, {}, {}},
      {"negative stride: nothing", 50, 50, 10, 10, -10, 0, true, 0, {}, {}},
      {"empty picture: nothing", 0, 0, 10, 10, 0, 0, true, 0, {}, {}},
  };
  for (const TLayoutCase& C : Cases) {
    SCOPED_TRACE(C.What);
    TPatternLayout L =
        ComputePatternLayout(C.PicW, C.PicH, C.PatW, C.PatH, C.SkipW, C.SkipH, C.SystemMemory);
    EXPECT_EQ(L.Patterns.size(), C.Patterns);
    if (!C.Blocks.empty()) {
      EXPECT_EQ(L.Blocks, C.Blocks);
    }
    for (const TProbe& P : C.Probes) {
      ASSERT_LT(static_cast<size_t>(P.Index), L.Patterns.size());
      EXPECT_EQ(L.Patterns[P.Index].Rect, P.Rect) << "pattern " << P.Index;
      EXPECT_EQ(L.Patterns[P.Index].Block, P.Block) << "pattern " << P.Index;
    }
    // No pattern may reach outside its block.
    for (const TPatternPlace& P : L.Patterns) {
      ASSERT_GE(P.Block, 0);
      ASSERT_LT(static_cast<size_t>(P.Block), L.Blocks.size());
      const TRect& B = L.Blocks[P.Block];
      EXPECT_GE(P.Rect.Left, 0);
      EXPECT_GE(P.Rect.Top, 0);
      EXPECT_LE(P.Rect.Right, B.Width());
      EXPECT_LE(P.Rect.Bottom, B.Height());
    }
  }
}

TEST(PatternLayout, HugeSizesFromADamagedPackDoNotOverflow) {
  TPatternLayout L = ComputePatternLayout(100, 100, INT32_MAX, INT32_MAX, INT32_MAX, 5, false);
  EXPECT_TRUE(L.Patterns.empty());
  L = ComputePatternLayout(100, 100, 10, 10, INT32_MAX - 5, INT32_MAX - 5, false);
  ASSERT_EQ(L.Patterns.size(), 1u);
  EXPECT_EQ(L.Patterns[0].Rect, Bounds(0, 0, 10, 10));
}

TEST(PatternCount, UnbuiltItemCountsFromItsProperties) {
  struct Case {
    int32_t PicW, PicH, PatW, PatH, SkipW, SkipH;
    int32_t Count;
  };
  const std::vector<Case> Cases = {
      {256, 64, 64, 64, 0, 0, 4},
      {130, 64, 64, 64, 2, 0, 2},  // 130 div 66 = 1, remainder 64 = a pattern: 2
      {132, 64, 64, 64, 2, 0, 2},  // remainder 0: the last skip is missing, still 2
      {100, 10, 30, 10, 0, 0, 3},
      {0, 0, 0, 0, 0, 0, 0},        // empty picture
      {50, 30, 0, 0, 0, 0, 1},      // size and skip 0: one pattern across
      {50, 30, 10, 10, -10, 0, 0},  // no positive stride
  };
  for (const Case& C : Cases) {
    TPictureCollection Collection;
    TPictureCollectionItem& Item = Collection.Add();
    Item.Picture.Pixels.SetSize(C.PicW, C.PicH);
    Item.PatternWidth = C.PatW;
    Item.PatternHeight = C.PatH;
    Item.SkipWidth = C.SkipW;
    Item.SkipHeight = C.SkipH;
    EXPECT_EQ(Item.PatternCount(), C.Count)
        << C.PicW << "x" << C.PicH << " pattern " << C.PatW << "x" << C.PatH << " skip " << C.SkipW;
    EXPECT_EQ(Item.PatternRect(0), TRect{});  // nothing built yet
    EXPECT_EQ(Item.PatternBlock(0), nullptr);
  }
}

TEST(PictureItem, DerivedSizes) {
  TPictureCollection Collection;
  TPictureCollectionItem& Item = Collection.Add();
  Item.Picture.Pixels.SetSize(120, 90);
  EXPECT_EQ(Item.Width(), 120);
  EXPECT_EQ(Item.Height(), 90);
  Item.PatternWidth = 30;
  Item.PatternHeight = -4;  // not > 0: the picture's height
  EXPECT_EQ(Item.Width(), 30);
  EXPECT_EQ(Item.Height(), 90);
}
