#include <gtest/gtest.h>

#include <vector>

#include "PackBytes.h"
#include "engine/DXDraws.h"
#include "engine/DXImageList.h"
#include "platform/fake/FakePlatform.h"

namespace {

// A picture whose every pixel tells where it came from: 0x00XXXYYY-ish.
TDirectDrawSurface Numbered(int32_t W, int32_t H) {
  TDirectDrawSurface S(W, H);
  for (int32_t Y = 0; Y < H; ++Y)
    for (int32_t X = 0; X < W; ++X) S.Row(Y)[X] = static_cast<uint32_t>((X << 12) | Y);
  return S;
}

TPictureCollectionItem& AddPicture(TPictureCollection& C, const char* Name, int32_t W, int32_t H,
                                   int32_t PW, int32_t PH) {
  TPictureCollectionItem& Item = C.Add();
  Item.SetName(Name);
  Item.Picture.Pixels = Numbered(W, H);
  Item.PatternWidth = PW;
  Item.PatternHeight = PH;
  return Item;
}

}  // namespace

TEST(ImageList, BuiltByTheDisplaysEvents) {
  TFakePlatform P;
  TDXDraw D(P);
  TDXImageList List;
  List.SetDXDraw(&D);
  TPictureCollectionItem& Strip = AddPicture(List.Items(), "Strip", 1200, 32, 32, 32);
  Strip.SetTransparentColor(0x0000FF);  // red as 0x00BBGGRR
  TPictureCollectionItem& Single = AddPicture(List.Items(), "Single", 50, 40, 0, 0);
  TPictureCollectionItem& Empty = List.Items().Add();

  // Loaded, not yet bound to an initialized display: counted from the properties.
  EXPECT_FALSE(Strip.Initialized());
  EXPECT_EQ(Strip.PatternCount(), 37);
  EXPECT_EQ(Strip.BlockCount(), 0);

  D.Initialize();  // initialized, then restored
  ASSERT_TRUE(Strip.Initialized());
  EXPECT_EQ(List.Items().DXDraw(), &D);
  EXPECT_EQ(Strip.PatternCount(), 37);
  EXPECT_EQ(Strip.BlockCount(), 3);
  EXPECT_EQ(Strip.PatternRect(17), Bounds(32, 0, 32, 32));
  const TDirectDrawSurface* Block = Strip.PatternBlock(17);
  ASSERT_NE(Block, nullptr);
  // Pattern 17 starts at x = 544 of the picture.
  EXPECT_EQ(Block->Pixel(32, 5), static_cast<uint32_t>((544 << 12) | 5));
  EXPECT_TRUE(Block->HasColorKey());
  EXPECT_EQ(Block->ColorKey(), 0xFF0000u);  // 0x00RRGGBB on our surfaces
  EXPECT_EQ(Strip.PatternRect(37), TRect{});
  EXPECT_EQ(Strip.PatternBlock(-1), nullptr);
  EXPECT_EQ(Single.PatternCount(), 1);
  EXPECT_EQ(Single.BlockCount(), 1);
  EXPECT_TRUE(Empty.Initialized());
  EXPECT_EQ(Empty.BlockCount(), 0);

  // A colour change re-keys the blocks without rebuilding them.
  Strip.SetTransparentColor(0x00FF00);
  EXPECT_EQ(Strip.PatternBlock(17), Block);
  EXPECT_EQ(Block->ColorKey(), 0x00FF00u);

  // Finalized: back to loaded, the picture kept for the next build.
  D.Finalize();
  EXPECT_FALSE(Strip.Initialized());
  EXPECT_EQ(Strip.BlockCount(), 0);
  EXPECT_EQ(List.Items().DXDraw(), nullptr);
  EXPECT_EQ(Strip.Picture.Pixels.Width(), 1200);

  D.Initialize();
  EXPECT_EQ(Strip.BlockCount(), 3);
  EXPECT_EQ(Strip.PatternBlock(17)->ColorKey(), 0x00FF00u);
}

TEST(ImageList, BindingToAnInitializedDisplayBuildsAtOnce) {
  TFakePlatform P;
  TDXDraw D(P);
  D.Initialize();
  TDXImageList List;
  TPictureCollectionItem& Item = AddPicture(List.Items(), "Player", 256, 64, 64, 64);
  Item.SystemMemory = true;
  List.SetDXDraw(&D);
  EXPECT_EQ(Item.PatternCount(), 4);
  EXPECT_EQ(Item.BlockCount(), 1);
  EXPECT_EQ(Item.PatternRect(3), Bounds(192, 0, 64, 64));

  // Unbinding finalizes the items.
  List.SetDXDraw(nullptr);
  EXPECT_FALSE(Item.Initialized());
  EXPECT_EQ(Item.BlockCount(), 0);
}

TEST(ImageList, LoadingWhileTheDisplayIsUpBuildsTheNewItems) {
  TFakePlatform P;
  TDXDraw D(P);
  TDXImageList List;
  List.SetDXDraw(&D);
  D.Initialize();

  TBytes T = PackStart();
  T.Prop("List").U8(0x0E).U8(0x01);
  T.Prop("Name").Str("Dot");
  T.Prop("Picture.Data").Binary(TDibData(Dib24(2, 1, {0x000000, 0xFFFFFF})));
  T.U8s({0, 0, 0, 0});
  List.Items().LoadFromStream(T.B);
  TPictureCollectionItem& Dot = List.Items().Find("dot");
  EXPECT_TRUE(Dot.Initialized());
  ASSERT_EQ(Dot.BlockCount(), 1);
  // No Transparent property: transparent, with black as the key.
  EXPECT_TRUE(Dot.Transparent);
  EXPECT_EQ(Dot.PatternBlock(0)->ColorKey(), 0u);
}

TEST(ImageList, DisplayDestroyedFirstLeavesNoDanglingBinding) {
  TFakePlatform P;
  TDXImageList List;
  TPictureCollectionItem& Item = AddPicture(List.Items(), "A", 10, 10, 0, 0);
  {
    TDXDraw D(P);
    List.SetDXDraw(&D);
    D.Initialize();
    EXPECT_EQ(Item.BlockCount(), 1);
  }
  EXPECT_EQ(List.DXDraw(), nullptr);
  EXPECT_EQ(List.Items().DXDraw(), nullptr);
  EXPECT_FALSE(Item.Initialized());
}

TEST(ImageList, InitializeNeedsAnInitializedDisplay) {
  TFakePlatform P;
  TDXDraw D(P);
  TPictureCollection C;
  try {
    C.Initialize(D);
    FAIL() << "no error";
  } catch (const EPictureCollectionError& E) {
    EXPECT_STREQ(E.what(), "TPictureCollection cannot be initialized");
  }
}
