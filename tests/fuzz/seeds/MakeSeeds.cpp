// Writes the starting corpus of the reader fuzzers and the damaged-file tests: small valid
// image packs (one per bitmap mode), sound packs, options files, high-score files and
// Online.ini files. The packs are assembled byte by byte from the file layout, not by our
// pack writer. Run: fuzz-seeds tests/fuzz/corpus
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/replay/ReplayFile.h"
#include "tests/engine/PackBytes.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

void Put(const fs::path& Path, const Bytes& B) {
  fs::create_directories(Path.parent_path());
  std::ofstream(Path, std::ios::binary)
      .write(reinterpret_cast<const char*>(B.data()), static_cast<std::streamsize>(B.size()));
}

void PutText(const fs::path& Path, const std::string& S) {
  Put(Path, Bytes(S.begin(), S.end()));
}

// Information header: size 40, width, height, planes 1, bits, compression, image size,
// resolutions, colours used, colours important.
TBytes InfoHeader(int32_t W, int32_t H, uint16_t Bits, uint32_t Compression, uint32_t Used) {
  TBytes T;
  T.U32(40).U32(static_cast<uint32_t>(W)).U32(static_cast<uint32_t>(H)).U16(1).U16(Bits);
  T.U32(Compression).U32(0).U32(2835).U32(2835).U32(Used).U32(0);
  return T;
}

void Palette(TBytes& T, int Count) {
  for (int I = 0; I < Count; ++I)
    T.U8(static_cast<uint8_t>(I * 40)).U8(static_cast<uint8_t>(255 - I * 30)).U8(0x80).U8(0);
}

// Rows of RowBytes bytes each, filled with a pattern.
void Rows(TBytes& T, int Count, int RowBytes) {
  for (int Y = 0; Y < Count; ++Y)
    for (int X = 0; X < RowBytes; ++X) T.U8(static_cast<uint8_t>(X * 7 + Y * 13));
}

// A pack of one item holding Picture (the Picture.Data payload) and its pattern layout.
Bytes OnePicturePack(const Bytes& Picture, int32_t PatternWidth = 0, int32_t PatternHeight = 0,
                     int32_t SkipWidth = 0, int32_t SkipHeight = 0, bool SystemMemory = false) {
  TBytes T = PackStart();
  T.Prop("List").U8(0x0E).U8(0x01);
  T.Prop("Name").Str("Item");
  if (PatternWidth) T.Prop("PatternWidth").Int16(static_cast<int16_t>(PatternWidth));
  if (PatternHeight) T.Prop("PatternHeight").Int16(static_cast<int16_t>(PatternHeight));
  if (SkipWidth) T.Prop("SkipWidth").Int8(static_cast<int8_t>(SkipWidth));
  if (SkipHeight) T.Prop("SkipHeight").Int8(static_cast<int8_t>(SkipHeight));
  if (SystemMemory) T.Prop("SystemMemory").Bool(true);
  T.Prop("TransparentColor").Int32(0x00FF00FF);
  T.Prop("Picture.Data").Binary(Picture);
  T.U8(0).U8(0).U8(0).U8(0);  // item, collection, properties, children
  return T.B;
}

Bytes Dib(const TBytes& Body) {
  TBytes T;
  T.Short("TDIB").Append(Body.B);
  return T.B;
}

void ImagePacks(const fs::path& Dir) {
  {  // 1 bit, 9 x 2: a row of two bytes padded to four
    TBytes T = InfoHeader(9, 2, 1, 0, 0);
    Palette(T, 2);
    Rows(T, 2, 4);
    Put(Dir / "dib1.dxg", OnePicturePack(Dib(T)));
  }
  {  // 4 bits, 5 x 3, patterns of 2 x 1
    TBytes T = InfoHeader(5, 3, 4, 0, 0);
    Palette(T, 16);
    Rows(T, 3, 4);
    Put(Dir / "dib4.dxg", OnePicturePack(Dib(T), 2, 1));
  }
  {  // 8 bits, four colours used, rows stored top-down, patterns with gaps
    TBytes T = InfoHeader(6, -4, 8, 0, 4);
    Palette(T, 4);
    Rows(T, 4, 8);
    Put(Dir / "dib8.dxg", OnePicturePack(Dib(T), 2, 2, 1, 1, true));
  }
  {  // 16 bits, 5-5-5
    TBytes T = InfoHeader(3, 2, 16, 0, 0);
    Rows(T, 2, 8);
    Put(Dir / "dib16.dxg", OnePicturePack(Dib(T)));
  }
  {  // 16 bits with 5-6-5 masks
    TBytes T = InfoHeader(3, 2, 16, 3, 0);
    T.U32(0xF800).U32(0x07E0).U32(0x001F);
    Rows(T, 2, 8);
    Put(Dir / "dib16masks.dxg", OnePicturePack(Dib(T)));
  }
  {  // 24 bits, 5 x 2 (the four-at-a-time path and its tail)
    TBytes T = InfoHeader(5, 2, 24, 0, 0);
    Rows(T, 2, 16);
    Put(Dir / "dib24.dxg", OnePicturePack(Dib(T), 1, 1));
  }
  {  // 32 bits with masks
    TBytes T = InfoHeader(2, 2, 32, 3, 0);
    T.U32(0x00FF0000).U32(0x0000FF00).U32(0x000000FF);
    Rows(T, 2, 8);
    Put(Dir / "dib32masks.dxg", OnePicturePack(Dib(T)));
  }
  {  // core header, 8 bits, three-byte palette
    TBytes T;
    T.U32(12).U16(4).U16(2).U16(1).U16(8);
    for (int I = 0; I < 256; ++I) T.U8(static_cast<uint8_t>(I)).U8(0x10).U8(0x20);
    Rows(T, 2, 4);
    Put(Dir / "core8.dxg", OnePicturePack(Dib(T)));
  }
  {  // run-length 8 bits: runs, a literal of odd length (padded), a delta, end of line and
     // end of bitmap
    TBytes T = InfoHeader(8, 4, 8, 1, 4);
    Palette(T, 4);
    T.U8s({3, 1, 0, 3, 2, 3, 1, 0, 0, 0});        // run of 3, literal of 3 + pad, end of line
    T.U8s({0, 2, 2, 1, 2, 3, 0, 0, 8, 1, 0, 1});  // delta (2, 1), run, end of line, run, end
    Put(Dir / "rle8.dxg", OnePicturePack(Dib(T), 4, 2));
  }
  {  // run-length 4 bits
    TBytes T = InfoHeader(8, 3, 4, 2, 16);
    Palette(T, 16);
    T.U8s({4, 0x12, 0, 5, 0x34, 0x56, 0x70, 0, 0, 0, 0, 2, 1, 0, 3, 0x9A, 0, 1});
    Put(Dir / "rle4.dxg", OnePicturePack(Dib(T)));
  }
  {  // the platform bitmap kind: a whole ".bmp" file with a version 4 header and 16-bit masks
    TBytes Bmp;
    const uint32_t HeaderBytes = 108, Pixels = 2 * 4;
    Bmp.Text("BM").U32(14 + HeaderBytes + Pixels).U16(0).U16(0).U32(14 + HeaderBytes);
    Bmp.U32(HeaderBytes).U32(2).U32(2).U16(1).U16(16).U32(3).U32(Pixels).U32(0).U32(0);
    Bmp.U32(0).U32(0);
    Bmp.U32(0xF800).U32(0x07E0).U32(0x001F).U32(0);  // red, green, blue, alpha masks
    for (uint32_t I = 56; I < HeaderBytes; ++I) Bmp.U8(0);
    Rows(Bmp, 2, 4);
    TBytes Picture;
    Picture.Short("TBitmap").U32(static_cast<uint32_t>(Bmp.B.size())).Append(Bmp.B);
    Put(Dir / "bitmap.dxg", OnePicturePack(Picture.B));
  }
  {  // two items, a colour table, every integer width, a colour given by name, a kind
     // without a decoder
    TBytes T = PackStart();
    T.Prop("List.ColorTable").Binary(Bytes(1024, 0x11));
    T.Prop("List").U8(0x0E);
    T.Int8(0).U8(0x01);
    T.Prop("TransparentColor").Ident("clFuchsia");
    TBytes Body = InfoHeader(2, 2, 24, 0, 0);
    Rows(Body, 2, 8);
    T.Prop("Picture.Data").Binary(Dib(Body));
    T.Prop("PatternWidth").Int16(1);
    T.Prop("Name").Str("Duck");
    T.Prop("SkipHeight").Int32(0);
    T.U8(0);
    T.U8(0x01);
    T.Prop("Name").U8(0x0C).U32(3).Text("Sky");
    T.Prop("Transparent").Bool(false);
    T.Prop("Picture.Data").Binary(TBytes().Short("TIcon").U32(0).B);
    T.U8(0).U8(0).U8(0).U8(0);
    Put(Dir / "items.dxg", T.B);
  }
}

// A wave file of the given format with Frames frames, and an extra chunk when asked.
Bytes WaveFile(uint16_t Channels, uint16_t Bits, uint32_t Rate, uint32_t Frames, bool Extra) {
  TBytes T;
  const uint16_t Align = static_cast<uint16_t>(Channels * Bits / 8);
  const uint32_t Data = Frames * Align;
  T.Text("RIFF").U32(4 + 24 + (Extra ? 13 : 0) + 8 + Data).Text("WAVE");
  T.Text("fmt ").U32(16).U16(1).U16(Channels).U32(Rate).U32(Rate * Align).U16(Align).U16(Bits);
  if (Extra) T.Text("LIST").U32(5).Text("INFO!");  // odd size, no pad byte
  T.Text("data").U32(Data);
  for (uint32_t I = 0; I < Data; ++I) T.U8(static_cast<uint8_t>(I * 37));
  return T.B;
}

Bytes SoundPack(const std::vector<std::pair<std::string, Bytes>>& Waves, bool LoopFirst) {
  TBytes T = PackStart("TWaveCollectionComponent");
  T.Prop("List").U8(0x0E);
  bool First = true;
  for (const auto& [Name, Wave] : Waves) {
    T.U8(0x01);
    T.Prop("Name").Str(Name);
    if (First && LoopFirst) T.Prop("Looped").Bool(true);
    T.Prop("MaxPlayingCount").Int8(First ? 2 : 0);
    TBytes Payload;
    Payload.U32(static_cast<uint32_t>(Wave.size())).Append(Wave);
    T.Prop("Wave.WAVE").Binary(Payload.B);
    T.U8(0);
    First = false;
  }
  T.U8(0).U8(0).U8(0);
  return T.B;
}

void SoundPacks(const fs::path& Dir) {
  Put(Dir / "mono16.dxw", SoundPack({{"Button", WaveFile(1, 16, 22050, 6, false)}}, false));
  Put(Dir / "two.dxw", SoundPack({{"Engine", WaveFile(2, 8, 11025, 5, true)},
                                  {"Shot", WaveFile(1, 8, 44100, 3, false)}},
                                 true));
  // An item whose sound is empty.
  Put(Dir / "empty.dxw", SoundPack({{"Quiet", {}}}, false));
}

void SaveFiles(const fs::path& Corpus) {
  PutText(Corpus / "options" / "defaults",
          "0\r\n1\r\n1\r\n_______\r\n1\r\n9\r\n(\xA0\x96<z\xE2\xF6R>\r\n");
  PutText(Corpus / "options" / "changed", "1\r\n0\r\n0\r\nNew Zealand \r\n2\r\n12\r\nXYZ\r\n");
  PutText(Corpus / "options" / "short", "1\n0\n");
  std::string Table;
  const char* Names[10] = {"ANONYMOUS", "Duck",         "",  "a b c",    "QUACK", "x",
                           "",          "LongName1234", "Z", "ANONYMOUS"};
  const int Scores[10] = {90000, 5000, 4500, 4000, 3500, 77, 0, -5, -100, -2147483647};
  for (int I = 0; I < 10; ++I)
    Table += std::string(Names[I]) + "\r\n" + std::to_string(Scores[I]) + "\r\n";
  PutText(Corpus / "highscores" / "table", Table);
  std::string Defaults;
  for (int I = 1; I <= 10; ++I)
    Defaults += "ANONYMOUS\r\n" + std::to_string(5500 - 500 * I) + "\r\n";
  PutText(Corpus / "highscores" / "defaults", Defaults);
  PutText(Corpus / "onlineini" / "full",
          "# where the scores go\n[online]\nhost = scores.example.org\nport=8080\nkey=Q\n"
          "alphabet=ZYXWVUTSRQPONMLKJIHGFEDCBA765432\nhome=https://example.org/duck\n");
  PutText(Corpus / "onlineini" / "bad",
          "; comment\nhost=\nport=99999\nkey=qq\nnonsense\n"
          "alphabet=AAAA\ncolour=red\r\nhome=ftp://x\n");
}

}  // namespace

// Two short recorded games, and copies of one whose body is cut or changed and wrapped again
// with a correct length and checksum: only the body's reader and the player can refuse them.
void Recordings(const fs::path& Folder) {
  for (const char* Game : {"bot-short.tbr", "keys-short.tbr"}) {
    std::ifstream In(fs::path(TB_GAMES_DIR) / Game, std::ios::binary);
    Put(Folder / Game, Bytes(std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>()));
  }
  std::ifstream In(fs::path(TB_GAMES_DIR) / "bot-short.tbr", std::ios::binary);
  const Bytes Body =
      ReplayBodyOf(Bytes(std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>()));
  // Cut in the start files, in the recorded input and in the frames' checks.
  for (const size_t Cut : {Body.size() / 50, Body.size() / 2, Body.size() - 7})
    Put(Folder / ("cut-" + std::to_string(Cut) + ".tbr"),
        ReplayFileOfBody(Bytes(Body.begin(), Body.begin() + static_cast<ptrdiff_t>(Cut))));
  // One byte changed at the same three depths, to values that make long varints and counts.
  for (const size_t At : {Body.size() / 50, Body.size() / 2, Body.size() - 7}) {
    Bytes B = Body;
    B[At] = 0xFF;
    Put(Folder / ("changed-" + std::to_string(At) + ".tbr"), ReplayFileOfBody(B));
  }
}

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fuzz-seeds CORPUS-FOLDER\n");
    return 2;
  }
  const fs::path Corpus = argv[1];
  ImagePacks(Corpus / "imagepack");
  SoundPacks(Corpus / "soundpack");
  SaveFiles(Corpus);
  Recordings(Corpus / "replay");
  return 0;
}
