#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/DXImageList.h"
#include "engine/DXStream.h"
#include "tools/packwriter/PackWriter.h"

namespace {

// A picture of exactly min(W * H, Distinct) colours.
TDirectDrawSurface Picture(int32_t W, int32_t H, uint32_t Distinct) {
  TDirectDrawSurface S(W, H);
  for (int32_t Y = 0; Y < H; ++Y)
    for (int32_t X = 0; X < W; ++X) {
      const uint32_t I = static_cast<uint32_t>(Y * W + X) % Distinct;
      S.Row(Y)[X] = (I * 0x9E3779B1u) & 0x00FFFFFFu;  // odd factor: distinct I, distinct colour
    }
  return S;
}

bool SamePixels(const TDirectDrawSurface& A, const TDirectDrawSurface& B) {
  if (A.Width() != B.Width() || A.Height() != B.Height()) return false;
  for (int32_t Y = 0; Y < A.Height(); ++Y)
    for (int32_t X = 0; X < A.Width(); ++X)
      if ((A.Pixel(X, Y) & 0xFFFFFF) != (B.Pixel(X, Y) & 0xFFFFFF)) return false;
  return true;
}

}  // namespace

TEST(ImagePackRoundTrip, EveryPropertyAndPixelComesBack) {
  std::vector<TImagePackItem> Items(4);
  Items[0].Name = "Player";
  Items[0].Picture = Picture(240, 90, 200);  // few colours: written as 8-bit
  Items[0].PatternWidth = 120;
  Items[0].PatternHeight = 90;
  Items[0].TransparentColor = 0xFF00FF;
  Items[1].Name = "SkyTile";
  Items[1].Picture = Picture(33, 9, 100000);  // many colours: 24-bit
  Items[1].SystemMemory = true;
  Items[1].Transparent = false;
  Items[1].SkipWidth = 2;
  Items[1].SkipHeight = 1;
  Items[2].Name = "Forced24";
  Items[2].Picture = Picture(5, 3, 3);
  Items[2].BitCount = 24;
  Items[3].Name = std::string(300, 'L');  // a long name takes the long string tag
  Items[3].PatternWidth = -7;             // written as it is

  std::vector<uint8_t> Pack;
  std::string Error;
  ASSERT_TRUE(WriteImagePack(Items, Pack, Error)) << Error;

  TPictureCollection C;
  C.LoadFromStream(Pack);
  ASSERT_EQ(C.Count(), 4);
  const int32_t ExpectedBits[] = {8, 24, 24, 0};
  for (int32_t I = 0; I < 4; ++I) {
    SCOPED_TRACE(Items[I].Name.substr(0, 20));
    const TPictureCollectionItem& Got = C.Items(I);
    const TImagePackItem& Want = Items[I];
    EXPECT_EQ(Got.Name(), Want.Name);
    EXPECT_EQ(Got.PatternWidth, Want.PatternWidth);
    EXPECT_EQ(Got.PatternHeight, Want.PatternHeight);
    EXPECT_EQ(Got.SkipWidth, Want.SkipWidth);
    EXPECT_EQ(Got.SkipHeight, Want.SkipHeight);
    EXPECT_EQ(Got.TransparentColor(), Want.TransparentColor);
    EXPECT_EQ(Got.SystemMemory, Want.SystemMemory);
    EXPECT_EQ(Got.Transparent, Want.Transparent);
    EXPECT_EQ(Got.Picture.SourceBitCount, ExpectedBits[I]);
    EXPECT_TRUE(SamePixels(Got.Picture.Pixels, Want.Picture));
  }
  // The first palette picture's colours go into the pack's colour table.
  EXPECT_EQ(C.ColorTable[0], Items[0].Picture.Pixel(0, 0) & 0xFF);
  EXPECT_EQ(C.Find("player").PatternCount(), 2);
}

TEST(ImagePackRoundTrip, WriterRefusesWhatCannotBeWritten) {
  struct Case {
    const char* What;
    TImagePackItem Item;
    std::string Error;
  };
  std::vector<Case> Cases(2);
  Cases[0].What = "8-bit with too many colours";
  Cases[0].Item.Name = "Busy";
  Cases[0].Item.Picture = Picture(40, 40, 1000);
  Cases[0].Item.BitCount = 8;
  Cases[0].Error = "image 'Busy': the picture has more than 256 colours";
  Cases[1].What = "16 bits";
  Cases[1].Item.Name = "Odd";
  Cases[1].Item.Picture = Picture(2, 2, 2);
  Cases[1].Item.BitCount = 16;
  Cases[1].Error = "image 'Odd': bit count 16 is not 8 or 24";
  for (const Case& C : Cases) {
    std::vector<uint8_t> Pack;
    std::string Error;
    EXPECT_FALSE(WriteImagePack({C.Item}, Pack, Error)) << C.What;
    EXPECT_EQ(Error, C.Error) << C.What;
  }
}

TEST(ImagePackRoundTrip, PictureFromRgbBytes) {
  // 2 x 2 with a stride of 8 bytes (2 bytes of padding per row).
  const uint8_t Rgb[] = {255, 0, 0, 0, 255, 0, 9, 9, 0, 0, 255, 1, 2, 3, 9, 9};
  TImagePackItem Item;
  Item.Name = "Rgb";
  Item.Picture = SurfaceFromRgb(Rgb, 2, 2, 8);
  std::vector<uint8_t> Pack;
  std::string Error;
  ASSERT_TRUE(WriteImagePack({Item}, Pack, Error)) << Error;
  TPictureCollection C;
  C.LoadFromStream(Pack);
  const TDirectDrawSurface& P = C.Find("rgb").Picture.Pixels;
  EXPECT_EQ(P.Pixel(0, 0), 0xFF0000u);
  EXPECT_EQ(P.Pixel(1, 0), 0x00FF00u);
  EXPECT_EQ(P.Pixel(0, 1), 0x0000FFu);
  EXPECT_EQ(P.Pixel(1, 1), 0x010203u);
}

TEST(ImagePackRoundTrip, PaletteBitmapIsSmall) {
  TImagePackItem Item;
  Item.Name = "Sky";
  Item.Picture = Picture(800, 600, 60);
  std::vector<uint8_t> Pack;
  std::string Error;
  ASSERT_TRUE(WriteImagePack({Item}, Pack, Error)) << Error;
  EXPECT_LT(Pack.size(), 800u * 600u + 4096u);
}

TEST(WavePackRoundTrip, ItemsAndWaveBytesAsTheSoundReaderTakesThem) {
  std::vector<uint8_t> Wave = {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V', 'E'};
  for (int I = 0; I < 300; ++I) Wave.push_back(static_cast<uint8_t>(I));
  std::vector<TWavePackItem> Items(2);
  Items[0] = {"Button", false, 0, Wave};
  Items[1] = {"Engine", true, 3, Wave};
  std::vector<uint8_t> Pack;
  std::string Error;
  ASSERT_TRUE(WriteWavePack(Items, Pack, Error)) << Error;

  const TStreamComponent C = ReadComponentResource(Pack);
  EXPECT_EQ(C.ClassName, "TWaveCollectionComponent");
  ASSERT_EQ(C.Properties.size(), 1u);
  EXPECT_EQ(C.Properties[0].Name, "List");
  const auto& Entries = C.Properties[0].Value.Items;
  ASSERT_EQ(Entries.size(), 2u);
  for (size_t I = 0; I < 2; ++I) {
    std::string Name;
    bool Looped = false;
    int32_t Max = -1;
    std::vector<uint8_t> Data;
    for (const TStreamProperty& P : Entries[I].Properties) {
      if (P.Name == "Name") Name = P.Value.AsString();
      if (P.Name == "Looped") Looped = P.Value.AsBool();
      if (P.Name == "MaxPlayingCount") Max = P.Value.AsInt32();
      if (P.Name == "Wave.WAVE") Data.assign(P.Value.AsBinary().begin(), P.Value.AsBinary().end());
    }
    EXPECT_EQ(Name, Items[I].Name);
    EXPECT_EQ(Looped, Items[I].Looped);
    EXPECT_EQ(Max, Items[I].MaxPlayingCount);
    // A 32-bit length, then the whole wave file.
    ASSERT_EQ(Data.size(), Wave.size() + 4);
    EXPECT_EQ(Data[0] | (Data[1] << 8) | (Data[2] << 16) | (Data[3] << 24),
              static_cast<int>(Wave.size()));
    EXPECT_TRUE(std::equal(Wave.begin(), Wave.end(), Data.begin() + 4));
  }

  std::string Bad;
  EXPECT_FALSE(WriteWavePack({{"Noise", false, 0, {1, 2, 3}}}, Pack, Bad));
  EXPECT_EQ(Bad, "sound 'Noise': not a RIFF/WAVE file");
}
