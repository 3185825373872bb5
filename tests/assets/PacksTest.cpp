// The packs the build made, read back by a reader written here from the file layout alone
// (not the engine's nor the writer's code), so that reader and writer cannot share a
// mistake: resource header, "TPF0" stream, property tags, collection items, DIB payloads.
#include <gtest/gtest.h>
#include <strings.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

struct TItem {
  std::string Name;
  int32_t PatternWidth = 0, PatternHeight = 0, SkipWidth = 0, SkipHeight = 0;
  bool Transparent = true, SystemMemory = false;
  uint32_t KeyBgr = 0;
  // Decoded picture.
  int32_t W = 0, H = 0, Bits = 0;
  std::vector<uint32_t> Rgb;
  int32_t ItemW() const { return PatternWidth > 0 ? PatternWidth : W; }
  int32_t ItemH() const { return PatternHeight > 0 ? PatternHeight : H; }
  int32_t Patterns() const {
    const int32_t A = ItemW() + SkipWidth, C = ItemH() + SkipHeight;
    return ((W + SkipWidth) / A) * ((H + SkipHeight) / C);
  }
  uint32_t KeyRgb() const {
    return ((KeyBgr & 0xFF) << 16) | (KeyBgr & 0xFF00) | ((KeyBgr >> 16) & 0xFF);
  }
  uint32_t At(int X, int Y) const { return Rgb[static_cast<size_t>(Y) * W + X]; }
};

class TBytes {
 public:
  explicit TBytes(std::vector<uint8_t> B) : FB(std::move(B)) {}
  size_t Pos = 0;
  uint8_t U8() {
    Need(1);
    return FB[Pos++];
  }
  uint16_t U16() {
    Need(2);
    uint16_t V = static_cast<uint16_t>(FB[Pos] | (FB[Pos + 1] << 8));
    Pos += 2;
    return V;
  }
  uint32_t U32() {
    Need(4);
    uint32_t V = FB[Pos] | (FB[Pos + 1] << 8) | (FB[Pos + 2] << 16) |
                 (static_cast<uint32_t>(FB[Pos + 3]) << 24);
    Pos += 4;
    return V;
  }
  std::string Str(size_t N) {
    Need(N);
    std::string S(FB.begin() + Pos, FB.begin() + Pos + N);
    Pos += N;
    return S;
  }
  std::string Short() { return Str(U8()); }
  std::vector<uint8_t> Blob(size_t N) {
    Need(N);
    std::vector<uint8_t> V(FB.begin() + Pos, FB.begin() + Pos + N);
    Pos += N;
    return V;
  }
  size_t Size() const { return FB.size(); }

 private:
  void Need(size_t N) const {
    if (Pos + N > FB.size())
      throw std::runtime_error("read past the end at " + std::to_string(Pos));
  }
  std::vector<uint8_t> FB;
};

void DecodeDib(const std::vector<uint8_t>& Data, TItem& Item) {
  TBytes B(Data);
  const std::string Kind = B.Short();
  if (Kind != "TDIB") throw std::runtime_error(Item.Name + ": picture kind " + Kind);
  if (B.U32() != 40) throw std::runtime_error(Item.Name + ": header size");
  const int32_t W = static_cast<int32_t>(B.U32());
  const int32_t RawH = static_cast<int32_t>(B.U32());
  const uint16_t Planes = B.U16(), Bits = B.U16();
  const uint32_t Compression = B.U32();
  B.U32();  // image size
  B.U32();
  B.U32();  // resolution
  uint32_t Used = B.U32();
  B.U32();
  if (Planes != 1 || Compression != 0 || (Bits != 8 && Bits != 24) || W <= 0 || RawH == 0)
    throw std::runtime_error(Item.Name + ": unexpected DIB " + std::to_string(Bits) + " bits");
  std::vector<uint32_t> Palette;
  if (Bits == 8) {
    if (Used == 0) Used = 256;
    for (uint32_t I = 0; I < Used; ++I) {
      const uint8_t Bl = B.U8(), G = B.U8(), R = B.U8();
      B.U8();
      Palette.push_back((uint32_t(R) << 16) | (G << 8) | Bl);
    }
  }
  const int32_t H = RawH < 0 ? -RawH : RawH;
  const size_t RowBytes = ((static_cast<size_t>(W) * Bits / 8) + 3) & ~size_t(3);
  Item.W = W;
  Item.H = H;
  Item.Bits = Bits;
  Item.Rgb.assign(static_cast<size_t>(W) * H, 0);
  for (int32_t Row = 0; Row < H; ++Row) {
    const int32_t Y = RawH < 0 ? Row : H - 1 - Row;
    std::vector<uint8_t> Line = B.Blob(RowBytes);
    for (int32_t X = 0; X < W; ++X) {
      uint32_t V;
      if (Bits == 8) {
        if (Line[X] >= Palette.size()) throw std::runtime_error(Item.Name + ": palette index");
        V = Palette[Line[X]];
      } else {
        V = (uint32_t(Line[3 * X + 2]) << 16) | (Line[3 * X + 1] << 8) | Line[3 * X];
      }
      Item.Rgb[static_cast<size_t>(Y) * W + X] = V;
    }
  }
}

int64_t ReadInt(TBytes& B, uint8_t Tag) {
  switch (Tag) {
    case 0x02:
      return static_cast<int8_t>(B.U8());
    case 0x03:
      return static_cast<int16_t>(B.U16());
    case 0x04:
      return static_cast<int32_t>(B.U32());
  }
  throw std::runtime_error("tag " + std::to_string(Tag) + " is not an integer");
}

// Reads one item property: only the tags an image pack item may use.
void ReadItemProperty(TBytes& B, const std::string& Name, TItem& Item) {
  const uint8_t Tag = B.U8();
  if (Name == "Name") {
    if (Tag == 0x06)
      Item.Name = B.Short();
    else if (Tag == 0x0C)
      Item.Name = B.Str(B.U32());
    else
      throw std::runtime_error("Name with tag " + std::to_string(Tag));
  } else if (Name == "PatternWidth") {
    Item.PatternWidth = static_cast<int32_t>(ReadInt(B, Tag));
  } else if (Name == "PatternHeight") {
    Item.PatternHeight = static_cast<int32_t>(ReadInt(B, Tag));
  } else if (Name == "SkipWidth") {
    Item.SkipWidth = static_cast<int32_t>(ReadInt(B, Tag));
  } else if (Name == "SkipHeight") {
    Item.SkipHeight = static_cast<int32_t>(ReadInt(B, Tag));
  } else if (Name == "SystemMemory" || Name == "Transparent") {
    if (Tag != 0x08 && Tag != 0x09) throw std::runtime_error(Name + " is not a boolean");
    (Name == "SystemMemory" ? Item.SystemMemory : Item.Transparent) = Tag == 0x09;
  } else if (Name == "TransparentColor") {
    Item.KeyBgr = static_cast<uint32_t>(ReadInt(B, Tag));
  } else if (Name == "Picture.Data") {
    if (Tag != 0x0A) throw std::runtime_error("Picture.Data is not binary");
    DecodeDib(B.Blob(B.U32()), Item);
  } else {
    throw std::runtime_error("unexpected item property " + Name);
  }
}

struct TPack {
  std::string ResourceName;
  std::string ClassName;
  bool HasColorTable = false;
  std::vector<TItem> Items;
  const TItem* Find(const std::string& Name) const {
    auto Lower = [](std::string S) {
      for (char& C : S) C = static_cast<char>(std::tolower(static_cast<unsigned char>(C)));
      return S;
    };
    const TItem* Found = nullptr;
    for (const TItem& I : Items)
      if (Lower(I.Name) == Lower(Name)) Found = &I;
    return Found;
  }
};

TPack ReadImagePack(const fs::path& Path) {
  std::ifstream In(Path, std::ios::binary);
  TBytes B(std::vector<uint8_t>(std::istreambuf_iterator<char>(In), {}));
  TPack P;
  if (B.U8() != 0xFF || B.U16() != 10) throw std::runtime_error("no resource header");
  for (uint8_t C; (C = B.U8()) != 0;) P.ResourceName += static_cast<char>(C);
  B.U16();  // flags
  const uint32_t DataSize = B.U32();
  if (B.Pos + DataSize != B.Size())
    throw std::runtime_error("resource data size " + std::to_string(DataSize) + " but " +
                             std::to_string(B.Size() - B.Pos) + " bytes follow");
  if (B.Str(4) != "TPF0") throw std::runtime_error("no TPF0 signature");
  P.ClassName = B.Short();
  if (!B.Short().empty()) throw std::runtime_error("component has a name");
  for (std::string Prop; !(Prop = B.Short()).empty();) {
    const uint8_t Tag = B.U8();
    if (Prop == "List.ColorTable") {
      if (Tag != 0x0A || B.U32() != 1024) throw std::runtime_error("ColorTable is not 1024 bytes");
      B.Blob(1024);
      P.HasColorTable = true;
    } else if (Prop == "List") {
      if (Tag != 0x0E) throw std::runtime_error("List is not a collection");
      for (uint8_t Lead; (Lead = B.U8()) != 0;) {
        if (Lead >= 0x02 && Lead <= 0x04) {
          ReadInt(B, Lead);  // order number
          Lead = B.U8();
        }
        if (Lead != 0x01) throw std::runtime_error("item without its 0x01 marker");
        TItem Item;
        for (std::string Name; !(Name = B.Short()).empty();) ReadItemProperty(B, Name, Item);
        P.Items.push_back(std::move(Item));
      }
    } else {
      throw std::runtime_error("unexpected property " + Prop);
    }
  }
  if (B.U8() != 0) throw std::runtime_error("child list not empty");
  if (B.Pos != B.Size()) throw std::runtime_error("bytes after the component");
  return P;
}

struct TSound {
  std::string Name;
  bool Looped = false;
  int32_t MaxPlayingCount = 0;
  uint16_t Format = 0, Channels = 0, Bits = 0;
  uint32_t Rate = 0, DataBytes = 0;
};

// Wave.WAVE holds a 32-bit length and then a RIFF/WAVE file: "fmt " and "data" chunks.
void DecodeWave(const std::vector<uint8_t>& Blob, TSound& S) {
  TBytes B(Blob);
  const uint32_t Length = B.U32();
  if (Length + 4 != Blob.size()) throw std::runtime_error(S.Name + ": wave length");
  if (B.Str(4) != "RIFF") throw std::runtime_error(S.Name + ": no RIFF");
  const uint32_t RiffSize = B.U32();
  if (RiffSize + 8 != Length) throw std::runtime_error(S.Name + ": RIFF size");
  if (B.Str(4) != "WAVE") throw std::runtime_error(S.Name + ": no WAVE");
  bool Data = false;
  while (B.Pos < B.Size()) {
    const std::string Id = B.Str(4);
    const uint32_t Size = B.U32();
    if (Id == "fmt ") {
      S.Format = B.U16();
      S.Channels = B.U16();
      S.Rate = B.U32();
      const uint32_t ByteRate = B.U32();
      const uint16_t Align = B.U16();
      S.Bits = B.U16();
      if (Align != S.Channels * S.Bits / 8 || ByteRate != S.Rate * Align)
        throw std::runtime_error(S.Name + ": inconsistent format block");
      B.Blob(Size - 16);
    } else {
      if (Id == "data") {
        S.DataBytes = Size;
        Data = true;
      }
      B.Blob(Size);
    }
  }
  if (!Data || S.Format == 0) throw std::runtime_error(S.Name + ": missing chunk");
}

std::vector<TSound> ReadSoundPack(const fs::path& Path) {
  std::ifstream In(Path, std::ios::binary);
  TBytes B(std::vector<uint8_t>(std::istreambuf_iterator<char>(In), {}));
  if (B.U8() != 0xFF || B.U16() != 10) throw std::runtime_error("no resource header");
  while (B.U8() != 0) {
  }
  B.U16();
  const uint32_t DataSize = B.U32();
  if (B.Pos + DataSize != B.Size()) throw std::runtime_error("resource data size");
  if (B.Str(4) != "TPF0") throw std::runtime_error("no TPF0 signature");
  if (B.Short() != "TWaveCollectionComponent") throw std::runtime_error("class name");
  if (!B.Short().empty()) throw std::runtime_error("component has a name");
  std::vector<TSound> Sounds;
  for (std::string Prop; !(Prop = B.Short()).empty();) {
    if (Prop != "List" || B.U8() != 0x0E) throw std::runtime_error("unexpected property " + Prop);
    for (uint8_t Lead; (Lead = B.U8()) != 0;) {
      if (Lead >= 0x02 && Lead <= 0x04) {
        ReadInt(B, Lead);
        Lead = B.U8();
      }
      if (Lead != 0x01) throw std::runtime_error("item without its 0x01 marker");
      TSound S;
      for (std::string Name; !(Name = B.Short()).empty();) {
        const uint8_t Tag = B.U8();
        if (Name == "Name" && Tag == 0x06) {
          S.Name = B.Short();
        } else if (Name == "Looped" && (Tag == 0x08 || Tag == 0x09)) {
          S.Looped = Tag == 0x09;
        } else if (Name == "MaxPlayingCount") {
          S.MaxPlayingCount = static_cast<int32_t>(ReadInt(B, Tag));
        } else if (Name == "Wave.WAVE" && Tag == 0x0A) {
          DecodeWave(B.Blob(B.U32()), S);
        } else {
          throw std::runtime_error("unexpected sound property " + Name);
        }
      }
      Sounds.push_back(S);
    }
  }
  if (B.U8() != 0 || B.Pos != B.Size()) throw std::runtime_error("bytes after the component");
  return Sounds;
}

fs::path PackPath(const char* Name) {
  return fs::path(TB_BINARY_DIR) / "game" / "Data" / "Res" / Name;
}

// What the game looks up: name, pattern count (at least, when AtLeast), and the size the
// game's geometry needs (0 = not fixed), with a tolerance in pixels.
struct TNeed {
  const char* Name;
  int Count;
  bool AtLeast;
  int W, H, Tol;
};

const TNeed Res1Needs[] = {
    {"MMB", 1, false, 800, 600, 0},
    {"MM_1_A", 1, false, 250, 44, 6},
    {"MM_1_I", 1, false, 250, 44, 6},
    {"MM_2_A", 1, false, 250, 44, 6},
    {"MM_2_I", 1, false, 250, 44, 6},
    {"MM_3_A", 1, false, 250, 44, 6},
    {"MM_3_I", 1, false, 250, 44, 6},
    {"MM_4_A", 1, false, 250, 44, 6},
    {"MM_4_I", 1, false, 250, 44, 6},
    {"MM_5_A", 1, false, 250, 44, 6},
    {"MM_5_I", 1, false, 250, 44, 6},
    {"MM_6_A", 1, false, 250, 44, 6},
    {"MM_6_I", 1, false, 250, 44, 6},
    {"Cursor", 1, false, 3, 20, 2},
    {"Window", 1, false, 288, 160, 0},
    {"Yes", 2, false, 64, 32, 4},
    {"No", 2, false, 64, 32, 4},
    {"Cap_Opt", 1, false, 540, 56, 6},
    {"Cap_HS", 1, false, 540, 56, 6},
    {"Cap_Help", 1, false, 540, 60, 6},
    {"Sub_Bg", 1, false, 540, 300, 6},
    {"Sub_BG", 1, false, 540, 300, 6},
    {"HS_Bg", 1, false, 540, 300, 6},
    {"OptB_A", 1, false, 490, 32, 6},
    {"OptB_I", 1, false, 490, 32, 6},
    {"Back_A", 1, false, 110, 40, 6},
    {"Back_I", 1, false, 110, 40, 6},
    {"Clear_HS_A", 1, false, 180, 40, 6},
    {"Clear_HS_I", 1, false, 180, 40, 6},
    {"Visit_WHS_A", 1, false, 240, 40, 6},
    {"Visit_WHS_I", 1, false, 240, 40, 6},
    {"Prev_A", 1, false, 110, 40, 6},
    {"Prev_I", 1, false, 110, 40, 6},
    {"Next_A", 1, false, 110, 40, 6},
    {"Next_I", 1, false, 110, 40, 6},
    {"HelpAirplane", 1, false, 75, 53, 17},
    {"HelpBird", 1, false, 75, 53, 17},
    {"HelpDog", 1, false, 75, 53, 17},
    {"HelpHelicopter", 1, false, 75, 53, 17},
    {"HelpHunter", 1, false, 75, 53, 17},
    {"HelpLogo", 1, false, 170, 170, 10},
};

const TNeed Res2Needs[] = {
    {"SkyTile", 1, false, 800, 600, 0},
    {"Hills2", 1, false, 800, 156, 0},
    {"Hills1", 1, false, 800, 106, 0},
    {"Player", 8, false, 120, 90, 8},
    {"PlayerExplosion", 4, false, 80, 80, 16},
    {"Hero", 1, false, 55, 48, 0},
    {"HeroAnim", 4, false, 50, 40, 10},
    {"HeroExplosion", 4, false, 55, 48, 10},
    {"GunBulletRed", 1, false, 12, 12, 2},
    {"RocketBulletRed", 2, true, 30, 10, 8},
    {"BombBullet", 2, true, 14, 22, 6},
    {"MegaBullet", 1, false, 44, 22, 8},
    {"MegaBulletR", 1, false, 44, 22, 8},
    {"EngineFire", 4, false, 45, 16, 8},
    {"Explosion", 6, true, 128, 128, 24},
    {"BNull", 2, true, 48, 48, 8},
    {"BScore", 2, true, 48, 48, 8},
    {"BRocket", 2, true, 48, 48, 8},
    {"BHero", 2, true, 48, 48, 8},
    {"BMegaBomb", 2, true, 48, 48, 8},
    {"BLife", 2, true, 48, 48, 8},
    {"BSingleGun", 2, true, 48, 48, 8},
    {"BMultiGun", 2, true, 48, 48, 8},
    {"BRocket3x", 2, true, 48, 48, 8},
    {"MAirplane", 1, false, 130, 60, 16},
    {"MAirplaneAnim", 4, false, 12, 40, 6},
    {"MBird", 2, true, 130, 121, 8},
    {"MBirdEat", 3, true, 130, 121, 8},
    {"MBirdFall", 1, true, 130, 80, 16},
    {"MDog", 2, true, 90, 130, 12},
    {"MDogFall", 1, true, 90, 130, 16},
    {"MHelicopter", 1, false, 140, 70, 16},
    {"MHelicopterAnim", 3, false, 170, 16, 10},
    {"Hunter1", 2, false, 130, 90, 8},
    {"Hunter2", 2, false, 130, 92, 8},
    {"Hunter3", 2, false, 100, 70, 8},
    {"Hunter1Fall", 3, true, 70, 40, 12},
    {"Hunter2Fall", 3, true, 70, 40, 12},
    {"Hunter3Fall", 3, true, 70, 40, 12},
    {"Panels", 1, false, 800, 44, 0},
    {"PanelLife", 1, false, 40, 36, 8},
    {"PanelHero", 1, false, 60, 36, 10},
    {"PanelMegaBomb", 1, false, 44, 32, 8},
    {"PanelRocket3x", 1, false, 44, 32, 8},
    {"PanelRocket", 1, false, 44, 32, 8},
    {"PanelSingleGun", 1, false, 44, 32, 8},
    {"PanelMultiGun", 1, false, 44, 32, 8},
    {"Null", 1, false, 44, 32, 8},
};

void CheckNeeds(const TPack& Pack, const TNeed* Begin, const TNeed* End) {
  for (const TNeed* N = Begin; N != End; ++N) {
    const TItem* I = Pack.Find(N->Name);
    if (!I) {
      ADD_FAILURE() << N->Name << " is missing";
      continue;
    }
    if (N->AtLeast) {
      EXPECT_GE(I->Patterns(), N->Count) << N->Name;
    } else {
      EXPECT_EQ(I->Patterns(), N->Count) << N->Name;
    }
    EXPECT_NEAR(I->ItemW(), N->W, N->Tol) << N->Name << " width";
    EXPECT_NEAR(I->ItemH(), N->H, N->Tol) << N->Name << " height";
  }
}

// Header, signature, tags and payloads of one built image pack, as far as the layout fixes
// them, plus the keying every picture must have.
void CheckImagePack(const TPack& P) {
  EXPECT_EQ(P.ClassName, "TPictureCollectionComponent");
  EXPECT_TRUE(P.HasColorTable);
  EXPECT_FALSE(P.Items.empty());
  for (const TItem& I : P.Items) {
    ASSERT_FALSE(I.Rgb.empty()) << I.Name << " has no picture";
    EXPECT_TRUE(I.Transparent) << I.Name;
    EXPECT_TRUE(I.Bits == 8 || I.Bits == 24) << I.Name;
    // No fringe: an opaque pixel beside a see-through one never carries the key's tint,
    // which is what blending art against the key before keying would leave.
    const uint32_t K = I.KeyRgb();
    int Fringe = 0;
    for (int Y = 0; Y < I.H; ++Y) {
      for (int X = 0; X < I.W; ++X) {
        const uint32_t V = I.At(X, Y);
        if (V == K) continue;
        const bool NearKey = (X > 0 && I.At(X - 1, Y) == K) ||
                             (X + 1 < I.W && I.At(X + 1, Y) == K) ||
                             (Y > 0 && I.At(X, Y - 1) == K) || (Y + 1 < I.H && I.At(X, Y + 1) == K);
        if (!NearKey) continue;
        auto Ch = [](uint32_t C, int S) { return static_cast<int>((C >> S) & 0xFF); };
        int Dist = 0;
        for (int S : {0, 8, 16}) Dist += std::abs(Ch(V, S) - Ch(K, S));
        // Halfway between the key and a dark outline is about 240 away from the key.
        const int Tint = (K == 0xFF00FF) ? std::min(Ch(V, 16), Ch(V, 0)) - Ch(V, 8) : 0;
        if (Dist > 1 && (Dist < 120 || Tint > 60)) ++Fringe;
      }
    }
    EXPECT_EQ(Fringe, 0) << I.Name << " has key-tinted edge pixels";
  }
}

// A tile repeats seamlessly when its first column continues its last as well as its columns
// continue one another inside the picture.
void CheckTilesLeftRight(const TItem& I) {
  auto ColumnStep = [&](int A, int B) {
    int64_t Sum = 0;
    int Mismatch = 0;
    for (int Y = 0; Y < I.H; ++Y) {
      const uint32_t P = I.At(A, Y), Q = I.At(B, Y);
      const bool KP = P == I.KeyRgb(), KQ = Q == I.KeyRgb();
      if (KP != KQ) {
        ++Mismatch;
        continue;
      }
      if (KP) continue;
      for (int S : {0, 8, 16})
        Sum += std::abs(static_cast<int>((P >> S) & 0xFF) - static_cast<int>((Q >> S) & 0xFF));
    }
    return std::pair<double, int>(static_cast<double>(Sum) / I.H, Mismatch);
  };
  double Worst = 0;
  int WorstMismatch = 0;
  for (int X = 0; X + 1 < I.W; ++X) {
    auto [D, M] = ColumnStep(X, X + 1);
    Worst = std::max(Worst, D);
    WorstMismatch = std::max(WorstMismatch, M);
  }
  auto [Seam, SeamMismatch] = ColumnStep(I.W - 1, 0);
  EXPECT_LE(Seam, Worst + 1.0) << I.Name << ": the wrap from the right edge to the left jumps";
  EXPECT_LE(SeamMismatch, WorstMismatch + 2) << I.Name << ": the outline breaks at the wrap";
}

}  // namespace

TEST(Res1Pack, LayoutNamesAndKeying) {
  const fs::path Path = PackPath("Res1.dxg");
  ASSERT_TRUE(fs::exists(Path)) << Path << " was not built";
  TPack P;
  ASSERT_NO_THROW(P = ReadImagePack(Path)) << Path;
  CheckImagePack(P);
  CheckNeeds(P, std::begin(Res1Needs), std::end(Res1Needs));
}

TEST(Res1Pack, HighlightedButtonsAreBrighterThanPlainOnes) {
  TPack P = ReadImagePack(PackPath("Res1.dxg"));
  auto Brightness = [](const TItem& I, int Pattern) {
    int64_t Sum = 0, N = 0;
    const int32_t Cols = (I.W + I.SkipWidth) / (I.ItemW() + I.SkipWidth);
    const int X0 = (Pattern % Cols) * (I.ItemW() + I.SkipWidth);
    const int Y0 = (Pattern / Cols) * (I.ItemH() + I.SkipHeight);
    for (int Y = Y0; Y < Y0 + I.ItemH(); ++Y)
      for (int X = X0; X < X0 + I.ItemW(); ++X) {
        const uint32_t V = I.At(X, Y);
        if (V == I.KeyRgb()) continue;
        Sum += 299 * ((V >> 16) & 0xFF) + 587 * ((V >> 8) & 0xFF) + 114 * (V & 0xFF);
        ++N;
      }
    return N ? static_cast<double>(Sum) / N / 1000 : 0.0;
  };
  const char* Pairs[] = {"MM_1", "MM_2", "MM_3",     "MM_4",      "MM_5", "MM_6",
                         "OptB", "Back", "Clear_HS", "Visit_WHS", "Prev", "Next"};
  for (const char* Base : Pairs) {
    const TItem* A = P.Find(std::string(Base) + "_A");
    const TItem* I = P.Find(std::string(Base) + "_I");
    ASSERT_TRUE(A && I) << Base;
    EXPECT_GT(Brightness(*A, 0), Brightness(*I, 0) + 20) << Base;
  }
  for (const char* Name : {"Yes", "No"}) {
    const TItem* I = P.Find(Name);
    ASSERT_TRUE(I) << Name;
    EXPECT_GT(Brightness(*I, 0), Brightness(*I, 1) + 20) << Name << ": pattern 0 is highlighted";
  }
}

TEST(Res2Pack, LayoutNamesKeyingAndTiling) {
  const fs::path Path = PackPath("Res2.dxg");
  if (!fs::exists(Path)) GTEST_SKIP() << Path << " is not built yet";
  TPack P;
  ASSERT_NO_THROW(P = ReadImagePack(Path)) << Path;
  CheckImagePack(P);
  CheckNeeds(P, std::begin(Res2Needs), std::end(Res2Needs));
  for (const char* Name : {"SkyTile", "Hills2", "Hills1"})
    if (const TItem* I = P.Find(Name)) CheckTilesLeftRight(*I);
  if (const TItem* Null = P.Find("Null")) {
    EXPECT_TRUE(std::all_of(Null->Rgb.begin(), Null->Rgb.end(), [&](uint32_t V) {
      return V == Null->KeyRgb();
    })) << "Null must be all see-through";
  }
}

TEST(SoundsPack, LayoutNamesAndFormat) {
  const fs::path Path = PackPath("Sounds.dxw");
  if (!fs::exists(Path)) GTEST_SKIP() << Path << " is not built yet";
  std::vector<TSound> Sounds;
  ASSERT_NO_THROW(Sounds = ReadSoundPack(Path)) << Path;
  const char* Needed[] = {"Button",  "Bonus",      "Laser",      "Laser2",
                          "Rocket",  "Rail",       "Explosion2", "Shot1",
                          "Shot3",   "PlayerKill", "HeroKill",   "BirdKill",
                          "DogKill", "HunterKill", "Reborn",     "GameOver"};
  for (const char* Name : Needed) {
    auto It = std::find_if(Sounds.begin(), Sounds.end(),
                           [&](const TSound& S) { return strcasecmp(S.Name.c_str(), Name) == 0; });
    if (It == Sounds.end()) {
      ADD_FAILURE() << Name << " is missing";
      continue;
    }
    EXPECT_EQ(It->Format, 1) << Name << ": PCM";
    EXPECT_EQ(It->Channels, 1) << Name;
    EXPECT_EQ(It->Bits, 16) << Name;
    EXPECT_TRUE(It->Rate == 22050 || It->Rate == 44100) << Name << " at " << It->Rate;
    EXPECT_GT(It->DataBytes, 0u) << Name;
    EXPECT_GE(It->MaxPlayingCount, 0) << Name;
  }
}
