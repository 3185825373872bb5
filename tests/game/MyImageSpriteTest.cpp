// The game sprite base: names, frame-rate-independent animation, once-only hiding, blended
// drawing and killing once.
#include <gtest/gtest.h>

#include <vector>

#include "TestGame.h"
#include "engine/DXImageList.h"
#include "game/MyImageSprite.h"

namespace {

TMyImageSprite& NewSprite(TTestGame& G, const char* Name = "HeroAnim") {
  return *new TMyImageSprite(G, 2, Name, 100, 120, 5);
}

std::vector<uint32_t> Snapshot(const TDirectDrawSurface& S) {
  return {S.Pixels(), S.Pixels() + static_cast<size_t>(S.Width()) * S.Height()};
}

}  // namespace

TEST(MyImageSprite, CreateShowsTheNamedPictureAtItsPlace) {
  TTestGame G;
  TMyImageSprite& S = NewSprite(G, "Player");
  const TPictureCollectionItem& Item = G.List2.Items().Find("Player");
  EXPECT_EQ(S.Image(), &Item);
  EXPECT_EQ(S.Width, Item.Width());
  EXPECT_EQ(S.Height, Item.Height());
  EXPECT_EQ(S.FrameCount, Item.PatternCount());
  EXPECT_EQ(S.X, 100);
  EXPECT_EQ(S.Y, 120);
  EXPECT_EQ(S.Z(), 5);
  EXPECT_EQ(S.Parent(), &G.SpriteEngine());
  EXPECT_TRUE(S.LoopAnim);
  EXPECT_EQ(S.AnimRate, 0);
  // The first list holds the menus: a play picture is not found there.
  EXPECT_THROW(TMyImageSprite(G, 1, "Player", 0, 0, 0), EPictureCollectionError);
}

TEST(MyImageSprite, UnknownNameRaisesAndKeepsThePicture) {
  TTestGame G;
  TMyImageSprite& S = NewSprite(G, "Hero");
  const auto* Before = S.Image();
  const int32_t W = S.Width;
  try {
    S.ShowImage("NoSuchPicture");
    FAIL() << "no error";
  } catch (const EPictureCollectionError& E) {
    EXPECT_STREQ(E.what(), "Image 'NoSuchPicture' not found");
  }
  EXPECT_EQ(S.Image(), Before);
  EXPECT_EQ(S.Width, W);
  // Names are found whatever their case.
  S.ShowImage("heroanim");
  EXPECT_EQ(S.Image(), &G.List2.Items().Find("HeroAnim"));
}

TEST(MyImageSprite, APositionThatWouldRoundToTheEndStartsTheLoopInTheSameMove) {
  struct TCase {
    double Before, Speed;
    int32_t Ticks;
    double After;
  };
  const TCase Cases[] = {
      {3.5, 0.1 / 11, 11, 0.0},
      {3.3, 0.1 / 11, 11, 3.4},
      // Exactly 3.5 would round (ties to even) to pattern 4 of 4: a blank frame.
      {3.0, 0.25, 2, 0.0},
  };
  for (const TCase& C : Cases) {
    TTestGame G;
    TMyImageSprite& S = NewSprite(G);
    ASSERT_EQ(S.FrameCount, 4);
    S.FramePos = C.Before;
    S.FrameSpeed = C.Speed;
    S.Move(C.Ticks);
    EXPECT_NEAR(S.FramePos, C.After, 1e-9) << "from " << C.Before;
  }
}

TEST(MyImageSprite, OnceOnlyAnimationHidesWhenItWrapsAndNotBefore) {
  TTestGame G;  // 11 ms a frame
  TMyImageSprite& S = NewSprite(G);
  S.PlayImageOnce("HeroAnim", 10);
  // The first move still runs at the old speed (0); from then on 0.1 of a frame a move.
  S.Move(G.Ms);
  EXPECT_EQ(S.FramePos, 0);
  int32_t Moves = 1;
  double Highest = 0;
  while (S.Visible && Moves < 100) {
    S.Move(G.Ms);
    ++Moves;
    if (S.Visible) Highest = S.FramePos;
  }
  EXPECT_FALSE(S.Visible);
  EXPECT_EQ(S.FramePos, 0);
  // 0.1 a move from the second move on: 3.4 after 35 moves, and the 36th reaches 3.5.
  EXPECT_NEAR(Highest, 3.4, 1e-9) << "visible up to the last position that rounds inside";
  EXPECT_EQ(Moves, 36);
}

TEST(MyImageSprite, RateIsMeasuredInFrameTimeWhateverTheFrameLength) {
  for (const int32_t Ms : {5, 11, 16, 40}) {
    TTestGame G;
    G.Ms = Ms;
    TMyImageSprite& S = NewSprite(G);
    S.PlayImage("HeroAnim", 25);
    S.Move(Ms);  // sets the speed
    S.Move(Ms);
    EXPECT_NEAR(S.FramePos, 0.25, 1e-9) << Ms << " ms";
  }
}

TEST(MyImageSprite, RateZeroLeavesASpeedSetElsewhere) {
  TTestGame G;
  TMyImageSprite& S = NewSprite(G);
  S.FrameSpeed = 0.002;
  S.Move(G.Ms);
  S.Move(G.Ms);
  EXPECT_EQ(S.FrameSpeed, 0.002);
  EXPECT_NEAR(S.FramePos, 2 * 0.002 * G.Ms, 1e-9);
}

TEST(MyImageSprite, KillTwiceQueuesTheSpriteOnce) {
  TTestGame G;
  TMyImageSprite& S = NewSprite(G);
  S.Kill();
  S.Kill();
  EXPECT_TRUE(S.Killed);
  EXPECT_EQ(G.SpriteEngine().DeadSprites().size(), 1u);
  G.Sprites.FreeDead();
  EXPECT_EQ(G.SpriteEngine().SpriteCount(), 0);
}

TEST(MyImageSprite, OpaqueBlendDrawsLikeThePlainDraw) {
  TTestGame G;
  TMyImageSprite& S = NewSprite(G, "Player");
  S.X = 100.7;
  S.Y = 50.2;
  S.FramePos = 2;
  G.ClearSurface();
  G.SpriteEngine().Draw();
  const auto Plain = Snapshot(*G.Draw.Surface());
  S.AlphaBlend = true;
  S.Alpha = 255;
  G.ClearSurface();
  G.SpriteEngine().Draw();
  EXPECT_TRUE(Snapshot(*G.Draw.Surface()) == Plain);
  // Half opaque draws something else, and something.
  S.Alpha = 128;
  const auto Black = Snapshot(G.ClearSurface());
  G.SpriteEngine().Draw();
  const auto Half = Snapshot(*G.Draw.Surface());
  EXPECT_FALSE(Half == Plain);
  EXPECT_FALSE(Half == Black);
}

TEST(MyImageSprite, BlendedDrawTruncatesThePatternIndex) {
  // At 0.6 the plain draw rounds to pattern 1, the blended one truncates to pattern 0.
  TTestGame G;
  TMyImageSprite& S = NewSprite(G, "Player");
  S.X = 300;
  S.Y = 300;
  S.AlphaBlend = true;
  S.Alpha = 200;
  S.FramePos = 0;
  G.ClearSurface();
  G.SpriteEngine().Draw();
  const auto AtZero = Snapshot(*G.Draw.Surface());
  S.FramePos = 0.6;
  G.ClearSurface();
  G.SpriteEngine().Draw();
  EXPECT_TRUE(Snapshot(*G.Draw.Surface()) == AtZero);
}
