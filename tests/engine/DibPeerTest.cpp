// The bitmap decoder checked against ImageMagick as an independent peer: bitmaps written by
// ImageMagick in each layout are decoded by both, and the pixels must agree.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/DXDib.h"

namespace {

bool HaveConvert() {
  return std::system("convert -version > /dev/null 2>&1") == 0;
}

std::vector<uint8_t> ReadFile(const std::string& Path) {
  std::ifstream In(Path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(In), {});
}

// A W x H picture using the first Colors entries of a fixed colour list, in a pattern with
// runs (for the run-length coder) and single pixels.
void WritePpm(const std::string& Path, int W, int H, int Colors) {
  std::ofstream Out(Path, std::ios::binary);
  Out << "P6 " << W << " " << H << " 255\n";
  for (int Y = 0; Y < H; ++Y) {
    for (int X = 0; X < W; ++X) {
      const int I = (X < W / 3) ? (Y % Colors) : ((X * 3 + Y * 5 + X * Y) % Colors);
      const unsigned char Rgb[3] = {static_cast<unsigned char>(I * 37 + 11),
                                    static_cast<unsigned char>(255 - I * 23),
                                    static_cast<unsigned char>((I * I * 7) & 0xFF)};
      Out.write(reinterpret_cast<const char*>(Rgb), 3);
    }
  }
}

// ImageMagick's own reading of a file, as RGBA bytes.
std::vector<uint8_t> PeerPixels(const std::string& Path) {
  std::vector<uint8_t> Bytes;
  FILE* P = popen(("convert '" + Path + "' -depth 8 rgba:-").c_str(), "r");
  if (P == nullptr) return Bytes;
  unsigned char Buffer[4096];
  size_t N;
  while ((N = std::fread(Buffer, 1, sizeof Buffer, P)) > 0)
    Bytes.insert(Bytes.end(), Buffer, Buffer + N);
  pclose(P);
  return Bytes;
}

}  // namespace

TEST(DibPeer, SamePixelsAsImageMagick) {
  if (!HaveConvert()) GTEST_SKIP() << "ImageMagick's convert is not installed";
  struct Case {
    const char* What;
    int Colors;
    const char* Options;
    int Bits;
    uint32_t Compression;
  };
  const Case Cases[] = {
      {"1-bit", 2, "-type Palette -compress None BMP3:", 1, 0},
      {"4-bit", 12, "-type Palette -compress None BMP3:", 4, 0},
      {"8-bit", 40, "-type Palette -compress None BMP3:", 8, 0},
      {"run-length 8-bit", 40, "-type Palette -compress RLE BMP3:", 8, 1},
      {"24-bit", 40, "-type TrueColor BMP3:", 24, 0},
      {"32-bit", 40, "-alpha set -define bmp3:alpha=true BMP3:", 32, 0},
      {"16-bit 5-6-5 bit fields", 40, "-define bmp:subtype=RGB565 BMP:", 16, 3},
  };
  const std::string Dir = std::string(TB_BINARY_DIR) + "/images-peer";
  ASSERT_EQ(std::system(("mkdir -p '" + Dir + "'").c_str()), 0);
  for (const Case& C : Cases) {
    for (const auto& [W, H] : {std::pair{37, 23}}) {
      SCOPED_TRACE(std::string(C.What) + " " + std::to_string(W) + "x" + std::to_string(H));
      const std::string Ppm = Dir + "/source.ppm";
      const std::string Bmp = Dir + "/picture.bmp";
      WritePpm(Ppm, W, H, C.Colors);
      ASSERT_EQ(std::system(("convert '" + Ppm + "' " + C.Options + "'" + Bmp + "'").c_str()), 0);
      const std::vector<uint8_t> File = ReadFile(Bmp);
      ASSERT_GE(File.size(), 54u);
      // Make sure ImageMagick wrote the layout this case is about.
      EXPECT_EQ(File[28] | (File[29] << 8), C.Bits);
      EXPECT_EQ(static_cast<uint32_t>(File[30]), C.Compression);

      TDirectDrawSurface Ours;
      ASSERT_NO_THROW(DecodeBmpFile(File, Ours));
      const std::vector<uint8_t> Peer = PeerPixels(Bmp);
      ASSERT_EQ(Peer.size(), static_cast<size_t>(W * H * 4));
      ASSERT_EQ(Ours.Width(), W);
      ASSERT_EQ(Ours.Height(), H);
      int Mismatches = 0;
      for (int Y = 0; Y < H; ++Y) {
        for (int X = 0; X < W; ++X) {
          const uint8_t* Q = &Peer[static_cast<size_t>((Y * W + X) * 4)];
          const uint32_t Expected = (uint32_t{Q[0]} << 16) | (uint32_t{Q[1]} << 8) | Q[2];
          if (Ours.Pixel(X, Y) != Expected && Mismatches++ < 3)
            ADD_FAILURE() << "pixel (" << X << ", " << Y << "): ours " << std::hex
                          << Ours.Pixel(X, Y) << ", ImageMagick's " << Expected;
        }
      }
      EXPECT_EQ(Mismatches, 0);
    }
  }
}
