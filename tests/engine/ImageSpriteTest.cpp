// Image sprites, backgrounds, the pixel test and the display-bound component, drawn from
// picture items built in code on the fake platform's display.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/DXDraws.h"
#include "engine/DXImageList.h"
#include "engine/DXSprite.h"
#include "platform/fake/FakePlatform.h"

namespace {

constexpr uint32_t kBack = 0x00102030;

// '.' is black, the items' transparent colour; letters are colours.
uint32_t ColourOf(char C) {
  return C == '.' ? 0u : 0x00010101u * static_cast<uint32_t>(C - 'A' + 1);
}

struct TScene {
  TFakePlatform Platform;
  TDXDraw Display{Platform};
  TPictureCollection Images;
  TSpriteEngine Engine;
  TDirectDrawSurface Surface;

  TScene(int32_t W, int32_t H) : Surface(W, H) {
    Display.Initialize();
    Surface.Fill(kBack);
    Engine.SetSurface(&Surface);
  }
  TPictureCollectionItem& Add(const std::string& Name, const std::vector<std::string>& Rows,
                              int32_t PatternWidth, int32_t PatternHeight) {
    TPictureCollectionItem& Item = Images.Add();
    Item.SetName(Name);
    Item.Picture.Pixels.SetSize(static_cast<int32_t>(Rows[0].size()),
                                static_cast<int32_t>(Rows.size()));
    for (int32_t Y = 0; Y < Item.Picture.Pixels.Height(); ++Y)
      for (int32_t X = 0; X < Item.Picture.Pixels.Width(); ++X)
        Item.Picture.Pixels.Row(Y)[X] =
            ColourOf(Rows[static_cast<size_t>(Y)][static_cast<size_t>(X)]);
    Item.PatternWidth = PatternWidth;
    Item.PatternHeight = PatternHeight;
    return Item;
  }
  // Solid-colour cells of Size x Size side by side, pattern i in colour letter i.
  TPictureCollectionItem& AddCells(const std::string& Name, const std::string& Letters,
                                   int32_t Size) {
    std::vector<std::string> Rows(static_cast<size_t>(Size));
    for (std::string& R : Rows)
      for (char L : Letters) R += std::string(static_cast<size_t>(Size), L);
    return Add(Name, Rows, Size, Size);
  }
  void Build() {
    Images.Initialize(Display);
    Images.Restore();
  }
  std::vector<std::string> Letters() const {
    std::vector<std::string> Rows;
    for (int32_t Y = 0; Y < Surface.Height(); ++Y) {
      std::string R;
      for (int32_t X = 0; X < Surface.Width(); ++X) {
        const uint32_t P = Surface.Pixel(X, Y);
        R += P == kBack ? '.' : static_cast<char>('A' + (P & 0xFF) - 1);
      }
      Rows.push_back(R);
    }
    return Rows;
  }
};

struct TAnimCase {
  const char* Name;
  int32_t FrameCount;
  bool Loop;
  double Pos, Speed;
  int32_t Ticks;
  double WantPos, WantSpeed;
  int32_t WantIndex;  // with FirstPattern 10
};
// Test listings name the case, not its bytes.
void PrintTo(const TAnimCase& C, std::ostream* Os) {
  *Os << C.Name;
}

class Animation : public ::testing::TestWithParam<TAnimCase> {};

TEST_P(Animation, Steps) {
  const TAnimCase& C = GetParam();
  TSpriteEngine E;
  TImageSprite& S = CreateSprite<TImageSprite>(E);
  S.FrameCount = C.FrameCount;
  S.LoopAnim = C.Loop;
  S.FramePos = C.Pos;
  S.FrameSpeed = C.Speed;
  S.FirstPattern = 10;
  E.Move(C.Ticks);
  EXPECT_DOUBLE_EQ(S.FramePos, C.WantPos);
  EXPECT_DOUBLE_EQ(S.FrameSpeed, C.WantSpeed);
  EXPECT_EQ(S.FrameIndex(), C.WantIndex);
}

INSTANTIATE_TEST_SUITE_P(
    Sprites, Animation,
    ::testing::Values(TAnimCase{"LoopWrapsTieToEven", 4, true, 3, 0.5, 3, 0.5, 0.5, 10},
                      TAnimCase{"LoopTieGoesToEvenFrame", 4, true, 0, 2.5, 1, 2.5, 2.5, 12},
                      TAnimCase{"LoopOddCountTie", 3, true, 2.5, 0, 1, 2.5, 0, 12},
                      TAnimCase{"LoopPastLastHalfIsOnePast", 4, true, 3.5, 0, 1, 3.5, 0, 14},
                      TAnimCase{"LoopBackwards", 4, true, 0, -0.25, 1, 3.75, -0.25, 14},
                      TAnimCase{"LoopMany", 4, true, 0, 1.5, 7, 2.5, 1.5, 12},
                      TAnimCase{"LoopNoFrames", 0, true, 2, 1, 5, 0, 1, 10},
                      TAnimCase{"StopsOnLast", 4, false, 3.5, 1, 1, 3, 0, 13},
                      TAnimCase{"StopsOnFirstBackwards", 4, false, 0.5, -1, 1, 0, 0, 10},
                      TAnimCase{"NoFramesStopsAtZero", 0, false, 0, 1, 1, 0, 0, 10},
                      TAnimCase{"RunsInside", 4, false, 1, 0.25, 4, 2, 0.25, 12}),
    [](const auto& Info) { return std::string(Info.param.Name); });

struct TTileCase {
  double X, Y;
  bool Tiled;
  int32_t WantX, WantY;
};

TEST(ImageSprite, TiledPositionsWrapAroundTheSurface) {
  const TTileCase Cases[] = {
      {850, 0, true, -50, 0},     {900, 0, true, 0, 0},        {-150, 0, true, 750, 0},
      {800, 600, true, 800, 600}, {801, 601, true, -99, -49},  {-100, -50, true, 800, 600},
      {1800, 1300, true, 0, 0},   {850, 620, false, 850, 620}, {850.5, 0, true, -50, 0},
  };
  TSpriteEngine E;
  TDirectDrawSurface Surface(800, 600);
  E.SetSurface(&Surface);
  TImageSprite& S = CreateSprite<TImageSprite>(E);
  S.Width = 100;
  S.Height = 50;
  for (const TTileCase& C : Cases) {
    S.X = C.X;
    S.Y = C.Y;
    S.Tiled = C.Tiled;
    EXPECT_EQ(S.GetBounds(), Bounds(C.WantX, C.WantY, 100, 50)) << C.X << "," << C.Y;
  }
}

TEST(ImageSprite, DrawsItsFramePatternCentred) {
  TScene Scene(10, 5);
  TPictureCollectionItem& Item =
      Scene.Add("Dots", {"AB..CCD.", "A..DC..D", "..EF....", "GGGGHHHH"}, 4, 4);
  Scene.Build();
  TImageSprite& S = CreateSprite<TImageSprite>(Scene.Engine);
  S.SetImage(&Item);
  EXPECT_EQ(S.Width, 4);
  EXPECT_EQ(S.Height, 4);
  S.Width = 6;  // the pattern is centred in a wider box
  S.X = 2;
  S.Y = 1;
  S.FramePos = 1;
  EXPECT_EQ(S.DrawRect(), Bounds(3, 1, 6, 4));
  Scene.Engine.Draw();
  EXPECT_EQ(Scene.Letters(), (std::vector<std::string>{"..........", "...CCD....", "...C..D...",
                                                       "..........", "...HHHH..."}));
  // Pattern indices outside the item draw nothing.
  for (int32_t First : {1, -2}) {
    Scene.Surface.Fill(kBack);
    S.FirstPattern = First;
    Scene.Engine.Draw();
    EXPECT_EQ(Scene.Letters(), std::vector<std::string>(5, "..........")) << First;
    EXPECT_EQ(Scene.Engine.DrawnCount(), 1);
  }
  S.SetImage(nullptr);
  EXPECT_EQ(S.Width, 0);
  Scene.Engine.Draw();  // nothing to draw, no crash
}

// Two 4 x 4 patterns, one opaque in its top-left 2 x 2, the other in its bottom-right 2 x 2;
// the second lies in the right half of its picture so its rectangle does not start at 0.
struct TPixelCase {
  int32_t Dx, Dy;   // position of the second sprite relative to the first
  bool WantBoxes;   // plain rectangle answer
  bool WantPixels;  // pixel-exact answer
};

TEST(ImageSprite, PixelExactHitsOnlyOpaquePixels) {
  TScene Scene(100, 100);
  TPictureCollectionItem& A = Scene.Add("A", {"AA..", "AA..", "....", "...."}, 0, 0);
  TPictureCollectionItem& B =
      Scene.Add("B", {"ZZZZ....", "ZZZZ....", "ZZZZ..BB", "ZZZZ..BB"}, 4, 4);
  Scene.Build();
  const TPixelCase Cases[] = {
      {0, 0, true, false},    {-2, -2, true, true}, {-3, -3, true, true},
      {-1, -2, true, true},   {-2, 1, true, false}, {2, 2, true, false},
      {-4, -4, false, false}, {3, 3, true, false},  {-3, 0, true, false},
  };
  for (bool SeekerExact : {true, false}) {
    TImageSprite& S1 = CreateSprite<TImageSprite>(Scene.Engine);
    TImageSprite& S2 = CreateSprite<TImageSprite>(Scene.Engine);
    S1.SetImage(&A);
    S2.SetImage(&B);
    S2.FirstPattern = 1;
    // Either sprite asking for pixels is enough: Collide asks both.
    (SeekerExact ? S1 : S2).PixelExact = true;
    for (const TPixelCase& C : Cases) {
      S1.X = 50;
      S1.Y = 50;
      S2.X = 50 + C.Dx;
      S2.Y = 50 + C.Dy;
      EXPECT_EQ(S1.Collide(), C.WantPixels ? 1 : 0) << C.Dx << "," << C.Dy << " " << SeekerExact;
      EXPECT_EQ(PatternsOverlap(&A, 0, 50, 50, &B, 1, 50 + C.Dx, 50 + C.Dy), C.WantPixels);
      (SeekerExact ? S1 : S2).PixelExact = false;
      EXPECT_EQ(S1.Collide(), C.WantBoxes ? 1 : 0) << C.Dx << "," << C.Dy;
      (SeekerExact ? S1 : S2).PixelExact = true;
    }
    S1.MarkDead();
    S2.MarkDead();
    Scene.Engine.FreeDead();
  }
  // Without pixel data the boxes decide; a pattern outside the item has no box.
  EXPECT_TRUE(PatternsOverlap(&A, 0, 0, 0, nullptr, 0, 1, 1) == false);
  EXPECT_FALSE(PatternsOverlap(&A, 0, 0, 0, &B, 2, 1, 1));
  EXPECT_FALSE(PatternsOverlap(&A, 0, 2147483647, 0, &B, 1, -2147483647 - 1, 0));
}

// A background map of 32-pixel cells, drawn over a 100 x 40 surface at several positions,
// tiled and not, compared pixel by pixel with where each map cell should land.
struct TMapCase {
  int32_t X, Y;
  bool Tiled;
};

TEST(Background, CellsLandWhereTheMapSays) {
  const TMapCase Cases[] = {{-40, -10, false}, {-40, -10, true},  {13, 7, false},    {13, 7, true},
                            {-100, -50, true}, {70, 0, false},    {-70, -33, false}, {0, 0, false},
                            {300, 0, false},   {-3000, 250, true}};
  const int32_t Map[2][3] = {{0, 1, 2}, {1, -1, 0}};  // two rows of three cells
  for (const TMapCase& C : Cases) {
    TScene Scene(100, 40);
    TPictureCollectionItem& Cells = Scene.AddCells("Cells", "RGB", 32);
    Scene.Build();
    TBackgroundSprite& Bg = CreateSprite<TBackgroundSprite>(Scene.Engine);
    Bg.ResizeMap(3, 2);
    for (int32_t Y = 0; Y < 2; ++Y)
      for (int32_t X = 0; X < 3; ++X) Bg.SetCell(X, Y, Map[Y][X]);
    Bg.SetImage(&Cells);
    Bg.X = C.X;
    Bg.Y = C.Y;
    Bg.Tiled = C.Tiled;
    Scene.Engine.Draw();
    for (int32_t Y = 0; Y < 40; ++Y)
      for (int32_t X = 0; X < 100; ++X) {
        const int32_t MapX = static_cast<int32_t>(std::floor((X - C.X) / 32.0));
        const int32_t MapY = static_cast<int32_t>(std::floor((Y - C.Y) / 32.0));
        int32_t Cell = -1;
        if (C.Tiled)
          Cell = Map[PosMod(MapY, 2)][PosMod(MapX, 3)];
        else if (MapX >= 0 && MapX < 3 && MapY >= 0 && MapY < 2)
          Cell = Map[MapY][MapX];
        const uint32_t Want = Cell < 0 ? kBack : ColourOf("RGB"[Cell]);
        ASSERT_EQ(Scene.Surface.Pixel(X, Y), Want)
            << "at " << X << "," << Y << " map " << C.X << "," << C.Y << " tiled " << C.Tiled;
      }
  }
}

TEST(Background, MapSizeCellsAndBounds) {
  TScene Scene(100, 40);
  TPictureCollectionItem& Cells = Scene.AddCells("Cells", "RG", 32);
  Scene.Build();
  TBackgroundSprite& Bg = CreateSprite<TBackgroundSprite>(Scene.Engine);
  EXPECT_FALSE(Bg.CanCollide);
  Bg.Width = 7;
  Bg.ResizeMap(2, 3);
  EXPECT_EQ(Bg.Width, 7);  // not changed by the map size
  EXPECT_EQ(Bg.Cells(1, 2), 0);
  EXPECT_TRUE(Bg.SolidCells(1, 2));
  EXPECT_EQ(Bg.Cells(2, 0), -1);
  EXPECT_EQ(Bg.Cells(0, -1), -1);
  EXPECT_FALSE(Bg.SolidCells(-1, 0));
  EXPECT_FALSE(Bg.SolidCells(0, 3));
  Bg.SetCell(5, 5, 1);                 // outside: ignored
  EXPECT_EQ(Bg.GetBounds(), TRect{});  // no image yet
  Bg.SetImage(&Cells);
  EXPECT_EQ(Bg.Width, 64);
  EXPECT_EQ(Bg.Height, 96);
  Bg.X = -2.5;
  Bg.Y = 3.5;
  EXPECT_EQ(Bg.GetBounds(), Bounds(-2, 4, 64, 96));
  Bg.Tiled = true;
  EXPECT_EQ(Bg.GetBounds(), Bounds(0, 0, 100, 40));

  Bg.ResizeMap(0, 5);
  EXPECT_EQ(Bg.Columns(), 0);
  EXPECT_EQ(Bg.Rows(), 0);
  Scene.Engine.Draw();
  EXPECT_EQ(Scene.Surface.Pixel(0, 0), kBack);
  TSprite& Other = CreateSprite<TSprite>(Scene.Engine);
  EXPECT_TRUE(Bg.TestHit(Other));
}

TEST(Background, HitsOnlySolidCells) {
  TScene Scene(200, 200);
  TPictureCollectionItem& Cells = Scene.AddCells("Cells", "RG", 32);
  Scene.Build();
  TBackgroundSprite& Bg = CreateSprite<TBackgroundSprite>(Scene.Engine);
  Bg.ResizeMap(2, 2);
  Bg.SetSolidCell(1, 0, false);
  Bg.SetSolidCell(0, 1, false);
  Bg.SetImage(&Cells);
  Bg.X = 20;
  Bg.Y = 10;
  Bg.CanCollide = true;
  TSprite& Other = CreateSprite<TSprite>(Scene.Engine);
  Other.Width = Other.Height = 10;
  struct TCase {
    int32_t X, Y;  // of the other sprite, in map coordinates
    bool Want;
  } Cases[] = {
      {5, 5, true},   {40, 5, false},  {25, 5, true},  {40, 40, true}, {5, 40, false},
      {28, 28, true}, {33, 22, false}, {55, 55, true}, {-5, 5, true},  {22, 54, false},
      {32, 32, true}, {32, 0, false},  {22, 0, true},
  };
  for (const TCase& C : Cases) {
    Other.X = 20 + C.X;
    Other.Y = 10 + C.Y;
    EXPECT_EQ(Bg.TestHit(Other), C.Want) << C.X << "," << C.Y;
    EXPECT_EQ(Other.Collide(), C.Want ? 1 : 0) << C.X << "," << C.Y;
  }
  // An item not built yet has no cell size: no fine test.
  TPictureCollectionItem& Raw = Scene.AddCells("Raw", "R", 8);
  Bg.SetImage(&Raw);
  EXPECT_TRUE(Bg.TestHit(Other));
  Scene.Engine.Draw();
}

TEST(DXSpriteEngine, FollowsTheDisplay) {
  TFakePlatform Platform;
  auto Display = std::make_unique<TDXDraw>(Platform);
  TDXSpriteEngine Sprites;
  TSprite& S = CreateSprite<TSprite>(Sprites.Engine());
  S.Width = S.Height = 10;

  Sprites.SetDXDraw(Display.get());
  EXPECT_EQ(Sprites.Engine().Surface(), nullptr);
  Sprites.Draw();  // not initialized: nothing
  EXPECT_EQ(Sprites.Engine().DrawnCount(), 0);

  Display->Initialize();
  ASSERT_NE(Sprites.Engine().Surface(), nullptr);
  EXPECT_EQ(Sprites.Engine().Surface(), Display->Surface());
  EXPECT_EQ(Sprites.Engine().SurfaceBounds(), Bounds(0, 0, 800, 600));
  EXPECT_EQ(Sprites.Engine().Width, 800);
  Sprites.Draw();
  EXPECT_EQ(Sprites.Engine().DrawnCount(), 1);

  Display->Finalize();
  EXPECT_EQ(Sprites.Engine().Surface(), nullptr);
  EXPECT_EQ(Sprites.Engine().SurfaceBounds(), Bounds(0, 0, 800, 600));  // kept
  Sprites.Move(5);
  Sprites.FreeDead();

  // Binding to an initialized display takes its surface at once.
  Display->Initialize();
  Sprites.SetDXDraw(nullptr);
  EXPECT_EQ(Sprites.Engine().Surface(), nullptr);
  Sprites.SetDXDraw(Display.get());
  EXPECT_EQ(Sprites.Engine().Surface(), Display->Surface());

  Display.reset();
  EXPECT_EQ(Sprites.DXDraw(), nullptr);
  EXPECT_EQ(Sprites.Engine().Surface(), nullptr);
  Sprites.Draw();
}

TEST(DXSpriteEngine, OneDestroyedBeforeItsDisplayLeavesTheOthersBound) {
  TFakePlatform Platform;
  TDXDraw Display(Platform);
  Display.Initialize();
  {
    TDXSpriteEngine Gone;
    Gone.SetDXDraw(&Display);
    CreateSprite<TImageSprite>(Gone.Engine());
  }
  TDXSpriteEngine Kept;
  Kept.SetDXDraw(&Display);
  // The display tells only the living engine, which follows its surface both ways.
  Display.Finalize();
  EXPECT_EQ(Kept.Engine().Surface(), nullptr);
  Display.Initialize();
  ASSERT_NE(Display.Surface(), nullptr);
  EXPECT_EQ(Kept.Engine().Surface(), Display.Surface());
}

}  // namespace
