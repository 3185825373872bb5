#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "platform/ChangedRows.h"
#include "platform/PictureScaler.h"

namespace {

std::vector<uint32_t> RandomPicture(int32_t W, int32_t H, uint32_t Seed) {
  std::mt19937 Random(Seed);
  std::vector<uint32_t> P(static_cast<size_t>(W) * static_cast<size_t>(H));
  for (uint32_t& Pixel : P) Pixel = Random() & 0x00FFFFFFu;
  return P;
}

// The plain way: every output pixel shows the source pixel under its centre.
std::vector<uint32_t> ReferenceScale(const std::vector<uint32_t>& Source, int32_t SourceW,
                                     int32_t SourceH, int32_t OutW, int32_t OutH) {
  std::vector<uint32_t> Out(static_cast<size_t>(OutW) * static_cast<size_t>(OutH));
  for (int32_t Y = 0; Y < OutH; ++Y) {
    const auto Sy = static_cast<int32_t>(std::floor((Y + 0.5) * SourceH / OutH));
    for (int32_t X = 0; X < OutW; ++X) {
      const auto Sx = static_cast<int32_t>(std::floor((X + 0.5) * SourceW / OutW));
      Out[static_cast<size_t>(Y) * OutW + X] = Source[static_cast<size_t>(Sy) * SourceW + Sx];
    }
  }
  return Out;
}

constexpr uint32_t kUntouched = 0xDEADBEEFu;

}  // namespace

TEST(PictureScaler, MatchesThePlainScalerAndWritesOnlyItsRows) {
  struct TCase {
    int32_t SourceW, SourceH, OutW, OutH;
  };
  const std::vector<TCase> Cases = {
      {800, 600, 1440, 1080},  // full screen 1920 x 1080
      {800, 600, 2880, 2160},  // 3840 x 2160
      {800, 600, 1024, 768},   // the test display's screen
      {800, 600, 1600, 1200},  // a whole-number scale
      {800, 600, 800, 600},    // 1:1
      {800, 600, 640, 480},    // a screen smaller than the picture
      {800, 600, 3200, 2400},  // four times, the widest runs
      {800, 600, 4000, 3000},  // past four times across
      {7, 5, 23, 11},          // odd sizes, few columns
      {3, 2, 3, 7},            // rows only
      {1, 1, 5, 3},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(std::to_string(C.SourceW) + "x" + std::to_string(C.SourceH) + " -> " +
                 std::to_string(C.OutW) + "x" + std::to_string(C.OutH));
    const std::vector<uint32_t> Source = RandomPicture(C.SourceW, C.SourceH, 7);
    const std::vector<uint32_t> Expected =
        ReferenceScale(Source, C.SourceW, C.SourceH, C.OutW, C.OutH);
    // The output sits in a wider surface (bars on the right), which must stay untouched.
    const int32_t Pitch = C.OutW + 5;
    std::vector<uint32_t> Out(static_cast<size_t>(Pitch) * C.OutH, kUntouched);
    TPictureScaler Scaler;
    Scaler.SetSizes(C.SourceW, C.SourceH, C.OutW, C.OutH);
    // Source rows one by one cover the output rows in order, each exactly once.
    int32_t Next = 0;
    for (int32_t Y = 0; Y < C.SourceH; ++Y) {
      int32_t Y0 = 0, Y1 = 0;
      Scaler.OutRows(Y, Y + 1, Y0, Y1);
      if (Y1 == Y0) continue;
      ASSERT_EQ(Y0, Next) << "source row " << Y;
      Next = Y1;
    }
    ASSERT_EQ(Next, C.OutH);
    // The lower half first, then the upper: a part writes its own rows and nothing else.
    const int32_t Half = C.SourceH / 2;
    int32_t Top = 0, Unused = 0;
    Scaler.OutRows(Half, C.SourceH, Top, Unused);
    Scaler.ScaleRows(Source.data(), C.SourceW * 4, Out.data(), Pitch * 4, Half, C.SourceH);
    for (int32_t Y = 0; Y < Top; ++Y)
      for (int32_t X = 0; X < Pitch; ++X)
        ASSERT_EQ(Out[static_cast<size_t>(Y) * Pitch + X], kUntouched) << X << "," << Y;
    Scaler.ScaleRows(Source.data(), C.SourceW * 4, Out.data(), Pitch * 4, 0, Half);
    for (int32_t Y = 0; Y < C.OutH; ++Y) {
      for (int32_t X = 0; X < C.OutW; ++X)
        ASSERT_EQ(Out[static_cast<size_t>(Y) * Pitch + X],
                  Expected[static_cast<size_t>(Y) * C.OutW + X])
            << X << "," << Y;
      for (int32_t X = C.OutW; X < Pitch; ++X)
        ASSERT_EQ(Out[static_cast<size_t>(Y) * Pitch + X], kUntouched) << X << "," << Y;
    }
  }
}

TEST(ChangedRows, FindsTheChangedRowsAndKeepsTheNewPicture) {
  const int32_t W = 40, H = 300;
  struct TCase {
    const char* What;
    std::vector<int32_t> Changed;  // rows of the new picture that differ
    bool All;
    std::vector<TRowBand> Bands;  // as expected
  };
  const std::vector<TCase> Cases = {
      {"nothing changed", {}, false, {}},
      {"nothing changed, sent whole", {}, true, {{0, H}}},
      {"one row", {17}, false, {{17, 18}}},
      {"the last pixel of the last row", {H - 1}, false, {{H - 1, H}}},
      {"close rows join", {10, 12, 17}, false, {{10, 18}}},
      {"rows apart stay apart", {10, 100, 200}, false, {{10, 11}, {100, 101}, {200, 201}}},
      {"too many bands: the closest neighbours join (the first of equals)",
       {0, 20, 40, 60, 80, 100, 120, 140, 150, 280},
       false,
       {{0, 21}, {40, 41}, {60, 61}, {80, 81}, {100, 101}, {120, 121}, {140, 151}, {280, 281}}},
  };
  for (const TCase& C : Cases) {
    std::vector<uint32_t> Kept = RandomPicture(W, H, 3);
    std::vector<uint32_t> Now = Kept;
    for (int32_t Y : C.Changed)
      Now[static_cast<size_t>(Y) * W + (Y == H - 1 ? W - 1 : Y % W)] ^= 1u;
    std::vector<TRowBand> Bands;
    TakeChangedRows(Now.data(), W * 4, Kept.data(), W * 4, W, H, C.All, Bands);
    EXPECT_EQ(Kept, Now) << C.What;
    ASSERT_EQ(Bands.size(), C.Bands.size()) << C.What;
    for (size_t I = 0; I < Bands.size(); ++I) {
      EXPECT_EQ(Bands[I].Y0, C.Bands[I].Y0) << C.What << " band " << I;
      EXPECT_EQ(Bands[I].Y1, C.Bands[I].Y1) << C.What << " band " << I;
    }
  }
  // Every row changed, more bands than allowed before joining: one band, all rows.
  std::vector<uint32_t> Kept(static_cast<size_t>(W) * H, 0), Now = RandomPicture(W, H, 9);
  std::vector<TRowBand> Bands;
  TakeChangedRows(Now.data(), W * 4, Kept.data(), W * 4, W, H, false, Bands);
  ASSERT_EQ(Bands.size(), 1u);
  EXPECT_EQ(Bands[0].Y0, 0);
  EXPECT_EQ(Bands[0].Y1, H);
}
