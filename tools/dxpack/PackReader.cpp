#include "tools/dxpack/PackReader.h"

#include <cstring>
#include <exception>
#include <span>

#include "engine/DXImageList.h"
#include "engine/DXStream.h"
#include "tools/dxpack/Files.h"
#include "tools/dxpack/Manifest.h"

namespace dxpack {

namespace {

uint32_t Get32(const std::vector<uint8_t>& B, size_t P) {
  return B[P] | (B[P + 1] << 8) | (B[P + 2] << 16) | (static_cast<uint32_t>(B[P + 3]) << 24);
}
uint16_t Get16(const std::vector<uint8_t>& B, size_t P) {
  return static_cast<uint16_t>(B[P] | (B[P + 1] << 8));
}

void ReadPictures(const std::string& Path, TPackContents& Pack) {
  TPictureCollection Collection;
  Collection.LoadFromFile(Path);
  for (int32_t I = 0; I < Collection.Count(); ++I) {
    const TPictureCollectionItem& Item = Collection.Items(I);
    TPackPicture P;
    P.Name = Item.Name();
    const TDirectDrawSurface& Pix = Item.Picture.Pixels;
    P.Width = Pix.Width();
    P.Height = Pix.Height();
    P.BitCount = Item.Picture.SourceBitCount;
    P.ItemWidth = Item.Width();
    P.ItemHeight = Item.Height();
    P.SkipWidth = Item.SkipWidth;
    P.SkipHeight = Item.SkipHeight;
    const uint32_t C = Item.TransparentColor();  // 0x00BBGGRR
    P.KeyRgb = ((C & 0xFF) << 16) | (C & 0xFF00) | ((C >> 16) & 0xFF);
    P.Transparent = Item.Transparent;
    P.SystemMemory = Item.SystemMemory;
    if (!Pix.Empty()) {
      P.Rgb.assign(Pix.Pixels(), Pix.Pixels() + static_cast<size_t>(P.Width) * P.Height);
      for (uint32_t& V : P.Rgb) V &= 0xFFFFFFu;
      const int32_t A = P.ItemWidth + P.SkipWidth, Cc = P.ItemHeight + P.SkipHeight;
      if (GridCount(P.Width, P.Height, P.ItemWidth, P.ItemHeight, P.SkipWidth, P.SkipHeight) > 0) {
        const int32_t Cols = (P.Width + P.SkipWidth) / A, Rows = (P.Height + P.SkipHeight) / Cc;
        for (int32_t R = 0; R < Rows; ++R)
          for (int32_t Col = 0; Col < Cols; ++Col)
            P.Patterns.push_back(Bounds(A * Col, Cc * R, P.ItemWidth, P.ItemHeight));
      }
    }
    Pack.Pictures.push_back(std::move(P));
  }
}

void ReadSounds(const TStreamComponent& Component, const std::string& Path, TPackContents& Pack) {
  for (const TStreamProperty& Prop : Component.Properties) {
    if (Prop.Name != "List") continue;
    for (const TStreamCollectionItem& Entry : Prop.Value.Items) {
      TPackSound S;
      for (const TStreamProperty& P : Entry.Properties) {
        if (P.Name == "Name") {
          S.Name = P.Value.AsString();
        } else if (P.Name == "Looped") {
          S.Looped = P.Value.AsBool();
        } else if (P.Name == "MaxPlayingCount") {
          S.MaxPlayingCount = std::max(0, P.Value.AsInt32());
        } else if (P.Name == "Wave.WAVE") {
          std::span<const uint8_t> B = P.Value.AsBinary();
          // The wave property holds a 32-bit length and then the wave file.
          if (B.size() >= 4) {
            const uint32_t N = B[0] | (B[1] << 8) | (B[2] << 16) | (uint32_t(B[3]) << 24);
            if (N <= B.size() - 4) B = B.subspan(4, N);
          }
          S.WaveFile.assign(B.begin(), B.end());
        }
      }
      std::string Why;
      if (!S.WaveFile.empty() && !InspectWave(S.WaveFile, S, Why))
        throw EReadError("sound '" + S.Name + "': " + Why);
      Pack.Sounds.push_back(std::move(S));
    }
  }
  (void)Path;
}

}  // namespace

bool InspectWave(const std::vector<uint8_t>& W, TPackSound& S, std::string& Error) {
  if (W.size() < 12 || std::memcmp(W.data(), "RIFF", 4) != 0 ||
      std::memcmp(W.data() + 8, "WAVE", 4) != 0) {
    Error = "not a RIFF/WAVE file";
    return false;
  }
  size_t P = 12;
  bool HaveFmt = false, HaveData = false;
  uint16_t Align = 0;
  while (P + 8 <= W.size()) {
    const uint32_t Size = Get32(W, P + 4);
    const size_t Body = P + 8;
    if (std::memcmp(W.data() + P, "fmt ", 4) == 0) {
      if (Size < 16 || Body + 16 > W.size()) {
        Error = "format chunk too short";
        return false;
      }
      S.FormatTag = Get16(W, Body);
      S.Channels = Get16(W, Body + 2);
      S.Rate = static_cast<int32_t>(Get32(W, Body + 4));
      Align = Get16(W, Body + 12);
      S.Bits = Get16(W, Body + 14);
      HaveFmt = true;
    } else if (std::memcmp(W.data() + P, "data", 4) == 0) {
      S.DataBytes = static_cast<uint32_t>(std::min<size_t>(Size, W.size() - Body));
      HaveData = true;
    }
    if (Size > W.size() - Body) break;
    P = Body + Size;
  }
  if (!HaveFmt || !HaveData) {
    Error = HaveFmt ? "no data chunk" : "no format chunk";
    return false;
  }
  if (Align == 0 || S.Rate <= 0) {
    Error = "format chunk with block size " + std::to_string(Align) + " and rate " +
            std::to_string(S.Rate);
    return false;
  }
  S.LengthMs = (static_cast<int64_t>(S.DataBytes / Align) * 1000 + S.Rate / 2) / S.Rate;
  return true;
}

bool ReadPack(const std::string& Path, TPackContents& Pack, std::string& Error) {
  Pack = TPackContents{};
  std::vector<uint8_t> Bytes;
  if (!ReadFileBytes(Path, Bytes, Error)) return false;
  try {
    const TStreamComponent Component = ReadComponentResource(Bytes);
    if (Component.ClassName == "TPictureCollectionComponent") {
      ReadPictures(Path, Pack);
    } else if (Component.ClassName == "TWaveCollectionComponent") {
      Pack.IsSound = true;
      ReadSounds(Component, Path, Pack);
    } else {
      Error = Path + ": holds a '" + Component.ClassName + "', neither an image nor a sound pack";
      return false;
    }
  } catch (const std::exception& Ex) {
    Error = Path + ": " + Ex.what();
    return false;
  }
  return true;
}

}  // namespace dxpack
