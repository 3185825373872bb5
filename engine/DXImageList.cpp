#include "engine/DXImageList.h"

#include <algorithm>
#include <cstring>

#include "engine/DXDib.h"
#include "engine/DXDraws.h"
#include "engine/DXStream.h"

namespace {

// A damaged pack may ask for one-pixel patterns on a large picture; nobody needs more
// patterns than this in one item, and building them all could exhaust memory.
constexpr int64_t MaxPatterns = int64_t{1} << 20;

// All pictures of one pack together, in pixels (256 MB of XRGB). Run-length data lets a few
// bytes stand for a picture of the largest size a bitmap may have, so without a limit over
// the whole pack a small damaged file could ask for gigabytes; the game's packs hold a
// small fraction of it.
constexpr int64_t MaxPackPixels = int64_t{1} << 26;

// Adds a decoded picture to its pack's total, held to MaxPackPixels.
void CountPackPixels(int64_t& Total, const TDirectDrawSurface& Pixels) {
  Total += int64_t{Pixels.Width()} * Pixels.Height();
  if (Total > MaxPackPixels) throw EReadError("Pictures too large");
}

int64_t FloorDiv(int64_t A, int64_t B) {
  return A / B - ((A % B != 0) && ((A < 0) != (B < 0)));
}

}  // namespace

TPatternLayout ComputePatternLayout(int32_t PictureWidth, int32_t PictureHeight,
                                    int32_t PatternWidth, int32_t PatternHeight, int32_t SkipWidth,
                                    int32_t SkipHeight, bool SystemMemory) {
  TPatternLayout Layout;
  if (PictureWidth <= 0 || PictureHeight <= 0) return Layout;
  // 64-bit throughout: the sizes come from the pack and may be anything.
  const int64_t W = PictureWidth, H = PictureHeight;
  const int64_t IW = PatternWidth > 0 ? PatternWidth : W;
  const int64_t IH = PatternHeight > 0 ? PatternHeight : H;

  if (IW == W && IH == H) {
    Layout.Blocks.push_back(Bounds(0, 0, PictureWidth, PictureHeight));
    Layout.Patterns.push_back({Bounds(0, 0, PictureWidth, PictureHeight), 0});
    return Layout;
  }

  const int64_t A = IW + SkipWidth;   // column stride
  const int64_t C = IH + SkipHeight;  // row stride
  if (A <= 0 || C <= 0) return Layout;
  const int64_t Columns = std::max<int64_t>(0, FloorDiv(W + SkipWidth, A));
  int64_t Rows = std::max<int64_t>(0, FloorDiv(H + SkipHeight, C));
  if (Columns == 0 || Rows == 0) return Layout;
  if (Columns * Rows > MaxPatterns) Rows = std::max<int64_t>(1, MaxPatterns / Columns);
  if (Columns > MaxPatterns) return Layout;

  if (SystemMemory) {
    Layout.Blocks.push_back(Bounds(0, 0, PictureWidth, PictureHeight));
    for (int64_t Row = 0; Row < Rows; ++Row)
      for (int64_t Col = 0; Col < Columns; ++Col)
        Layout.Patterns.push_back(
            {Bounds(static_cast<int32_t>(A * Col), static_cast<int32_t>(C * Row),
                    static_cast<int32_t>(IW), static_cast<int32_t>(IH)),
             0});
    return Layout;
  }

  // Blocks of about 512 pixels, whole strides, never wider than the grid.
  const int64_t BW = std::min(A * ((A + 511) / A), A * Columns);
  const int64_t BH = std::min(C * ((C + 511) / C), C * Rows);
  if (BW <= 0 || BH <= 0) return Layout;
  const int64_t HX = (W + BW - 1) / BW;
  const int64_t VX = (H + BH - 1) / BH;
  for (int64_t L = 0; L < VX; ++L) {
    for (int64_t M = 0; M < HX; ++M) {
      int64_t BlockW = std::min(BW, W - BW * M);
      if (BlockW <= 0) BlockW = BW;
      int64_t BlockH = std::min(BH, H - BH * L);
      if (BlockH <= 0) BlockH = BH;
      Layout.Blocks.push_back(Bounds(static_cast<int32_t>(BW * M), static_cast<int32_t>(BH * L),
                                     static_cast<int32_t>(BlockW), static_cast<int32_t>(BlockH)));
    }
  }
  for (int64_t Row = 0; Row < Rows; ++Row) {
    for (int64_t Col = 0; Col < Columns; ++Col) {
      const int64_t Block = (A * Col) / BW + HX * ((C * Row) / BH);
      Layout.Patterns.push_back(
          {Bounds(static_cast<int32_t>((A * Col) % BW), static_cast<int32_t>((C * Row) % BH),
                  static_cast<int32_t>(IW), static_cast<int32_t>(IH)),
           static_cast<int32_t>(Block)});
    }
  }
  return Layout;
}

// ---- TPictureCollectionItem ------------------------------------------------------------

TPictureCollectionItem::TPictureCollectionItem(TPictureCollection& Collection)
    : FOwner(Collection) {}

void TPictureCollectionItem::SetTransparentColor(uint32_t Color) {
  FTransparentColor = Color;
  // Only the keys change; the pixels stay as they are.
  for (auto& Block : FBlocks) Block->SetColorKey(ColorToPixel(Color));
  if (FPictureIsBlock) Picture.Pixels.SetColorKey(ColorToPixel(Color));
}

int32_t TPictureCollectionItem::Width() const {
  return PatternWidth > 0 ? PatternWidth : Picture.Pixels.Width();
}

int32_t TPictureCollectionItem::Height() const {
  return PatternHeight > 0 ? PatternHeight : Picture.Pixels.Height();
}

int32_t TPictureCollectionItem::PatternCount() const {
  if (FPictureIsBlock || !FBlocks.empty()) return static_cast<int32_t>(FPatterns.size());
  // Not built: counted from the stored properties as they are, a zero PatternWidth
  // counting as zero. A direction whose size and skip add up to 0 or less cannot be
  // divided by; such a direction counts as one pattern across a non-empty picture (what
  // building would give for size 0) and as none otherwise.
  auto Along = [](int64_t Size, int64_t Pattern, int64_t Skip) -> int64_t {
    const int64_t Stride = Pattern + Skip;
    if (Stride <= 0) return (Stride == 0 && Pattern == 0 && Size > 0) ? 1 : 0;
    int64_t N = Size / Stride;
    if (Size - N * Stride == Pattern) N += 1;
    return N;
  };
  const int64_t CX = Along(Picture.Pixels.Width(), PatternWidth, SkipWidth);
  const int64_t CY = Along(Picture.Pixels.Height(), PatternHeight, SkipHeight);
  const int64_t N = CX * CY;
  return static_cast<int32_t>(std::min<int64_t>(N, INT32_MAX));
}

const TPatternPlace* TPictureCollectionItem::Place(int32_t Index) const {
  if (Index < 0 || static_cast<size_t>(Index) >= FPatterns.size()) return nullptr;
  return &FPatterns[static_cast<size_t>(Index)];
}

TRect TPictureCollectionItem::PatternRect(int32_t Index) const {
  const TPatternPlace* P = Place(Index);
  return P != nullptr ? P->Rect : TRect{};
}

const TDirectDrawSurface* TPictureCollectionItem::PatternBlock(int32_t Index) const {
  const TPatternPlace* P = Place(Index);
  if (P == nullptr || P->Block < 0 || P->Block >= BlockCount()) return nullptr;
  if (FPictureIsBlock) return &Picture.Pixels;
  return FBlocks[static_cast<size_t>(P->Block)].get();
}

void TPictureCollectionItem::ReleaseBlocks() {
  FPatterns.clear();
  FBlocks.clear();
  FPictureIsBlock = false;
}

void TPictureCollectionItem::Initialize() {
  ReleaseBlocks();
  FInitialized = FOwner.DisplayInitialized();
}

void TPictureCollectionItem::Finalize() {
  if (!FInitialized) return;
  FInitialized = false;
  ReleaseBlocks();
}

void TPictureCollectionItem::Restore() {
  if (Picture.Empty()) return;
  if (!FInitialized) {
    if (FOwner.DisplayInitialized()) Initialize();
    if (!FInitialized) return;
  }
  ReleaseBlocks();
  const TDirectDrawSurface& Src = Picture.Pixels;
  TPatternLayout Layout = ComputePatternLayout(Src.Width(), Src.Height(), PatternWidth,
                                               PatternHeight, SkipWidth, SkipHeight, SystemMemory);
  if (Layout.Patterns.empty()) return;
  const uint32_t Key = ColorToPixel(FTransparentColor);
  if (Layout.Blocks.size() == 1 && Layout.Blocks[0] == Bounds(0, 0, Src.Width(), Src.Height())) {
    // Drawn straight from the picture: a copy would only cost its memory and the time to
    // fill it (a whole backdrop before the first picture).
    Picture.Pixels.SetColorKey(Key);
    FPictureIsBlock = true;
    FPatterns = std::move(Layout.Patterns);
    return;
  }
  FBlocks.reserve(Layout.Blocks.size());
  for (const TRect& R : Layout.Blocks) {
    auto Block = std::make_unique<TDirectDrawSurface>();
    Block->SetSizeForOverwrite(R.Width(), R.Height());  // every row is copied in below
    for (int32_t Y = 0; Y < R.Height(); ++Y)
      std::memcpy(Block->Row(Y), Src.Row(R.Top + Y) + R.Left,
                  static_cast<size_t>(R.Width()) * sizeof(uint32_t));
    Block->SetColorKey(Key);
    FBlocks.push_back(std::move(Block));
  }
  FPatterns = std::move(Layout.Patterns);
}

// ---- TPictureCollection -----------------------------------------------------------------

struct TPictureCollection::TPendingPictures {
  // Pages are mapped as the pictures on them are decoded, spread over the steps.
  explicit TPendingPictures(const std::string& FileName) : File(FileName, false) {}
  struct TEntry {
    int32_t Index = 0;
    std::span<const uint8_t> Data;
    bool Done = false;
  };
  TFileView File;
  std::vector<TEntry> Entries;
  size_t Next = 0;     // no entry before it is pending
  int64_t Pixels = 0;  // decoded so far, held to the limit of a whole pack
};

TPictureCollection::TPictureCollection() = default;

TPictureCollection::~TPictureCollection() = default;

void TPictureCollection::Clear() {
  FPending.reset();
  THashCollection::Clear();
}

TPictureCollectionItem& TPictureCollection::Add() {
  return static_cast<TPictureCollectionItem&>(
      AddItem(std::make_unique<TPictureCollectionItem>(*this)));
}

TPictureCollectionItem& TPictureCollection::Items(int32_t Index) const {
  THashCollectionItem* Item = ItemAt(Index);
  if (Item == nullptr)
    throw EPictureCollectionError("List index out of bounds (" + std::to_string(Index) + ")");
  return static_cast<TPictureCollectionItem&>(*Item);
}

TPictureCollectionItem& TPictureCollection::Find(const std::string& Name) const {
  const int32_t Index = IndexOf(Name);
  if (Index < 0) throw EPictureCollectionError("Image '" + Name + "' not found");
  return Items(Index);
}

bool TPictureCollection::DisplayInitialized() const {
  return FDXDraw != nullptr && FDXDraw->Initialized();
}

void TPictureCollection::Initialize(TDXDraw& Display) {
  Finalize();
  FDXDraw = &Display;
  if (!Display.Initialized())
    throw EPictureCollectionError("TPictureCollection cannot be initialized");
  for (int32_t I = 0; I < Count(); ++I) Items(I).Initialize();
}

void TPictureCollection::Finalize() {
  for (int32_t I = 0; I < Count(); ++I) Items(I).Finalize();
  FDXDraw = nullptr;
}

void TPictureCollection::Restore() {
  for (int32_t I = 0; I < Count(); ++I) Items(I).Restore();
}

// ---- Loading a pack ---------------------------------------------------------------------

namespace {

// Colour names a pack may give for TransparentColor, with their 0x00BBGGRR values.
struct TNamedColor {
  const char* Name;
  uint32_t Color;
};
constexpr TNamedColor NamedColors[] = {
    {"clBlack", 0x000000},  {"clMaroon", 0x000080},     {"clGreen", 0x008000},
    {"clOlive", 0x008080},  {"clNavy", 0x800000},       {"clPurple", 0x800080},
    {"clTeal", 0x808000},   {"clGray", 0x808080},       {"clSilver", 0xC0C0C0},
    {"clRed", 0x0000FF},    {"clLime", 0x00FF00},       {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},   {"clFuchsia", 0xFF00FF},    {"clAqua", 0xFFFF00},
    {"clWhite", 0xFFFFFF},  {"clMoneyGreen", 0xC0DCC0}, {"clSkyBlue", 0xF0CAA6},
    {"clCream", 0xF0FBFF},  {"clMedGray", 0xA4A0A0},    {"clLtGray", 0xC0C0C0},
    {"clDkGray", 0x808080},
};

uint32_t ColorValue(const TStreamValue& V) {
  if (V.Type == TValueType::Ident) {
    for (const TNamedColor& C : NamedColors)
      if (SameText(V.Text, C.Name)) return C.Color;
    throw EReadError("Invalid property value");
  }
  return static_cast<uint32_t>(V.AsInt32());
}

std::string NameValue(const TStreamValue& V) {
  if (V.Type == TValueType::Ident) return V.Text;
  return V.AsString();
}

}  // namespace

void DecodePictureData(std::span<const uint8_t> Data, TPicture& Picture) {
  Picture.Pixels.SetSize(0, 0);
  Picture.SourceBitCount = 0;
  if (Data.empty()) return;
  TByteReader R(Data);
  const std::string Kind = R.ShortString();
  const std::span<const uint8_t> Payload = Data.subspan(R.Position());
  if (Kind == "TDIB") {
    Picture.SourceBitCount = DecodeDib(Payload, Picture.Pixels);
  } else if (Kind == "TBitmap") {
    // The platform bitmap kind stores a 32-bit length, then a whole ".bmp" file.
    TByteReader P(Payload);
    const auto File = P.Bytes(P.U32());
    Picture.SourceBitCount = File.empty() ? 0 : DecodeBmpFile(File, Picture.Pixels);
  }
  // TIcon, TMetafile and unknown kinds: no decoder here, the picture stays empty.
}

void TPictureCollection::LoadFromFile(const std::string& FileName) {
  const TFileView File(FileName);
  LoadFromStream(File.Bytes());
}

void TPictureCollection::LoadFromStream(std::span<const uint8_t> Bytes) {
  ReadPack(Bytes, nullptr);
}

void TPictureCollection::OpenFile(const std::string& FileName) {
  Clear();
  auto Pending = std::make_unique<TPendingPictures>(FileName);
  ReadPack(Pending->File.Bytes(), Pending.get());
  if (!Pending->Entries.empty()) FPending = std::move(Pending);
}

void TPictureCollection::ReadPack(std::span<const uint8_t> Bytes, TPendingPictures* Pending) {
  Clear();
  try {
    const TStreamComponent Component = ReadComponentResource(Bytes);
    int64_t Pixels = 0;
    for (const TStreamProperty& P : Component.Properties) {
      if (SameText(P.Name, "List.ColorTable")) {
        const auto Table = P.Value.AsBinary();
        std::memset(ColorTable, 0, sizeof ColorTable);
        std::memcpy(ColorTable, Table.data(), std::min(Table.size(), sizeof ColorTable));
      } else if (SameText(P.Name, "List")) {
        if (P.Value.Type != TValueType::Collection) throw EReadError("Invalid property value");
        for (const TStreamCollectionItem& Entry : P.Value.Items) {
          if (Pending != nullptr) {
            std::span<const uint8_t> Picture;
            LoadItem(Entry, &Picture);
            if (!Picture.empty()) Pending->Entries.push_back({Count() - 1, Picture});
            continue;
          }
          CountPackPixels(Pixels, LoadItem(Entry).Picture.Pixels);
        }
      } else {
        NoProperty(P.Name);
      }
    }
  } catch (...) {
    Clear();
    throw;
  }
  if (DisplayInitialized()) {
    Initialize(*FDXDraw);
    Restore();
  }
}

void TPictureCollection::DecodePending(size_t Index) {
  TPendingPictures::TEntry& E = FPending->Entries[Index];
  if (E.Done) return;
  E.Done = true;
  TPictureCollectionItem& Item = Items(E.Index);
  try {
    DecodePictureData(E.Data, Item.Picture);
    CountPackPixels(FPending->Pixels, Item.Picture.Pixels);
  } catch (...) {
    Clear();
    throw;
  }
  if (DisplayInitialized()) Item.Restore();
}

bool TPictureCollection::DecodePictures(int64_t MaxPixels) {
  if (!FPending) return true;
  int64_t Decoded = 0;
  std::vector<TPendingPictures::TEntry>& Entries = FPending->Entries;
  size_t& Next = FPending->Next;
  while (Next < Entries.size()) {
    if (!Entries[Next].Done) {
      if (Decoded > 0 && Decoded >= MaxPixels) break;
      DecodePending(Next);
      const TDirectDrawSurface& Pixels = Items(Entries[Next].Index).Picture.Pixels;
      Decoded += std::max<int64_t>(int64_t{Pixels.Width()} * Pixels.Height(), 1);
    }
    ++Next;
  }
  if (Next < Entries.size()) return false;
  FPending.reset();  // every picture is in: the file is let go
  return true;
}

bool TPictureCollection::DecodePicture(const std::string& Name) {
  const int32_t Index = IndexOf(Name);
  if (Index < 0) return false;
  if (!FPending) return true;
  std::vector<TPendingPictures::TEntry>& Entries = FPending->Entries;
  for (size_t I = FPending->Next; I < Entries.size(); ++I)
    if (Entries[I].Index == Index) {
      DecodePending(I);
      break;
    }
  return true;
}

TPictureCollectionItem& TPictureCollection::LoadItem(const TStreamCollectionItem& Entry,
                                                     std::span<const uint8_t>* Picture) {
  TPictureCollectionItem& Item = Add();
  for (const TStreamProperty& P : Entry.Properties) {
    const std::string& N = P.Name;
    if (SameText(N, "Name"))
      Item.SetName(NameValue(P.Value));
    else if (SameText(N, "PatternHeight"))
      Item.PatternHeight = P.Value.AsInt32();
    else if (SameText(N, "PatternWidth"))
      Item.PatternWidth = P.Value.AsInt32();
    else if (SameText(N, "SkipHeight"))
      Item.SkipHeight = P.Value.AsInt32();
    else if (SameText(N, "SkipWidth"))
      Item.SkipWidth = P.Value.AsInt32();
    else if (SameText(N, "SystemMemory"))
      Item.SystemMemory = P.Value.AsBool();
    else if (SameText(N, "Transparent"))
      Item.Transparent = P.Value.AsBool();
    else if (SameText(N, "TransparentColor"))
      Item.SetTransparentColor(ColorValue(P.Value));
    else if (SameText(N, "Picture.Data") && Picture != nullptr)
      *Picture = P.Value.AsBinary();
    else if (SameText(N, "Picture.Data"))
      DecodePictureData(P.Value.AsBinary(), Item.Picture);
    else
      NoProperty(N);
  }
  return Item;
}

// ---- TDXImageList ----------------------------------------------------------------------

TDXImageList::~TDXImageList() {
  SetDXDraw(nullptr);
}

void TDXImageList::SetDXDraw(TDXDraw* Display) {
  if (Display == FDXDraw) return;
  if (FDXDraw != nullptr) FDXDraw->RemoveListener(this);  // delivers finalize when needed
  FItems.Finalize();
  FDXDraw = Display;
  if (FDXDraw == nullptr) return;
  FDXDraw->AddListener(this, [this](TDXDrawNotifyType NotifyType) {
    switch (NotifyType) {
      case dxntDestroying:
        // The display goes away: drop every pointer to it; it sends nothing more to us.
        FItems.Finalize();
        FDXDraw = nullptr;
        break;
      case dxntInitialize:
        if (FDXDraw != nullptr) FItems.Initialize(*FDXDraw);
        break;
      case dxntFinalize:
        FItems.Finalize();
        break;
      case dxntRestore:
        FItems.Restore();
        break;
      default:
        break;
    }
  });
}
