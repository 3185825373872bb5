#include <gtest/gtest.h>

#include <vector>

#include "engine/DXDraws.h"
#include "engine/DXImageList.h"
#include "platform/fake/FakePlatform.h"

namespace {

constexpr uint32_t Key = 0x00FF00FF;  // fuchsia on our surfaces; 0xFF00FF as 0x00BBGGRR too
constexpr uint32_t Back = 0x00101010;

// A display with one image list holding a 600 x 4 strip of 4 x 4 patterns, so that the
// patterns lie in two blocks; pattern n is filled with colour n + 1, its top-left pixel
// with the key.
struct TScene {
  TFakePlatform Platform;
  TDXDraw Display{Platform};
  TDXImageList List;
  TPictureCollectionItem* Item = nullptr;
  TDirectDrawSurface Dest{16, 8};

  TScene() {
    Item = &List.Items().Add();
    Item->SetName("Strip");
    Item->Picture.Pixels.SetSize(600, 4);
    for (int32_t Y = 0; Y < 4; ++Y)
      for (int32_t X = 0; X < 600; ++X)
        Item->Picture.Pixels.Row(Y)[X] = (X % 4 == 0 && Y == 0) ? Key : uint32_t(X / 4 + 1);
    Item->PatternWidth = 4;
    Item->PatternHeight = 4;
    Item->SetTransparentColor(0xFF00FF);
    List.SetDXDraw(&Display);
    Display.Initialize();
    Dest.Fill(Back);
  }
  int32_t Changed() const {
    int32_t N = 0;
    for (int32_t Y = 0; Y < Dest.Height(); ++Y)
      for (int32_t X = 0; X < Dest.Width(); ++X) N += Dest.Pixel(X, Y) != Back;
    return N;
  }
};

}  // namespace

TEST(ItemDraw, DrawsTheRightPatternFromEitherBlock) {
  TScene S;
  ASSERT_EQ(S.Item->PatternCount(), 150);
  ASSERT_EQ(S.Item->BlockCount(), 2);
  for (int32_t Pattern : {0, 127, 128, 149}) {
    S.Dest.Fill(Back);
    S.Item->Draw(S.Dest, 3, 2, Pattern);
    EXPECT_EQ(S.Dest.Pixel(3, 2), Back) << "key pixel skipped, pattern " << Pattern;
    EXPECT_EQ(S.Dest.Pixel(4, 2), static_cast<uint32_t>(Pattern + 1)) << Pattern;
    EXPECT_EQ(S.Dest.Pixel(6, 5), static_cast<uint32_t>(Pattern + 1)) << Pattern;
    EXPECT_EQ(S.Changed(), 15) << Pattern;
  }
  // Not transparent: the key colour is drawn like any other.
  S.Item->Transparent = false;
  S.Dest.Fill(Back);
  S.Item->Draw(S.Dest, 0, 0, 5);
  EXPECT_EQ(S.Dest.Pixel(0, 0), Key);
}

TEST(ItemDraw, NothingForPatternsOutOfRangeOrAnUnbuiltItem) {
  TScene S;
  struct Case {
    const char* What;
    int32_t Pattern;
    int32_t X, Y;
  };
  const Case Cases[] = {
      {"index -1", -1, 0, 0},
      {"index equal to the count", 150, 0, 0},
      {"beyond the right edge", 0, 16, 0},
      {"beyond the bottom", 0, 0, 8},
      {"wholly left of the surface", 0, -4, 0},
  };
  for (const Case& C : Cases) {
    S.Dest.Fill(Back);
    S.Item->Draw(S.Dest, C.X, C.Y, C.Pattern);
    S.Item->DrawBlended(S.Dest, Bounds(C.X, C.Y, 4, 4), C.Pattern, 255);
    S.Item->DrawRotated(S.Dest, C.X + 2, C.Y + 2, 4, 4, C.Pattern, 0.5, 0.5, 0);
    EXPECT_EQ(S.Changed(), 0) << C.What;
  }
  S.Display.Finalize();
  S.Dest.Fill(Back);
  S.Item->Draw(S.Dest, 0, 0, 1);
  S.Item->DrawBlended(S.Dest, Bounds(0, 0, 4, 4), 1, 255);
  S.Item->DrawRotated(S.Dest, 2, 2, 4, 4, 1, 0.5, 0.5, 0);
  EXPECT_EQ(S.Changed(), 0) << "finalized item";
}

TEST(ItemDraw, BlendedAlphaLimits) {
  TScene S;
  S.Item->DrawBlended(S.Dest, Bounds(0, 0, 4, 4), 7, 0);
  EXPECT_EQ(S.Changed(), 0) << "alpha 0";
  S.Item->DrawBlended(S.Dest, Bounds(0, 0, 4, 4), 7, -5);
  EXPECT_EQ(S.Changed(), 0) << "negative alpha";

  // Alpha 255 (and above) at 1:1 is the plain colour-keyed copy.
  TDirectDrawSurface Plain(16, 8);
  Plain.Fill(Back);
  S.Item->Draw(Plain, 5, 1, 7);
  for (int32_t Alpha : {255, 300}) {
    S.Dest.Fill(Back);
    S.Item->DrawBlended(S.Dest, Bounds(5, 1, 4, 4), 7, Alpha);
    for (int32_t Y = 0; Y < 8; ++Y)
      for (int32_t X = 0; X < 16; ++X)
        ASSERT_EQ(S.Dest.Pixel(X, Y), Plain.Pixel(X, Y)) << Alpha << " at " << X << "," << Y;
  }
  // Scaled to twice the size, every pattern pixel becomes a 2 x 2 square.
  S.Dest.Fill(Back);
  S.Item->DrawBlended(S.Dest, Bounds(0, 0, 8, 8), 7, 255);
  EXPECT_EQ(S.Dest.Pixel(1, 1), Back);  // the key pixel, doubled
  EXPECT_EQ(S.Dest.Pixel(2, 0), 8u);
  EXPECT_EQ(S.Dest.Pixel(7, 7), 8u);
  EXPECT_EQ(S.Changed(), 60);
}

TEST(ItemDraw, RotatedNeedsASize) {
  TScene S;
  S.Item->DrawRotated(S.Dest, 4, 4, 0, 4, 3, 0.5, 0.5, 0);
  S.Item->DrawRotated(S.Dest, 4, 4, 4, 0, 3, 0.5, 0.5, 0);
  EXPECT_EQ(S.Changed(), 0);
  S.Item->DrawRotated(S.Dest, 4, 4, 4, 4, 3, 0.5, 0.5, 0);
  EXPECT_GT(S.Changed(), 0);
  EXPECT_EQ(S.Dest.Pixel(4, 4), 4u);  // pattern 3's colour around the pivot
}
