#include "tools/packwriter/PackWriter.h"

#include <algorithm>
#include <map>

#include "tools/packwriter/ComponentWriter.h"

namespace {

void Put16(std::vector<uint8_t>& Out, uint16_t V) {
  Out.push_back(static_cast<uint8_t>(V));
  Out.push_back(static_cast<uint8_t>(V >> 8));
}

void Put32(std::vector<uint8_t>& Out, uint32_t V) {
  Put16(Out, static_cast<uint16_t>(V));
  Put16(Out, static_cast<uint16_t>(V >> 16));
}

// The distinct colours of a picture in first-seen order, or false past 256.
bool CollectPalette(const TDirectDrawSurface& Picture, std::vector<uint32_t>& Palette,
                    std::map<uint32_t, uint8_t>& IndexOf) {
  for (int32_t Y = 0; Y < Picture.Height(); ++Y) {
    const uint32_t* Row = Picture.Row(Y);
    for (int32_t X = 0; X < Picture.Width(); ++X) {
      const uint32_t C = Row[X] & 0x00FFFFFFu;
      if (IndexOf.count(C) != 0) continue;
      if (Palette.size() == 256) return false;
      IndexOf[C] = static_cast<uint8_t>(Palette.size());
      Palette.push_back(C);
    }
  }
  return true;
}

// The pack's ColorTable property: the palette of the first palette picture (blue, green,
// red, 0 per entry), zeros when there is none.
std::vector<uint8_t> ColorTableOf(const std::vector<TImagePackItem>& Items) {
  std::vector<uint8_t> Table(1024, 0);
  for (const TImagePackItem& Item : Items) {
    std::vector<uint32_t> Palette;
    std::map<uint32_t, uint8_t> IndexOf;
    if (Item.BitCount == 24 || Item.Picture.Empty()) continue;
    if (!CollectPalette(Item.Picture, Palette, IndexOf)) continue;
    for (size_t I = 0; I < Palette.size(); ++I) {
      Table[I * 4 + 0] = static_cast<uint8_t>(Palette[I]);
      Table[I * 4 + 1] = static_cast<uint8_t>(Palette[I] >> 8);
      Table[I * 4 + 2] = static_cast<uint8_t>(Palette[I] >> 16);
    }
    break;
  }
  return Table;
}

void ComponentStart(TComponentWriter& W, const std::string& ClassName) {
  W.Signature();
  W.BeginComponent(ClassName, "");
}

void FinishPack(TComponentWriter& W, const std::string& ResourceName, std::vector<uint8_t>& Out) {
  W.EndList();  // the component's properties
  W.EndList();  // its (empty) children
  Out = ResourceHeader(ResourceName, static_cast<uint32_t>(W.Bytes().size()));
  Out.insert(Out.end(), W.Bytes().begin(), W.Bytes().end());
}

}  // namespace

TDirectDrawSurface SurfaceFromRgb(const uint8_t* Rgb, int32_t Width, int32_t Height,
                                  size_t Stride) {
  TDirectDrawSurface S(Width, Height);
  if (S.Empty() || Rgb == nullptr) return S;
  if (Stride == 0) Stride = static_cast<size_t>(Width) * 3;
  for (int32_t Y = 0; Y < Height; ++Y) {
    const uint8_t* P = Rgb + static_cast<size_t>(Y) * Stride;
    uint32_t* Row = S.Row(Y);
    for (int32_t X = 0; X < Width; ++X, P += 3)
      Row[X] = (uint32_t{P[0]} << 16) | (uint32_t{P[1]} << 8) | P[2];
  }
  return S;
}

bool EncodeDib(const TDirectDrawSurface& Picture, int32_t BitCount, std::vector<uint8_t>& Out,
               std::string& Error) {
  Out.clear();
  if (BitCount != 0 && BitCount != 8 && BitCount != 24) {
    Error = "bit count " + std::to_string(BitCount) + " is not 8 or 24";
    return false;
  }
  if (Picture.Empty()) {
    Error = "the picture is empty";
    return false;
  }
  std::vector<uint32_t> Palette;
  std::map<uint32_t, uint8_t> IndexOf;
  const bool Fits = BitCount != 24 && CollectPalette(Picture, Palette, IndexOf);
  if (BitCount == 8 && !Fits) {
    Error = "the picture has more than 256 colours";
    return false;
  }
  if (!Fits) Palette.clear();  // a failed palette collection leaves its first 256 colours
  const int32_t Bits = Fits ? 8 : 24;
  const uint32_t W = static_cast<uint32_t>(Picture.Width());
  const uint32_t H = static_cast<uint32_t>(Picture.Height());
  const uint32_t RowBytes = ((W * static_cast<uint32_t>(Bits) + 31) / 32) * 4;

  Put32(Out, 40);
  Put32(Out, W);
  Put32(Out, H);  // positive: bottom row first
  Put16(Out, 1);
  Put16(Out, static_cast<uint16_t>(Bits));
  Put32(Out, 0);  // uncompressed
  Put32(Out, RowBytes * H);
  Put32(Out, 2835);  // 72 dots per inch, in dots per metre
  Put32(Out, 2835);
  Put32(Out, Fits ? static_cast<uint32_t>(Palette.size()) : 0);
  Put32(Out, 0);
  for (uint32_t C : Palette) {
    Out.push_back(static_cast<uint8_t>(C));
    Out.push_back(static_cast<uint8_t>(C >> 8));
    Out.push_back(static_cast<uint8_t>(C >> 16));
    Out.push_back(0);
  }
  for (int32_t Y = static_cast<int32_t>(H) - 1; Y >= 0; --Y) {
    const uint32_t* Row = Picture.Row(Y);
    const size_t Start = Out.size();
    for (uint32_t X = 0; X < W; ++X) {
      const uint32_t C = Row[X] & 0x00FFFFFFu;
      if (Fits) {
        Out.push_back(IndexOf[C]);
      } else {
        Out.push_back(static_cast<uint8_t>(C));
        Out.push_back(static_cast<uint8_t>(C >> 8));
        Out.push_back(static_cast<uint8_t>(C >> 16));
      }
    }
    Out.resize(Start + RowBytes, 0);
  }
  return true;
}

bool WriteImagePack(const std::vector<TImagePackItem>& Items, std::vector<uint8_t>& Out,
                    std::string& Error) {
  TComponentWriter W;
  ComponentStart(W, "TPictureCollectionComponent");
  const std::vector<uint8_t> Table = ColorTableOf(Items);
  W.PropertyName("List.ColorTable");
  W.Binary(Table);
  W.PropertyName("List");
  W.BeginCollection();
  for (const TImagePackItem& Item : Items) {
    W.BeginItem();
    W.PropertyName("Name");
    W.String(Item.Name);
    W.PropertyName("PatternHeight");
    W.Integer(Item.PatternHeight);
    W.PropertyName("PatternWidth");
    W.Integer(Item.PatternWidth);
    std::vector<uint8_t> Data;
    if (!Item.Picture.Empty()) {
      std::vector<uint8_t> Dib;
      if (!EncodeDib(Item.Picture, Item.BitCount, Dib, Error)) {
        Error = "image '" + Item.Name + "': " + Error;
        return false;
      }
      Data.push_back(4);
      Data.insert(Data.end(), {'T', 'D', 'I', 'B'});
      Data.insert(Data.end(), Dib.begin(), Dib.end());
    }
    W.PropertyName("Picture.Data");
    W.Binary(Data);
    W.PropertyName("SkipHeight");
    W.Integer(Item.SkipHeight);
    W.PropertyName("SkipWidth");
    W.Integer(Item.SkipWidth);
    W.PropertyName("SystemMemory");
    W.Bool(Item.SystemMemory);
    W.PropertyName("Transparent");
    W.Bool(Item.Transparent);
    W.PropertyName("TransparentColor");
    W.Integer(static_cast<int32_t>(Item.TransparentColor));
    W.EndList();
  }
  W.EndList();  // the collection
  FinishPack(W, "TPICTURECOLLECTIONCOMPONENT", Out);
  Error.clear();
  return true;
}

bool WriteWavePack(const std::vector<TWavePackItem>& Items, std::vector<uint8_t>& Out,
                   std::string& Error) {
  TComponentWriter W;
  ComponentStart(W, "TWaveCollectionComponent");
  W.PropertyName("List");
  W.BeginCollection();
  for (const TWavePackItem& Item : Items) {
    if (Item.WaveFile.size() < 12 ||
        !std::equal(Item.WaveFile.begin(), Item.WaveFile.begin() + 4, "RIFF") ||
        !std::equal(Item.WaveFile.begin() + 8, Item.WaveFile.begin() + 12, "WAVE")) {
      Error = "sound '" + Item.Name + "': not a RIFF/WAVE file";
      return false;
    }
    W.BeginItem();
    W.PropertyName("Name");
    W.String(Item.Name);
    W.PropertyName("Looped");
    W.Bool(Item.Looped);
    W.PropertyName("MaxPlayingCount");
    W.Integer(Item.MaxPlayingCount);
    // The binary holds a 32-bit length of the wave file, then the file.
    std::vector<uint8_t> Data;
    Put32(Data, static_cast<uint32_t>(Item.WaveFile.size()));
    Data.insert(Data.end(), Item.WaveFile.begin(), Item.WaveFile.end());
    W.PropertyName("Wave.WAVE");
    W.Binary(Data);
    W.EndList();
  }
  W.EndList();
  FinishPack(W, "TWAVECOLLECTIONCOMPONENT", Out);
  Error.clear();
  return true;
}
