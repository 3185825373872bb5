// Golden-pixel tests of the three drawing operations on small surfaces. Pictures are
// written as rows of letters; each letter is one colour, '.' the destination's background
// and 'k' the source's colour key.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "engine/DXBlit.h"

namespace {

constexpr uint32_t kKey = 0x00FF00FF;
constexpr uint32_t kBack = 0x00102030;

uint32_t ColourOf(char C) {
  if (C == '.') return kBack;
  if (C == 'k') return kKey;
  return 0x00010101u * static_cast<uint32_t>(C - 'A' + 1);
}

char LetterOf(uint32_t P) {
  if (P == kBack) return '.';
  if (P == kKey) return 'k';
  if ((P & 0xFF) >= 1 && (P & 0xFF) <= 26 && P == 0x00010101u * (P & 0xFF))
    return static_cast<char>('A' + (P & 0xFF) - 1);
  return '?';
}

TDirectDrawSurface Picture(const std::vector<std::string>& Rows) {
  TDirectDrawSurface S(static_cast<int32_t>(Rows[0].size()), static_cast<int32_t>(Rows.size()));
  for (int32_t Y = 0; Y < S.Height(); ++Y)
    for (int32_t X = 0; X < S.Width(); ++X)
      S.Row(Y)[X] = ColourOf(Rows[static_cast<size_t>(Y)][static_cast<size_t>(X)]);
  return S;
}

std::vector<std::string> Letters(const TDirectDrawSurface& S) {
  std::vector<std::string> Rows;
  for (int32_t Y = 0; Y < S.Height(); ++Y) {
    std::string R;
    for (int32_t X = 0; X < S.Width(); ++X) R += LetterOf(S.Pixel(X, Y));
    Rows.push_back(R);
  }
  return Rows;
}

TDirectDrawSurface Canvas(int32_t W, int32_t H) {
  TDirectDrawSurface D(W, H);
  D.Fill(kBack);
  return D;
}

// The 4 x 3 source of most cases, with key pixels in every row.
TDirectDrawSurface KeyedSource() {
  TDirectDrawSurface S = Picture({"ABkC", "kDEk", "FkGH"});
  S.SetColorKey(kKey);
  return S;
}

struct TDrawCase {
  const char* Name;
  int32_t X, Y;
  TRect Src;
  bool Transparent;
  std::vector<std::string> Expected;  // the 6 x 5 destination afterwards
};
// Test listings name the case, not its bytes.
void PrintTo(const TDrawCase& C, std::ostream* Os) {
  *Os << C.Name;
}

class DrawGolden : public ::testing::TestWithParam<TDrawCase> {};

TEST_P(DrawGolden, MatchesPicture) {
  const TDrawCase& C = GetParam();
  TDirectDrawSurface Src = KeyedSource();
  TDirectDrawSurface Dest = Canvas(6, 5);
  BlitDraw(Dest, C.X, C.Y, Src, C.Src, C.Transparent);
  EXPECT_EQ(Letters(Dest), C.Expected);
}

const TRect kWhole{0, 0, 4, 3};

INSTANTIATE_TEST_SUITE_P(
    Blit, DrawGolden,
    ::testing::Values(
        TDrawCase{"Inside", 1, 1, kWhole, true, {"......", ".AB.C.", "..DE..", ".F.GH.", "......"}},
        TDrawCase{
            "Opaque", 1, 1, kWhole, false, {"......", ".ABkC.", ".kDEk.", ".FkGH.", "......"}},
        TDrawCase{
            "ClipLeft", -2, 0, kWhole, true, {".C....", "E.....", "GH....", "......", "......"}},
        TDrawCase{
            "ClipRight", 4, 0, kWhole, true, {"....AB", ".....D", "....F.", "......", "......"}},
        TDrawCase{
            "ClipTop", 0, -2, kWhole, true, {"F.GH..", "......", "......", "......", "......"}},
        TDrawCase{
            "ClipBottom", 0, 3, kWhole, true, {"......", "......", "......", "AB.C..", ".DE..."}},
        TDrawCase{"ClipCorner",
                  -3,
                  -1,
                  kWhole,
                  false,
                  {"k.....", "H.....", "......", "......", "......"}},
        TDrawCase{
            "BeyondRight", 6, 0, kWhole, false, {"......", "......", "......", "......", "......"}},
        TDrawCase{"BeyondBottom",
                  0,
                  5,
                  kWhole,
                  false,
                  {"......", "......", "......", "......", "......"}},
        TDrawCase{"FarNegative",
                  -2000000000,
                  -2000000000,
                  kWhole,
                  false,
                  {"......", "......", "......", "......", "......"}},
        TDrawCase{"SubRect",
                  0,
                  0,
                  TRect{1, 1, 3, 3},
                  false,
                  {"DE....", "kG....", "......", "......", "......"}},
        TDrawCase{"RectPastSource",
                  0,
                  0,
                  TRect{2, 1, 7, 9},
                  false,
                  {"Ek....", "GH....", "......", "......", "......"}},
        TDrawCase{"RectBeforeSource",
                  2,
                  2,
                  TRect{-2, -1, 2, 2},
                  false,
                  {"......", "......", "......", "....AB", "....kD"}},
        TDrawCase{"MirrorX",
                  1,
                  1,
                  TRect{4, 0, 0, 3},
                  true,
                  {"......", ".C.BA.", "..ED..", ".HG.F.", "......"}},
        TDrawCase{"MirrorY",
                  1,
                  1,
                  TRect{0, 3, 4, 0},
                  true,
                  {"......", ".F.GH.", "..DE..", ".AB.C.", "......"}},
        TDrawCase{"MirrorBoth",
                  1,
                  1,
                  TRect{4, 3, 0, 0},
                  false,
                  {"......", ".HGkF.", ".kEDk.", ".CkBA.", "......"}},
        TDrawCase{"MirrorXClipLeft",
                  -1,
                  0,
                  TRect{4, 0, 0, 3},
                  false,
                  {"kBA...", "EDk...", "GkF...", "......", "......"}},
        TDrawCase{"MirrorXClipRight",
                  3,
                  0,
                  TRect{4, 0, 0, 3},
                  false,
                  {"...CkB", "...kED", "...HGk", "......", "......"}},
        TDrawCase{"MirrorXPastSource",
                  0,
                  0,
                  TRect{6, 0, 2, 1},
                  false,
                  {"..Ck..", "......", "......", "......", "......"}},
        TDrawCase{"EmptyRect",
                  0,
                  0,
                  TRect{2, 0, 2, 3},
                  false,
                  {"......", "......", "......", "......", "......"}}),
    [](const auto& Info) { return std::string(Info.param.Name); });

TEST(Blit, TransparentWithoutKeyCopiesEverything) {
  TDirectDrawSurface Src = Picture({"ABkC", "kDEk", "FkGH"});  // no colour key set
  TDirectDrawSurface Dest = Canvas(4, 3);
  BlitDraw(Dest, 0, 0, Src, kWhole, true);
  EXPECT_EQ(Letters(Dest), (std::vector<std::string>{"ABkC", "kDEk", "FkGH"}));
}

TEST(Blit, EmptySurfacesDrawNothing) {
  TDirectDrawSurface Empty;
  TDirectDrawSurface Src = KeyedSource();
  TDirectDrawSurface Dest = Canvas(4, 3);
  BlitDraw(Dest, 0, 0, Empty, kWhole, true);
  BlitDrawBlended(Dest, TRect{0, 0, 4, 3}, Empty, kWhole, true, 255);
  BlitDrawRotated(Dest, 2, 1, 4, 3, Empty, kWhole, 0.5, 0.5, 0, true);
  EXPECT_EQ(Letters(Dest), Letters(Canvas(4, 3)));
  BlitDraw(Empty, 0, 0, Src, kWhole, true);
  BlitDrawBlended(Empty, TRect{0, 0, 4, 3}, Src, kWhole, true, 255);
  BlitDrawRotated(Empty, 2, 1, 4, 3, Src, kWhole, 0.5, 0.5, 0, true);
  EXPECT_TRUE(Empty.Empty());
}

// The opaque-span table must follow every change of the source's pixels and key.
TEST(Blit, KeyedDrawFollowsSourceChanges) {
  TDirectDrawSurface Src = KeyedSource();
  TDirectDrawSurface Dest = Canvas(4, 3);
  BlitDraw(Dest, 0, 0, Src, kWhole, true);
  EXPECT_EQ(Letters(Dest), (std::vector<std::string>{"AB.C", ".DE.", "F.GH"}));

  Src.Row(1)[0] = ColourOf('Z');  // a key pixel becomes opaque
  Src.Pixels()[0] = kKey;         // an opaque pixel becomes key
  Dest = Canvas(4, 3);
  BlitDraw(Dest, 0, 0, Src, kWhole, true);
  EXPECT_EQ(Letters(Dest), (std::vector<std::string>{".B.C", "ZDE.", "F.GH"}));

  // A table kept for a narrower column range follows the change as well.
  Dest = Canvas(4, 3);
  BlitDraw(Dest, 0, 0, Src, TRect{0, 0, 2, 3}, true);
  Src.Row(2)[1] = ColourOf('Y');
  Dest = Canvas(4, 3);
  BlitDraw(Dest, 0, 0, Src, TRect{0, 0, 2, 3}, true);
  EXPECT_EQ(Letters(Dest), (std::vector<std::string>{".B..", "ZD..", "FY.."}));

  Src.SetColorKey(ColourOf('B'));
  Dest = Canvas(4, 3);
  BlitDraw(Dest, 0, 0, Src, kWhole, true);
  EXPECT_EQ(Letters(Dest), (std::vector<std::string>{"k.kC", "ZDEk", "FYGH"}));

  Src.Fill(ColourOf('B'));
  Dest = Canvas(4, 3);
  BlitDraw(Dest, 0, 0, Src, kWhole, true);
  EXPECT_EQ(Letters(Dest), Letters(Canvas(4, 3)));

  Src.SetSize(2, 1);  // cleared to 0, which is not the key
  Dest = Canvas(4, 3);
  BlitDraw(Dest, 0, 0, Src, kWhole, true);
  EXPECT_EQ(Dest.Pixel(0, 0), 0u);
  EXPECT_EQ(Dest.Pixel(1, 0), 0u);
  EXPECT_EQ(Dest.Pixel(2, 0), kBack);
}

// The span path against a pixel-by-pixel reference, over random rectangles (mirrored,
// partly outside the source, clipped by the destination) of a source whose rows hold many
// short runs, except columns 10 to 19, which hold no key pixel at all (copied row by row).
TEST(Blit, KeyedDrawMatchesPixelReference) {
  std::mt19937 Rng(1234);
  TDirectDrawSurface Src(41, 9);
  for (int32_t Y = 0; Y < Src.Height(); ++Y)
    for (int32_t X = 0; X < Src.Width(); ++X)
      Src.Row(Y)[X] =
          (Rng() % 2) && (X < 10 || X >= 20) ? kKey : (Rng() & 0x00FFFFFFu) | 0x01000000u;
  Src.SetColorKey(kKey);
  std::uniform_int_distribution<int32_t> Coord(-12, 52);
  std::uniform_int_distribution<int32_t> Solid(10, 20);
  for (int Round = 0; Round < 600; ++Round) {
    TRect R{Coord(Rng), Coord(Rng) / 4, Coord(Rng), Coord(Rng) / 4};
    if (Round % 3 == 0) {
      R.Left = Solid(Rng);
      R.Right = Solid(Rng);
    }
    const int32_t X = Coord(Rng) - 10;
    const int32_t Y = Coord(Rng) / 4 - 3;
    TDirectDrawSurface Dest = Canvas(30, 8);
    TDirectDrawSurface Want = Canvas(30, 8);
    BlitDraw(Dest, X, Y, Src, R, true);
    const int32_t W = std::abs(R.Right - R.Left);
    const int32_t H = std::abs(R.Bottom - R.Top);
    for (int32_t J = 0; J < H; ++J)
      for (int32_t I = 0; I < W; ++I) {
        const int32_t Sx = R.Right < R.Left ? R.Left - 1 - I : R.Left + I;
        const int32_t Sy = R.Bottom < R.Top ? R.Top - 1 - J : R.Top + J;
        const int32_t Dx = X + I;
        const int32_t Dy = Y + J;
        if (Sx < 0 || Sy < 0 || Sx >= Src.Width() || Sy >= Src.Height()) continue;
        if (Dx < 0 || Dy < 0 || Dx >= Want.Width() || Dy >= Want.Height()) continue;
        if ((Src.Pixel(Sx, Sy) & 0x00FFFFFFu) != kKey) Want.Row(Dy)[Dx] = Src.Pixel(Sx, Sy);
      }
    ASSERT_EQ(std::vector<uint32_t>(Dest.Pixels(), Dest.Pixels() + 240),
              std::vector<uint32_t>(Want.Pixels(), Want.Pixels() + 240))
        << "rect " << R.Left << "," << R.Top << "," << R.Right << "," << R.Bottom << " at " << X
        << "," << Y;
  }
  // A key pixel written into the solid columns is skipped from the next draw on.
  TDirectDrawSurface Dest = Canvas(30, 8);
  BlitDraw(Dest, 0, 0, Src, TRect{10, 0, 20, 8}, true);
  EXPECT_EQ(Dest.Pixel(5, 4), Src.Pixel(15, 4));
  Src.Row(4)[15] = kKey;
  Dest = Canvas(30, 8);
  BlitDraw(Dest, 0, 0, Src, TRect{10, 0, 20, 8}, true);
  EXPECT_EQ(Dest.Pixel(5, 4), kBack);
  EXPECT_EQ(Dest.Pixel(4, 4), Src.Pixel(14, 4));
  // Found wherever it lies in the range: the look for key pixels takes four at a time, then
  // the last few one by one.
  Src.Row(4)[15] = 0x01234567u;
  for (const int32_t Column : {10, 13, 14, 17, 18, 19}) {
    const uint32_t Was = Src.Pixel(Column, 2);
    Src.Row(2)[Column] = kKey;
    Dest = Canvas(30, 8);
    BlitDraw(Dest, 0, 0, Src, TRect{10, 0, 20, 8}, true);
    EXPECT_EQ(Dest.Pixel(Column - 10, 2), kBack) << Column;
    EXPECT_EQ(Dest.Pixel(Column == 10 ? 1 : 0, 2), Src.Pixel(Column == 10 ? 11 : 10, 2));
    Src.Row(2)[Column] = Was;
  }
}

TEST(Blended, AlphaZeroDrawsNothingAndFullAlphaCopies) {
  TDirectDrawSurface Src = KeyedSource();
  for (int32_t Alpha : {0, -5}) {
    TDirectDrawSurface Dest = Canvas(6, 5);
    BlitDrawBlended(Dest, TRect{1, 1, 5, 4}, Src, kWhole, true, Alpha);
    EXPECT_EQ(Letters(Dest), Letters(Canvas(6, 5))) << Alpha;
  }
  for (int32_t Alpha : {255, 256, 1000}) {
    TDirectDrawSurface Dest = Canvas(6, 5);
    TDirectDrawSurface Plain = Canvas(6, 5);
    BlitDrawBlended(Dest, TRect{1, 1, 5, 4}, Src, kWhole, true, Alpha);
    BlitDraw(Plain, 1, 1, Src, kWhole, true);
    EXPECT_EQ(Letters(Dest), Letters(Plain)) << Alpha;
  }
}

TEST(Blended, HalfAlphaMixesEachChannel) {
  TDirectDrawSurface Src(2, 1);
  Src.Row(0)[0] = 0x00FF8000;
  Src.Row(0)[1] = 0x00000000;  // the key: skipped
  Src.SetColorKey(0);
  TDirectDrawSurface Dest(2, 1);
  Dest.Fill(0x000080FF);
  BlitDrawBlended(Dest, TRect{0, 0, 2, 1}, Src, TRect{0, 0, 2, 1}, true, 128);
  // red 255 over 0, green 128 over 128, blue 0 over 255, each weighted 128 : 127.
  EXPECT_EQ(Dest.Pixel(0, 0), 0x0080807Fu);
  EXPECT_EQ(Dest.Pixel(1, 0), 0x000080FFu);
  BlitDrawBlended(Dest, TRect{0, 0, 2, 1}, Src, TRect{0, 0, 2, 1}, false, 128);
  EXPECT_EQ(Dest.Pixel(1, 0), 0x0000407Fu);
}

struct TBlendCase {
  const char* Name;
  TRect DestRect;
  TRect Src;
  std::vector<std::string> Expected;  // 6 x 5 destination after a full-alpha draw
};
// Test listings name the case, not its bytes.
void PrintTo(const TBlendCase& C, std::ostream* Os) {
  *Os << C.Name;
}

class BlendedGolden : public ::testing::TestWithParam<TBlendCase> {};

TEST_P(BlendedGolden, MatchesPicture) {
  const TBlendCase& C = GetParam();
  TDirectDrawSurface Src = KeyedSource();
  TDirectDrawSurface Dest = Canvas(6, 5);
  BlitDrawBlended(Dest, C.DestRect, Src, C.Src, true, 255);
  EXPECT_EQ(Letters(Dest), C.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Blit, BlendedGolden,
    ::testing::Values(TBlendCase{"DoubleSize",
                                 TRect{0, 0, 4, 4},
                                 TRect{0, 0, 2, 2},
                                 {"AABB..", "AABB..", "..DD..", "..DD..", "......"}},
                      TBlendCase{"HalfSize",
                                 TRect{0, 0, 2, 2},
                                 TRect{0, 0, 4, 3},
                                 {"A.....", ".E....", "......", "......", "......"}},
                      TBlendCase{"ClippedLeftTop",
                                 TRect{-2, -1, 2, 2},
                                 kWhole,
                                 {"E.....", "GH....", "......", "......", "......"}},
                      TBlendCase{"ClippedRightBottom",
                                 TRect{4, 3, 8, 6},
                                 kWhole,
                                 {"......", "......", "......", "....AB", ".....D"}},
                      TBlendCase{"Mirrored",
                                 TRect{0, 0, 4, 3},
                                 TRect{4, 0, 0, 3},
                                 {"C.BA..", ".ED...", "HG.F..", "......", "......"}},
                      TBlendCase{"RectPastSource",
                                 TRect{0, 0, 4, 1},
                                 TRect{2, 0, 6, 1},
                                 {".C....", "......", "......", "......", "......"}},
                      TBlendCase{"EmptyDestRect",
                                 TRect{3, 3, 1, 4},
                                 kWhole,
                                 {"......", "......", "......", "......", "......"}}),
    [](const auto& Info) { return std::string(Info.param.Name); });

struct TRotateCase {
  const char* Name;
  int32_t Angle;
  int32_t Width, Height;
  std::vector<std::string> Expected;  // 8 x 7 destination, pivot at (3, 3)
};
// Test listings name the case, not its bytes.
void PrintTo(const TRotateCase& C, std::ostream* Os) {
  *Os << C.Name;
}

class RotatedGolden : public ::testing::TestWithParam<TRotateCase> {};

TEST_P(RotatedGolden, MatchesPicture) {
  const TRotateCase& C = GetParam();
  TDirectDrawSurface Src = KeyedSource();
  TDirectDrawSurface Dest = Canvas(8, 7);
  BlitDrawRotated(Dest, 3, 3, C.Width, C.Height, Src, kWhole, 0.5, 0.5, C.Angle, true);
  EXPECT_EQ(Letters(Dest), C.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Blit, RotatedGolden,
    ::testing::Values(TRotateCase{"Zero",
                                  0,
                                  4,
                                  3,
                                  {"........", "........", ".AB.C...", "..DE....", ".F.GH...",
                                   "........", "........"}},
                      TRotateCase{"FullTurnIsZero",
                                  256,
                                  4,
                                  3,
                                  {"........", "........", ".AB.C...", "..DE....", ".F.GH...",
                                   "........", "........"}},
                      // A quarter turn clockwise: the top row becomes the right column.
                      TRotateCase{"QuarterTurn",
                                  64,
                                  4,
                                  3,
                                  {"........", "..F.A...", "...DB...", "..GE....", "..H.C...",
                                   "........", "........"}},
                      TRotateCase{"HalfTurn",
                                  128,
                                  4,
                                  3,
                                  {"........", "........", "..HG.F..", "...ED...", "..C.BA..",
                                   "........", "........"}},
                      TRotateCase{"ThreeQuarters",
                                  -64,
                                  4,
                                  3,
                                  {"........", "........", "..C.H...", "...EG...", "..BD....",
                                   "..A.F...", "........"}},
                      TRotateCase{"DoubleWidth",
                                  0,
                                  8,
                                  3,
                                  {"........", "........", "ABB..CC.", ".DDEE...", "F..GGHH.",
                                   "........", "........"}},
                      TRotateCase{"MirroredWidth",
                                  0,
                                  -4,
                                  3,
                                  {"........", "........", "..C.BA..", "...ED...", "..HG.F..",
                                   "........", "........"}}),
    [](const auto& Info) { return std::string(Info.param.Name); });

TEST(Rotated, ZeroSizeDrawsNothing) {
  TDirectDrawSurface Src = KeyedSource();
  for (auto [W, H] : {std::pair{0, 3}, std::pair{4, 0}}) {
    TDirectDrawSurface Dest = Canvas(8, 7);
    BlitDrawRotated(Dest, 3, 3, W, H, Src, kWhole, 0.5, 0.5, 10, true);
    EXPECT_EQ(Letters(Dest), Letters(Canvas(8, 7)));
  }
}

TEST(Rotated, FarOffSurfaceAndHugeSizesStayInside) {
  TDirectDrawSurface Src = KeyedSource();
  TDirectDrawSurface Dest = Canvas(8, 7);
  BlitDrawRotated(Dest, 2000000000, -2000000000, 4, 3, Src, kWhole, 0.5, 0.5, 30, true);
  EXPECT_EQ(Letters(Dest), Letters(Canvas(8, 7)));
  // A pattern blown up far past the surface covers it with its pixels, no crash.
  BlitDrawRotated(Dest, 4, 3, 2000000000, 2000000000, Src, TRect{1, 1, 2, 2}, 0.5, 0.5, 17, false);
  EXPECT_EQ(Letters(Dest)[0], "DDDDDDDD");
  BlitDrawRotated(Dest, 4, 3, 4, 3, Src, kWhole, 1e300, -1e300, 5, false);
  BlitDrawRotated(Dest, 4, 3, 4, 3, Src, kWhole, NAN, 0.5, 5, false);
}

// Inverse mapping leaves no holes: at every angle, each destination pixel whose sample point
// lies well inside a solid pattern is painted.
TEST(Rotated, NoHolesAtAnyAngle) {
  TDirectDrawSurface Src(16, 8);
  Src.Fill(0x00FFFFFF);
  for (int32_t Angle = 0; Angle < 256; ++Angle) {
    TDirectDrawSurface Dest = Canvas(40, 40);
    BlitDrawRotated(Dest, 20, 20, 16, 8, Src, TRect{0, 0, 16, 8}, 0.5, 0.5, Angle, false);
    const double Phi = -Angle * 2.0 * std::numbers::pi / 256.0;
    for (int32_t Y = 0; Y < 40; ++Y)
      for (int32_t X = 0; X < 40; ++X) {
        const double Dx = X - 20, Dy = Y - 20;
        const double U = 8 + Dx * std::cos(Phi) - Dy * std::sin(Phi);
        const double V = 4 + Dx * std::sin(Phi) + Dy * std::cos(Phi);
        if (U > 1 && U < 15 && V > 1 && V < 7) {
          ASSERT_EQ(Dest.Pixel(X, Y), 0x00FFFFFFu) << "angle " << Angle << " at " << X << "," << Y;
        }
        if (U < -1 || U > 17 || V < -1 || V > 9) {
          ASSERT_EQ(Dest.Pixel(X, Y), kBack) << "angle " << Angle << " at " << X << "," << Y;
        }
      }
  }
}

// The turned copy walks only the columns of each row whose sample lands in the pattern, and
// keeps what it made with the source for the next draw; it must leave exactly the pixels
// that sampling every destination pixel leaves, at every angle, scale, mirror, pivot and
// clipping, and follow a change of the source's pixels.
TEST(Rotated, SameAsSamplingEveryPixel) {
  std::mt19937 Rng(14);
  auto Below = [&Rng](int32_t N) { return static_cast<int32_t>(Rng() % static_cast<uint32_t>(N)); };
  for (int32_t Case = 0; Case < 600; ++Case) {
    TDirectDrawSurface Src(1 + Below(30), 1 + Below(30));
    for (int32_t Y = 0; Y < Src.Height(); ++Y)
      for (int32_t X = 0; X < Src.Width(); ++X)
        Src.Row(Y)[X] = Below(4) == 0 ? kKey : 0x00010101u * static_cast<uint32_t>(1 + Below(26));
    Src.SetColorKey(kKey);
    // A rectangle of the source, either way round on each axis.
    int32_t L = Below(Src.Width()), R = L + 1 + Below(Src.Width() - L);
    int32_t T = Below(Src.Height()), B = T + 1 + Below(Src.Height() - T);
    if (Below(4) == 0) std::swap(L, R);
    if (Below(4) == 0) std::swap(T, B);
    const TRect Rect{L, T, R, B};
    const int32_t SW = std::abs(R - L), SH = std::abs(B - T);
    int32_t W = Below(3) == 0 ? SW : Below(80) - 40, H = Below(3) == 0 ? SH : Below(80) - 40;
    if (Below(8) == 0) {
      // Blown up past what is kept made.
      W = 300 + Below(100);
      H = 300 + Below(100);
    }
    if (W == 0) W = 1;
    if (H == 0) H = -1;
    const int32_t Angle = Below(512) - 256;
    const double CX = Below(3) == 0 ? 0.5 : (Below(200) - 50) / 100.0;
    const double CY = Below(3) == 0 ? 0.5 : (Below(200) - 50) / 100.0;
    const bool Keyed = Below(3) != 0;

    // Every destination pixel mapped back into the pattern, in the same 16.16 steps.
    const int64_t C = std::lround(std::cos(2.0 * std::numbers::pi * (Angle & 255) / 256.0) * 65536.0);
    const int64_t S = std::lround(std::cos(2.0 * std::numbers::pi * ((Angle + 192) & 255) / 256.0) * 65536.0);
    const int64_t ScaleX = (int64_t{SW} << 16) / W, ScaleY = (int64_t{SH} << 16) / H;
    const int64_t DuDx = (ScaleX * C) >> 16, DuDy = (ScaleX * S) >> 16;
    const int64_t DvDx = -((ScaleY * S) >> 16), DvDy = (ScaleY * C) >> 16;
    const int64_t PU = std::llround(CX * SW * 65536.0), PV = std::llround(CY * SH * 65536.0);
    auto Sampled = [&](int32_t X, int32_t Y) {
      TDirectDrawSurface Slow = Canvas(50, 40);
      for (int32_t DY = 0; DY < 40; ++DY)
        for (int32_t DX = 0; DX < 50; ++DX) {
          const int64_t U = PU + int64_t{DX - X} * DuDx + int64_t{DY - Y} * DuDy;
          const int64_t V = PV + int64_t{DX - X} * DvDx + int64_t{DY - Y} * DvDy;
          if (U < 0 || V < 0 || (U >> 16) >= SW || (V >> 16) >= SH) continue;
          const int64_t Pu = U >> 16, Pv = V >> 16;
          const int64_t SrcX = R < L ? L - 1 - Pu : L + Pu;
          const int64_t SrcY = B < T ? T - 1 - Pv : T + Pv;
          const uint32_t P = Src.Pixel(static_cast<int32_t>(SrcX), static_cast<int32_t>(SrcY));
          if (Keyed && P == kKey) continue;
          Slow.Row(DY)[DX] = P;
        }
      return Letters(Slow);
    };
    // Drawn at three places: the second and third reuse what the first made, and the third
    // comes after a change of the source's pixels.
    for (int32_t Draw = 0; Draw < 3; ++Draw) {
      if (Draw == 2) Src.Row(Below(Src.Height()))[Below(Src.Width())] = 0x00010101u * 27;
      const int32_t X = Below(100) - 25, Y = Below(90) - 25;
      TDirectDrawSurface Fast = Canvas(50, 40);
      BlitDrawRotated(Fast, X, Y, W, H, Src, Rect, CX, CY, Angle, Keyed);
      ASSERT_EQ(Letters(Fast), Sampled(X, Y))
          << "case " << Case << ", draw " << Draw << ": " << SW << "x" << SH << " to " << W << "x"
          << H << " angle " << Angle << " pivot " << CX << "," << CY << " at " << X << "," << Y;
    }
  }
}

}  // namespace
