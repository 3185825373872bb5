// The scrolling strips: the one-step wrap, the cover of the surface, and the picture change
// that keeps position and speed.
#include <gtest/gtest.h>

#include <algorithm>

#include "TestGame.h"
#include "engine/DXImageList.h"
#include "game/ScrollBackground.h"

namespace {

TScrollBackground& NewStrip(TTestGame& G, const char* Name = "Hills1", int32_t Columns = 2,
                            int32_t SpeedX = -4) {
  auto* S = new TScrollBackground(G, 2, Name, Columns, 1);
  S->SpeedX = SpeedX;
  return *S;
}

}  // namespace

TEST(ScrollBackground, CreatedStillAtTheTopLeftOverTheNamedPicture) {
  TTestGame G;
  TScrollBackground& S = NewStrip(G, "SkyTile", 4, 0);
  const TPictureCollectionItem& Sky = G.List2.Items().Find("SkyTile");
  EXPECT_EQ(S.Image(), &Sky);
  EXPECT_EQ(S.Columns(), 4);
  EXPECT_EQ(S.Rows(), 1);
  EXPECT_EQ(S.Cells(3, 0), 0);
  EXPECT_EQ(S.X, 0);
  EXPECT_EQ(S.Y, 0);
  EXPECT_EQ(S.Z(), 2);
  EXPECT_FALSE(S.Tiled);
  EXPECT_FALSE(S.CanCollide);
  // One cell, not the strip.
  EXPECT_EQ(S.Width, 800);
  EXPECT_EQ(S.Height, 600);
  EXPECT_EQ(S.SpeedY, 0);
}

// An 800-pixel picture drifting 4 a frame: -800 is not beyond the picture, -804 is.
TEST(ScrollBackground, WrapsOnlyOnceItHasDriftedBeyondAFullWidth) {
  TTestGame G;
  TScrollBackground& S = NewStrip(G);
  G.Step(200);
  EXPECT_DOUBLE_EQ(S.X, -800);
  G.Step();
  EXPECT_DOUBLE_EQ(S.X, -4);
}

TEST(ScrollBackground, StripsCoverTheSurfaceAtEveryMoment) {
  struct TCase {
    const char* Name;
    int32_t Columns, SpeedX;
    double Speed;
  } Cases[] = {{"SkyTile", 4, -1, 1.0}, {"Hills1", 2, -4, 1.0}, {"Hills2", 2, -3, 2.5}};
  for (const TCase& C : Cases) {
    TTestGame G;
    G.Speed = C.Speed;
    TScrollBackground& S = NewStrip(G, C.Name, C.Columns, C.SpeedX);
    for (int32_t Frame = 0; Frame < 1000; ++Frame) {
      G.Step();
      ASSERT_LE(S.X, 0) << C.Name;
      ASSERT_GE(S.X, -S.Width) << C.Name;
    }
  }
  // The sky, drawn at its farthest left: no pixel of the surface is left uncovered.
  TTestGame G;
  TScrollBackground& Sky = NewStrip(G, "SkyTile", 4, -1);
  Sky.X = -799.6;
  TDirectDrawSurface& Surface = *G.Draw.Surface();
  Surface.Fill(0x123456);
  G.Sprites.Draw();
  const uint32_t* P = Surface.Pixels();
  EXPECT_EQ(std::count(P, P + 800 * 600, 0x123456u), 0);
}

TEST(ScrollBackground, AStillStripStaysAndARightwardOneNeverWraps) {
  TTestGame G;
  TScrollBackground& Still = NewStrip(G, "Hills2", 2, 0);
  TScrollBackground& Right = NewStrip(G, "Hills2", 2, 3);
  G.Step(1000);
  EXPECT_EQ(Still.X, 0);
  EXPECT_EQ(Right.X, 3000);
  EXPECT_EQ(Still.Y, 0);
}

TEST(ScrollBackground, ANewPictureKeepsPlaceAndSpeed) {
  TTestGame G;
  TScrollBackground& S = *new TScrollBackground(G, 1, "MMB", 4, 1);
  S.X = -12;
  S.Y = 3;
  S.SpeedX = -1;
  S.ShowImageFrom("SkyTile", 2);
  EXPECT_EQ(S.ImageList, 2);
  EXPECT_EQ(S.Image(), &G.List2.Items().Find("SkyTile"));
  EXPECT_EQ(S.X, -12);
  EXPECT_EQ(S.Y, 3);
  EXPECT_EQ(S.SpeedX, -1);
  // An unknown name raises and changes nothing.
  EXPECT_THROW(S.ShowImage("NoSuchPicture"), EPictureCollectionError);
  EXPECT_EQ(S.Image(), &G.List2.Items().Find("SkyTile"));
}

TEST(ScrollBackground, KillTwiceQueuesTheStripOnce) {
  TTestGame G;
  TScrollBackground& S = NewStrip(G);
  S.Kill();
  S.Kill();
  EXPECT_TRUE(S.Killed);
  EXPECT_EQ(G.Sprites.Engine().DeadSprites().size(), 1u);
  G.Sprites.FreeDead();
  EXPECT_EQ(G.Sprites.Engine().Count(), 0);
}
