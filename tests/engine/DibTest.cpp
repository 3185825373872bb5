#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "PackBytes.h"
#include "engine/DXDib.h"

namespace {

// Pixels of a surface, top row first.
std::vector<uint32_t> PixelsOf(const TDirectDrawSurface& S) {
  std::vector<uint32_t> P;
  for (int32_t Y = 0; Y < S.Height(); ++Y)
    for (int32_t X = 0; X < S.Width(); ++X) P.push_back(S.Pixel(X, Y));
  return P;
}

TBytes InfoHeader(int32_t W, int32_t H, uint16_t Bits, uint32_t Compression, uint32_t ColorsUsed) {
  TBytes T;
  T.U32(40).U32(static_cast<uint32_t>(W)).U32(static_cast<uint32_t>(H)).U16(1).U16(Bits);
  T.U32(Compression).U32(0).U32(0).U32(0).U32(ColorsUsed).U32(0);
  return T;
}

constexpr uint32_t P0 = 0x000000, P1 = 0x112233, P2 = 0xA0B0C0, P3 = 0x00FF00, P4 = 0xFF0000;

// Palette entries blue, green, red, reserved.
void Palette4(TBytes& T, std::initializer_list<uint32_t> Colors) {
  for (uint32_t C : Colors) T.U8(C & 0xFF).U8((C >> 8) & 0xFF).U8((C >> 16) & 0xFF).U8(0);
}

struct TDecodeCase {
  std::string What;
  std::vector<uint8_t> Data;
  int32_t Width, Height, Bits;
  std::vector<uint32_t> TopFirst;
};

std::vector<TDecodeCase> DecodeCases() {
  std::vector<TDecodeCase> Cases;
  {
    // 4 x 3, run-length 8-bit. Bottom row: a run; middle: a literal run of 3 (padded) and
    // a run of 1; top: a delta of 2 then a run of 2, the rest never written (entry 0).
    TBytes T = InfoHeader(4, 3, 8, 1, 3);
    Palette4(T, {P0, P1, P2});
    T.U8s({4, 1, 0, 0});
    T.U8s({0, 3, 2, 1, 2, 0, 1, 0, 0, 0});
    T.U8s({0, 2, 2, 0, 2, 2, 0, 1});
    Cases.push_back({"run-length 8-bit",
                     T.B,
                     4,
                     3,
                     8,
                     {P0, P0, P2, P2,  //
                      P2, P1, P2, P0,  //
                      P1, P1, P1, P1}});
  }
  {
    // 5 x 2, run-length 4-bit: a run alternating the two nibbles, then a literal run of 3
    // nibbles (2 bytes, no pad) and a run of 2; a run past the row's end is clipped.
    TBytes T = InfoHeader(5, 2, 4, 2, 0);
    Palette4(T, {P0, P1, P2, P3, P4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    T.U8s({5, 0x12, 0, 0});
    T.U8s({0, 3, 0x21, 0x30, 4, 0x44, 0, 1});
    Cases.push_back({"run-length 4-bit",
                     T.B,
                     5,
                     2,
                     4,
                     {P2, P1, P3, P4, P4,  //
                      P1, P2, P1, P2, P1}});
  }
  {
    // Run-length 4-bit literal of 5 nibbles takes 3 bytes and one pad byte.
    TBytes T = InfoHeader(6, 1, 4, 2, 5);
    Palette4(T, {P0, P1, P2, P3, P4});
    T.U8s({0, 5, 0x12, 0x34, 0x10, 0x00, 1, 0x22, 0, 1});
    Cases.push_back({"run-length 4-bit odd literal", T.B, 6, 1, 4, {P1, P2, P3, P4, P1, P2}});
  }
  {
    // Core header: 16-bit sizes, 3-byte palette entries, 1 bit per pixel.
    TBytes T;
    T.U32(12).U16(3).U16(2).U16(1).U16(1);
    T.U8s({0x33, 0x22, 0x11, 0xC0, 0xB0, 0xA0});  // P1, P2
    T.U8s({0xA0, 0, 0, 0});                       // bottom: 1 0 1
    T.U8s({0x60, 0, 0, 0});                       // top: 0 1 1
    Cases.push_back({"core header 1-bit", T.B, 3, 2, 1, {P1, P2, P2, P2, P1, P2}});
  }
  {
    // Top-down 16-bit with 5-6-5 bit-field masks.
    TBytes T = InfoHeader(2, -2, 16, 3, 0);
    T.U32(0xF800).U32(0x07E0).U32(0x001F);
    T.U16(0xF800).U16(0x07E0);  // top row first
    T.U16(0x001F).U16(0x8410);
    Cases.push_back({"top-down 16-bit bit fields",
                     T.B,
                     2,
                     2,
                     16,
                     {0xFF0000, 0x00FF00, 0x0000FF, (132u << 16) | (130u << 8) | 132u}});
  }
  {
    // 16 bits without masks: 5-5-5.
    TBytes T = InfoHeader(1, 1, 16, 0, 0);
    T.U16(0x7C00 | 0x001F).U16(0);
    Cases.push_back({"16-bit 5-5-5", T.B, 1, 1, 16, {0xFF00FF}});
  }
  {
    // 32 bits with masks in an unusual order (alpha-like top byte as red).
    TBytes T = InfoHeader(1, 1, 32, 3, 0);
    T.U32(0xFF000000).U32(0x0000FF00).U32(0x000000FF);
    T.U32(0x7F00FF10);
    Cases.push_back({"32-bit bit fields", T.B, 1, 1, 32, {0x7FFF10}});
  }
  {
    // 4-bit with a short palette: an index past it reads as black.
    TBytes T = InfoHeader(3, 1, 4, 0, 2);
    Palette4(T, {P1, P2});
    T.U8s({0x10, 0xF0, 0, 0});
    Cases.push_back({"index past the palette", T.B, 3, 1, 4, {P2, P1, 0}});
  }
  {
    // 8-bit with 1000 colours used: only 256 entries are read, and the rows follow them.
    TBytes T = InfoHeader(1, 1, 8, 0, 1000);
    for (int I = 0; I < 256; ++I) Palette4(T, {static_cast<uint32_t>(I)});
    T.U8s({7, 0, 0, 0});
    Cases.push_back({"palette capped at 256", T.B, 1, 1, 8, {7}});
  }
  {
    TBytes T = InfoHeader(2, 1, 24, 0, 0);
    T.U8s({0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0, 0});
    Cases.push_back({"24-bit", T.B, 2, 1, 24, {0x030201, 0x060504}});
  }
  {
    // Five pixels: four taken together, one alone; every byte distinct so that a byte
    // taken from the wrong place shows.
    TBytes T = InfoHeader(5, 1, 24, 0, 0);
    T.U8s({0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F,
           0});
    Cases.push_back(
        {"24-bit, five wide", T.B, 5, 1, 24, {0x030201, 0x060504, 0x090807, 0x0C0B0A, 0x0F0E0D}});
  }
  return Cases;
}

}  // namespace

TEST(Dib, DecodesEveryLayout) {
  for (const TDecodeCase& C : DecodeCases()) {
    SCOPED_TRACE(C.What);
    TDirectDrawSurface S;
    int32_t Bits = 0;
    ASSERT_NO_THROW(Bits = DecodeDib(C.Data, S));
    EXPECT_EQ(Bits, C.Bits);
    ASSERT_EQ(S.Width(), C.Width);
    ASSERT_EQ(S.Height(), C.Height);
    EXPECT_EQ(PixelsOf(S), C.TopFirst);
  }
}

TEST(Dib, DamagedDataIsInvalid) {
  struct Case {
    std::string What;
    std::vector<uint8_t> Data;
  };
  auto Header = [](int32_t W, int32_t H, uint16_t Bits, uint32_t Comp) {
    return InfoHeader(W, H, Bits, Comp, 0);
  };
  std::vector<Case> Cases = {
      {"no bytes", {}},
      {"header size 41", TBytes().U32(41).U32(1).U32(1).B},
      {"header size 108 is for files only", TBytes().U32(108).B},
      {"information header cut short", TBytes().U32(40).U32(1).U32(1).U16(1).B},
      {"core header cut short", TBytes().U32(12).U16(1).U16(1).B},
      {"compression 4", Header(1, 1, 24, 4).U32(0).B},
      {"7 bits per pixel", Header(1, 1, 7, 0).U32(0).B},
      {"run-length 8-bit with 4 bits", Header(1, 1, 4, 1).B},
      {"run-length 4-bit with 8 bits", Header(1, 1, 8, 2).B},
      {"bit fields with 24 bits", Header(1, 1, 24, 3).B},
      {"bit fields cut short", Header(1, 1, 16, 3).U32(0xF800).B},
      {"palette cut short", Header(1, 1, 8, 0).U32(0).B},
      {"rows cut short", Header(2, 2, 24, 0).U8s({1, 2, 3, 4, 5, 6, 0, 0}).B},
      {"negative width", Header(-1, 1, 24, 0).U32(0).B},
      {"height of INT32_MIN", Header(1, INT32_MIN, 24, 0).U32(0).B},
      {"absurd width", Header(100000, 1, 24, 0).B},
      {"absurd area", Header(16384, 16384, 24, 0).B},
  };
  {
    TBytes T = Header(4, 1, 8, 1);
    for (int I = 0; I < 256; ++I) T.U32(0);
    T.U8s({0, 5, 1, 2});  // a literal run of 5 with 2 bytes left
    Cases.push_back({"run-length literal cut short", T.B});
  }
  for (const Case& C : Cases) {
    TDirectDrawSurface S(3, 3);
    try {
      DecodeDib(C.Data, S);
      ADD_FAILURE() << C.What << ": no error";
    } catch (const EInvalidGraphic& E) {
      EXPECT_STREQ(E.what(), "DIB is invalid") << C.What;
      EXPECT_TRUE(S.Empty()) << C.What;
    }
  }
}

TEST(Dib, RunLengthDataWithoutEndMarkerStopsAtTheEnd) {
  TBytes T = InfoHeader(2, 2, 8, 1, 2);
  Palette4(T, {P1, P2});
  T.U8s({2, 1});  // bottom row, then the data simply ends
  TDirectDrawSurface S;
  DecodeDib(T.B, S);
  EXPECT_EQ(PixelsOf(S), (std::vector<uint32_t>{P1, P1, P2, P2}));
}

TEST(Dib, RunLengthDeltaFarOutsideIsIgnored) {
  TBytes T = InfoHeader(2, 2, 8, 1, 2);
  Palette4(T, {P1, P2});
  T.U8s({0, 2, 255, 0, 255, 1, 0, 0, 1, 1, 0, 1});  // far right, a run there, next line
  TDirectDrawSurface S;
  DecodeDib(T.B, S);
  EXPECT_EQ(PixelsOf(S), (std::vector<uint32_t>{P2, P1, P1, P1}));
}

TEST(Dib, BmpFileWithPixelOffset) {
  // File header, then a 1 x 1 24-bit bitmap whose pixels start 4 bytes after the header.
  TBytes T;
  T.Text("BM").U32(0).U32(0).U32(14 + 40 + 4);
  T.Append(InfoHeader(1, 1, 24, 0, 0).B).U32(0xDEADBEEF).U8s({0x10, 0x20, 0x30, 0});
  TDirectDrawSurface S;
  EXPECT_EQ(DecodeBmpFile(T.B, S), 24);
  EXPECT_EQ(S.Pixel(0, 0), 0x302010u);

  TBytes Bad;
  Bad.Text("BM").U32(0).U32(0).U32(5000);
  EXPECT_THROW(DecodeBmpFile(Bad.B, S), EInvalidGraphic);
  EXPECT_THROW(DecodeBmpFile(TBytes().Text("XX").B, S), EInvalidGraphic);
}

TEST(Dib, RandomDamageToEveryLayoutNeverCrashes) {
  // Fixed seed; byte changes, cuts and growths of each valid sample above. Every outcome
  // must be a picture within the size limits or "DIB is invalid".
  std::mt19937 Random(77);
  for (const TDecodeCase& C : DecodeCases()) {
    for (int Round = 0; Round < 600; ++Round) {
      std::vector<uint8_t> B = C.Data;
      const uint32_t Action = Random() % 4;
      if (Action == 3) {
        B.resize(Random() % (B.size() + 1));
      } else {
        const int Flips = 1 + static_cast<int>(Random() % 3);
        for (int I = 0; I < Flips && !B.empty(); ++I) {
          const size_t At = Random() % B.size();
          const uint8_t Value = static_cast<uint8_t>(Random());
          B[At] = Value;
        }
        if (Action == 2) B.resize(B.size() + Random() % 64, static_cast<uint8_t>(Random()));
      }
      TDirectDrawSurface S;
      try {
        DecodeDib(B, S);
        EXPECT_LE(int64_t{S.Width()} * S.Height(), DibMaxPixels);
      } catch (const EInvalidGraphic&) {
        EXPECT_TRUE(S.Empty());
      }
    }
  }
}
