#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "PackBytes.h"
#include "engine/DXDib.h"
#include "engine/DXImageList.h"
#include "engine/DXStream.h"

namespace {

const std::vector<uint32_t> DuckPixels = {0xFF00FF, 0x102030, 0x405060, 0xFF00FF};

// Two items, properties in an unusual order, every integer width, an order number on the
// first item only, TransparentColor once as a colour name and once as an integer.
std::vector<uint8_t> SmallPack() {
  TBytes T = PackStart();
  std::vector<uint8_t> Table(1024, 0);
  Table[0] = 0x11;
  Table[1023] = 0x99;
  T.Prop("List.ColorTable").Binary(Table);
  T.Prop("List").U8(0x0E);
  T.Int8(0).U8(0x01);
  T.Prop("TransparentColor").Ident("clFuchsia");
  T.Prop("Picture.Data").Binary(TDibData(Dib24(2, 2, DuckPixels)));
  T.Prop("PatternWidth").Int16(1);
  T.Prop("Name").Str("Duck");
  T.Prop("SkipHeight").Int32(0);
  T.U8(0);
  T.U8(0x01);
  T.Prop("Name").U8(0x0C).U32(3).Text("Sky");
  T.Prop("TransparentColor").Int32(0x00332211);
  T.Prop("Transparent").Bool(false);
  T.Prop("SystemMemory").Bool(true);
  T.Prop("PatternHeight").Int8(-1);
  T.U8(0);
  T.U8(0);  // end of the collection
  T.U8(0);  // end of the component's properties
  T.U8(0);  // end of its children
  return T.B;
}

std::string ErrorOf(const std::vector<uint8_t>& Bytes) {
  TPictureCollection C;
  try {
    C.LoadFromStream(Bytes);
  } catch (const EDXError& E) {
    EXPECT_EQ(C.Count(), 0) << "a failed load leaves no items";
    return E.what();
  }
  return "";
}

}  // namespace

TEST(PackReader, ReadsItemsInAnyPropertyOrder) {
  TPictureCollection C;
  C.LoadFromStream(SmallPack());
  ASSERT_EQ(C.Count(), 2);
  EXPECT_EQ(C.ColorTable[0], 0x11);
  EXPECT_EQ(C.ColorTable[1023], 0x99);

  TPictureCollectionItem& Duck = C.Find("DUCK");
  EXPECT_EQ(Duck.Index(), 0);
  EXPECT_EQ(Duck.PatternWidth, 1);
  EXPECT_EQ(Duck.PatternHeight, 0);
  EXPECT_EQ(Duck.TransparentColor(), 0xFF00FFu);
  EXPECT_TRUE(Duck.Transparent);  // absent: default
  EXPECT_FALSE(Duck.SystemMemory);
  EXPECT_EQ(Duck.Picture.SourceBitCount, 24);
  ASSERT_EQ(Duck.Picture.Pixels.Width(), 2);
  EXPECT_EQ(Duck.Picture.Pixels.Pixel(1, 0), 0x102030u);
  EXPECT_EQ(Duck.Picture.Pixels.Pixel(0, 1), 0x405060u);
  EXPECT_EQ(Duck.Width(), 1);
  EXPECT_EQ(Duck.PatternCount(), 2);

  TPictureCollectionItem& Sky = C.Find("sky");
  EXPECT_EQ(Sky.TransparentColor(), 0x00332211u);
  EXPECT_FALSE(Sky.Transparent);
  EXPECT_TRUE(Sky.SystemMemory);
  EXPECT_EQ(Sky.PatternHeight, -1);
  EXPECT_TRUE(Sky.Picture.Empty());
}

TEST(PackReader, TransparentColorNamesAndPictureKinds) {
  struct Case {
    std::string What;
    TBytes Value;  // tag and value of TransparentColor
    uint32_t Color;
  };
  const std::vector<Case> Cases = {
      {"clFuchsia", TBytes().Ident("clFuchsia"), 0xFF00FF},
      {"lower case name", TBytes().Ident("clred"), 0x0000FF},
      {"clWhite", TBytes().Ident("clWhite"), 0xFFFFFF},
      {"clBlack", TBytes().Ident("clBlack"), 0},
      {"integer", TBytes().Int32(0x00ABCDEF), 0x00ABCDEF},
  };
  for (const Case& C : Cases) {
    TBytes T = PackStart();
    T.Prop("List").U8(0x0E).U8(0x01).Prop("TransparentColor").Append(C.Value.B);
    T.U8s({0, 0, 0, 0});
    TPictureCollection Col;
    Col.LoadFromStream(T.B);
    ASSERT_EQ(Col.Count(), 1) << C.What;
    EXPECT_EQ(Col.Items(0).TransparentColor(), C.Color) << C.What;
  }

  // Picture kinds: unknown or without a decoder leave the picture empty; TBitmap holds a
  // length and a ".bmp" file.
  TBytes Bmp;
  Bmp.Text("BM").U32(0).U32(0).U32(54).Append(Dib24(1, 1, {0x123456}));
  TBytes BitmapData;
  BitmapData.Short("TBitmap").U32(static_cast<uint32_t>(Bmp.B.size())).Append(Bmp.B);
  struct Kind {
    std::vector<uint8_t> Data;
    int32_t Width;
  };
  const std::vector<Kind> Kinds = {
      {TBytes().Short("TPNGImage").U8s({1, 2, 3}).B, 0},
      {TBytes().Short("TIcon").U8s({1, 2, 3}).B, 0},
      {{}, 0},
      {BitmapData.B, 1},
  };
  for (const Kind& K : Kinds) {
    TBytes T = PackStart();
    T.Prop("List").U8(0x0E).U8(0x01).Prop("Picture.Data").Binary(K.Data);
    T.U8s({0, 0, 0, 0});
    TPictureCollection Col;
    Col.LoadFromStream(T.B);
    EXPECT_EQ(Col.Items(0).Picture.Pixels.Width(), K.Width);
  }
}

TEST(PackReader, ErrorsNameTheFault) {
  const std::vector<uint8_t> Good = SmallPack();
  auto Patched = [&](size_t At, uint8_t V) {
    std::vector<uint8_t> B = Good;
    B[At] = V;
    return B;
  };
  auto ItemWith = [](const TBytes& Property) {
    TBytes T = PackStart();
    T.Prop("List").U8(0x0E).U8(0x01).Append(Property.B).U8s({0, 0, 0, 0});
    return T.B;
  };
  const size_t Tpf0 = 3 + 4 + 1 + 2 + 4;
  struct Case {
    std::string What;
    std::vector<uint8_t> Bytes;
    std::string Message;
  };
  const std::vector<Case> Cases = {
      {"empty", {}, "Invalid stream format"},
      {"no resource header", Patched(0, 0xFE), "Invalid stream format"},
      {"resource type not 10", Patched(1, 11), "Invalid stream format"},
      {"resource name without end", TBytes().U8(0xFF).U16(10).Text(std::string(100, 'A')).B,
       "Invalid stream format"},
      {"no TPF0", Patched(Tpf0 + 3, '1'), "Invalid stream format"},
      {"unknown component property", TBytes(PackStart()).Prop("Bogus").Int8(1).U8s({0, 0}).B,
       "Property Bogus does not exist"},
      {"unknown item property", ItemWith(TBytes().Prop("Colour").Int8(1)),
       "Property Colour does not exist"},
      {"unknown value tag", ItemWith(TBytes().Prop("Name").U8(0x42)), "Invalid stream format"},
      {"integer where a string belongs", ItemWith(TBytes().Prop("Name").Int8(1)),
       "Invalid property value"},
      {"string where a bool belongs", ItemWith(TBytes().Prop("Transparent").Str("yes")),
       "Invalid property value"},
      {"unknown colour name", ItemWith(TBytes().Prop("TransparentColor").Ident("clTallow")),
       "Invalid property value"},
      {"item without its list byte",
       TBytes(PackStart()).Prop("List").U8(0x0E).U8(0x05).U8s({0, 0, 0, 0}).B,
       "Invalid stream format"},
      {"bad bitmap",
       ItemWith(TBytes().Prop("Picture.Data").Binary(TBytes().Short("TDIB").U32(41).B)),
       "DIB is invalid"},
      {"binary longer than the pack",
       TBytes(PackStart()).Prop("List.ColorTable").U8(0x0A).U32(0xFFFFFFF0).U8s({1, 2}).B,
       "Stream read error"},
  };
  for (const Case& C : Cases) EXPECT_EQ(ErrorOf(C.Bytes), C.Message) << C.What;
}

TEST(PackReader, ReadingFromAFile) {
  TPictureCollection C;
  try {
    C.LoadFromFile(std::string(TB_BINARY_DIR) + "/no-such-pack.dxg");
    FAIL() << "no error";
  } catch (const EFOpenError& E) {
    EXPECT_NE(std::string(E.what()).find("no-such-pack.dxg"), std::string::npos) << E.what();
  }
  const std::string Path = std::string(TB_BINARY_DIR) + "/images-test-small.dxg";
  const std::vector<uint8_t> Pack = SmallPack();
  FILE* F = std::fopen(Path.c_str(), "wb");
  ASSERT_NE(F, nullptr);
  std::fwrite(Pack.data(), 1, Pack.size(), F);
  std::fclose(F);
  C.LoadFromFile(Path);
  EXPECT_EQ(C.Count(), 2);
  std::remove(Path.c_str());
}

TEST(PackReader, EveryTruncationIsAnErrorNeverACrash) {
  const std::vector<uint8_t> Pack = SmallPack();
  for (size_t N = 0; N < Pack.size(); ++N) {
    const std::vector<uint8_t> Cut(Pack.begin(), Pack.begin() + static_cast<ptrdiff_t>(N));
    EXPECT_NE(ErrorOf(Cut), "") << "cut at " << N;
  }
}

TEST(PackReader, RandomByteFlipsNeverCrash) {
  // Fixed seed: a failure here names a mutation that can be replayed.
  const std::vector<uint8_t> Pack = SmallPack();
  std::mt19937 Random(20261210);
  int Loaded = 0;
  for (int Round = 0; Round < 4000; ++Round) {
    std::vector<uint8_t> B = Pack;
    const int Flips = 1 + static_cast<int>(Random() % 4);
    for (int I = 0; I < Flips; ++I) {
      const size_t At = Random() % B.size();
      const uint8_t Value = static_cast<uint8_t>(Random());
      B[At] = Value;
    }
    TPictureCollection C;
    try {
      C.LoadFromStream(B);
      ++Loaded;
      // Whatever was read must be usable.
      for (int32_t I = 0; I < C.Count(); ++I) {
        TPictureCollectionItem& Item = C.Items(I);
        (void)Item.PatternCount();
        (void)Item.Width();
      }
    } catch (const EDXError&) {
      // A message is what we want; anything else (bad_alloc, length_error) fails the test.
    }
  }
  EXPECT_GT(Loaded, 0);  // flips in pixel bytes still load
}

TEST(ComponentStream, ReadsEveryValueTag) {
  TBytes T;
  T.Text("TPF0").Short("TThing").Short("Thing1");
  T.Prop("I8").Int8(-5);
  T.Prop("I16").Int16(-300);
  T.Prop("I32").Int32(-70000);
  T.Prop("I64").U8(0x13).U32(1).U32(1);
  T.Prop("S").Str("short");
  T.Prop("L").U8(0x0C).U32(4).Text("long");
  T.Prop("W").U8(0x12).U32(2).U16('h').U16(0x263A);  // a character past 8 bits
  T.Prop("U").U8(0x14).U32(2).Text("u8");
  T.Prop("Id").Ident("clRed");
  T.Prop("F").Bool(false);
  T.Prop("T").Bool(true);
  T.Prop("Bin").Binary({1, 2, 3});
  T.Prop("Set").U8(0x0B).Short("a").Short("bc").Short("");
  T.Prop("Ext").U8(0x05).U32(0).U32(0xC0000000).U16(0x4000);  // 3.0
  T.Prop("Sgl").U8(0x0F).U32(0x3FC00000);                     // 1.5
  T.Prop("Nil").U8(0x0D);
  T.Prop("Lst").U8(0x01).Int8(1).Str("x").U8(0);
  T.Prop("Col").U8(0x0E).Int16(7).U8(0x01).Prop("Name").Str("A").U8(0).U8(0x01).U8(0).U8(0);
  T.U8(0);
  T.U8(0xF0).Short("TChild").Short("").U8(0).U8(0);  // a child with filer flags
  T.U8(0);

  const TStreamComponent C = ReadComponentStream(T.B);
  EXPECT_EQ(C.ClassName, "TThing");
  EXPECT_EQ(C.Name, "Thing1");
  ASSERT_EQ(C.Properties.size(), 18u);
  auto V = [&](size_t I) -> const TStreamValue& { return C.Properties[I].Value; };
  EXPECT_EQ(V(0).AsInt32(), -5);
  EXPECT_EQ(V(1).AsInt32(), -300);
  EXPECT_EQ(V(2).AsInt32(), -70000);
  EXPECT_EQ(V(3).Int, (int64_t{1} << 32) + 1);
  EXPECT_THROW(V(3).AsInt32(), EReadError);  // too wide for 32 bits
  EXPECT_EQ(V(4).AsString(), "short");
  EXPECT_EQ(V(5).AsString(), "long");
  EXPECT_EQ(V(6).AsString(), "h?");
  EXPECT_EQ(V(7).AsString(), "u8");
  EXPECT_EQ(V(8).Type, TValueType::Ident);
  EXPECT_EQ(V(8).Text, "clRed");
  EXPECT_FALSE(V(9).AsBool());
  EXPECT_TRUE(V(10).AsBool());
  EXPECT_EQ(std::vector<uint8_t>(V(11).AsBinary().begin(), V(11).AsBinary().end()),
            (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_EQ(V(12).Set, (std::vector<std::string>{"a", "bc"}));
  EXPECT_DOUBLE_EQ(V(13).Real, 3.0);
  EXPECT_DOUBLE_EQ(V(14).Real, 1.5);
  EXPECT_EQ(V(15).Type, TValueType::Nil);
  ASSERT_EQ(V(16).List.size(), 2u);
  EXPECT_EQ(V(16).List[1].Text, "x");
  ASSERT_EQ(V(17).Items.size(), 2u);
  EXPECT_TRUE(V(17).Items[0].HasOrder);
  EXPECT_EQ(V(17).Items[0].Order, 7);
  EXPECT_EQ(V(17).Items[0].Properties[0].Value.Text, "A");
  EXPECT_FALSE(V(17).Items[1].HasOrder);
  ASSERT_EQ(C.Children.size(), 1u);
  EXPECT_EQ(C.Children[0].ClassName, "TChild");
}

TEST(ComponentStream, DeepNestingIsRefused) {
  TBytes T;
  T.Text("TPF0").Short("T").Short("").Prop("Deep");
  for (int I = 0; I < 100000; ++I) T.U8(0x01);
  EXPECT_THROW(ReadComponentStream(T.B), EReadError);
}

TEST(ComponentStream, ResourceHeaderLength) {
  // Name length + 10 bytes: 0xFF, u16, name, 0, u16 flags, u32 size.
  TBytes T;
  T.U8(0xFF).U16(10).Text("AB").U8(0).U16(0).U32(0);
  EXPECT_EQ(ReadResourceHeader(T.B), 12u);
  TBytes Empty;
  Empty.U8(0xFF).U16(10).U8(0).U16(0).U32(0);
  EXPECT_EQ(ReadResourceHeader(Empty.B), 10u);
  // The name's end must lie within the first 79 bytes.
  TBytes Long;
  Long.U8(0xFF).U16(10).Text(std::string(76, 'N')).U8(0).U16(0).U32(0);
  EXPECT_THROW(ReadResourceHeader(Long.B), EReadError);
  TBytes Short;
  Short.U8(0xFF).U16(10).Text("AB").U8(0).U16(0);  // size cut off
  EXPECT_THROW(ReadResourceHeader(Short.B), EReadError);
}

// A regular file is mapped, a pipe and an empty file are read: the bytes are the file's in
// every case.
TEST(PackReader, FileViewGivesTheFileBytes) {
  const std::string Dir = std::string(TB_BINARY_DIR) + "/";
  const std::vector<uint8_t> Pack = SmallPack();
  auto Write = [](const std::string& Path, const std::vector<uint8_t>& Bytes) {
    FILE* F = std::fopen(Path.c_str(), "wb");
    ASSERT_NE(F, nullptr);
    if (!Bytes.empty()) std::fwrite(Bytes.data(), 1, Bytes.size(), F);
    std::fclose(F);
  };
  auto Same = [](const TFileView& V, const std::vector<uint8_t>& Bytes) {
    return std::vector<uint8_t>(V.Bytes().begin(), V.Bytes().end()) == Bytes;
  };
  Write(Dir + "file-view-pack.dxg", Pack);
  EXPECT_TRUE(Same(TFileView(Dir + "file-view-pack.dxg"), Pack));
  Write(Dir + "file-view-empty.dxg", {});
  EXPECT_TRUE(Same(TFileView(Dir + "file-view-empty.dxg"), {}));

  const std::string Fifo = Dir + "file-view-fifo.dxg";
  std::remove(Fifo.c_str());
  ASSERT_EQ(mkfifo(Fifo.c_str(), 0600), 0);
  std::thread Writer([&] { Write(Fifo, Pack); });
  const TFileView FromPipe(Fifo);
  Writer.join();
  EXPECT_TRUE(Same(FromPipe, Pack));
  for (const char* Name : {"file-view-pack.dxg", "file-view-empty.dxg", "file-view-fifo.dxg"})
    std::remove((Dir + Name).c_str());
}

namespace {

// Three items written to a file: two pictures, a third item without one, and when asked a
// last picture whose bitmap is damaged.
std::string WriteSteppedPack(const std::string& Name, bool Damaged) {
  TBytes T = PackStart();
  T.Prop("List").U8(0x0E);
  auto Item = [&](const std::string& ItemName, const std::vector<uint8_t>& Data) {
    T.U8(0x01).Prop("Name").Str(ItemName);
    if (!Data.empty()) T.Prop("Picture.Data").Binary(Data);
    T.Prop("PatternWidth").Int8(1).U8(0);
  };
  Item("Wide", TDibData(Dib24(3, 2, {1, 2, 3, 4, 5, 6})));
  Item("Duck", TDibData(Dib24(2, 2, DuckPixels)));
  Item("Nothing", {});
  if (Damaged) Item("Broken", TBytes().Short("TDIB").U32(41).B);
  T.U8s({0, 0, 0});
  const std::string Path = std::string(TB_BINARY_DIR) + "/" + Name;
  FILE* F = std::fopen(Path.c_str(), "wb");
  EXPECT_NE(F, nullptr);
  if (F != nullptr) {
    std::fwrite(T.B.data(), 1, T.B.size(), F);
    std::fclose(F);
  }
  return Path;
}

}  // namespace

TEST(PackReader, OpeningAPackInSteps) {
  const std::string Path = WriteSteppedPack("images-test-steps.dxg", false);
  TPictureCollection Whole, Steps;
  Whole.LoadFromFile(Path);
  Steps.OpenFile(Path);
  // Every item and property at once, in the pack's order; no picture yet.
  ASSERT_EQ(Steps.Count(), 3);
  EXPECT_EQ(Steps.Items(1).Name(), "Duck");
  EXPECT_EQ(Steps.Items(1).PatternWidth, 1);
  EXPECT_TRUE(Steps.Items(0).Picture.Empty());
  EXPECT_TRUE(Steps.PicturesPending());
  // One by name, ahead of the others.
  EXPECT_TRUE(Steps.DecodePicture("duck"));
  EXPECT_FALSE(Steps.DecodePicture("NoSuchItem"));
  EXPECT_TRUE(Steps.Items(0).Picture.Empty());
  EXPECT_EQ(Steps.Items(1).Picture.Pixels.Pixel(1, 0), 0x102030u);
  // The rest in order: at least one picture a call, the file let go after the last.
  EXPECT_TRUE(Steps.DecodePictures(1));
  EXPECT_FALSE(Steps.PicturesPending());
  for (int32_t I = 0; I < Whole.Count(); ++I) {
    const TDirectDrawSurface& A = Whole.Items(I).Picture.Pixels;
    const TDirectDrawSurface& B = Steps.Items(I).Picture.Pixels;
    ASSERT_EQ(A.Width(), B.Width()) << I;
    ASSERT_EQ(A.Height(), B.Height()) << I;
    for (int32_t Y = 0; Y < A.Height(); ++Y)
      for (int32_t X = 0; X < A.Width(); ++X) EXPECT_EQ(A.Pixel(X, Y), B.Pixel(X, Y)) << I;
  }
  std::remove(Path.c_str());
}

TEST(PackReader, ADamagedPictureFoundInALaterStepEmptiesTheCollection) {
  const std::string Path = WriteSteppedPack("images-test-steps-damaged.dxg", true);
  TPictureCollection C;
  C.OpenFile(Path);  // the structure is sound
  ASSERT_EQ(C.Count(), 4);
  EXPECT_FALSE(C.DecodePictures(1));  // "Wide", 6 pixels
  try {
    C.DecodePictures(1000);
    FAIL() << "no error";
  } catch (const EDXError& E) {
    EXPECT_STREQ(E.what(), "DIB is invalid");
  }
  EXPECT_EQ(C.Count(), 0);
  EXPECT_FALSE(C.PicturesPending());
  // A damaged structure is found at once.
  std::FILE* F = std::fopen(Path.c_str(), "r+b");
  ASSERT_NE(F, nullptr);
  std::fputc(0xFE, F);
  std::fclose(F);
  EXPECT_THROW(C.OpenFile(Path), EReadError);
  EXPECT_EQ(C.Count(), 0);
  std::remove(Path.c_str());
}
