// The pack builder's parts: palette tokens, manifest lines, the reader's pattern grid,
// rasterising with edge resolution, and the build command's checks and messages.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "tools/dxpack/Commands.h"
#include "tools/dxpack/Files.h"
#include "tools/dxpack/Manifest.h"
#include "tools/dxpack/PackReader.h"
#include "tools/dxpack/Palette.h"
#include "tools/dxpack/Raster.h"

namespace fs = std::filesystem;
using namespace dxpack;

namespace {

fs::path FreshDir(const std::string& Name) {
  fs::path D = fs::path(TB_BINARY_DIR) / "test-scratch" / "dxpack" / Name;
  fs::remove_all(D);
  fs::create_directories(D);
  return D;
}

void Put(const fs::path& P, const std::string& Text) {
  std::ofstream(P, std::ios::binary) << Text;
}

std::string Svg(int W, int H, const std::string& Body) {
  return "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + std::to_string(W) + "\" height=\"" +
         std::to_string(H) + "\" viewBox=\"0 0 " + std::to_string(W) + " " + std::to_string(H) +
         "\">" + Body + "</svg>";
}

TPalette SmallPalette() {
  TPalette P;
  std::string Error;
  EXPECT_TRUE(
      ParsePalette("# c\nkey #ff00ff\nduck-green #2f9d57\nwhite #ffffff\n", "pal.txt", P, Error))
      << Error;
  return P;
}

}  // namespace

TEST(DxpackPalette, TokensAreReplacedAndUnknownOnesNamed) {
  TPalette P = SmallPalette();
  std::string Out, Error;
  ASSERT_TRUE(SubstituteTokens("fill=\"@duck-green\" stroke=\"@white\"", P, "a.svg", Out, Error));
  EXPECT_EQ(Out, "fill=\"#2f9d57\" stroke=\"#ffffff\"");
  EXPECT_FALSE(SubstituteTokens("fill=\"@duck-blue\"", P, "duck.svg", Out, Error));
  EXPECT_NE(Error.find("duck.svg"), std::string::npos) << Error;
  EXPECT_NE(Error.find("@duck-blue"), std::string::npos) << Error;
}

TEST(DxpackPalette, BadLinesAreRejectedWithTheirLine) {
  struct Case {
    const char* Text;
    const char* Expect;
  } Cases[] = {
      {"a #12345\n", "pal.txt:1"},
      {"a #ffffff\nb ffffff\n", "pal.txt:2"},
      {"a #ffffff\na #000000\n", "defined twice"},
      {"a #ffffff extra\n", "pal.txt:1"},
  };
  for (const Case& C : Cases) {
    TPalette P;
    std::string Error;
    EXPECT_FALSE(ParsePalette(C.Text, "pal.txt", P, Error)) << C.Text;
    EXPECT_NE(Error.find(C.Expect), std::string::npos) << C.Text << " -> " << Error;
  }
}

TEST(DxpackManifest, ReadsPictureAndSoundLines) {
  TManifest M;
  std::string Error;
  ASSERT_TRUE(
      ParseManifest("# comment\n\nPlayer player.svg 120 90 8 0 0 #ff00ff video  # duck\n"
                    "MMB mmb.svg 0 0 1 2 3 #00ffff system\n",
                    "m.txt", M, Error))
      << Error;
  ASSERT_EQ(M.Kind, TPackKind::Image);
  ASSERT_EQ(M.Images.size(), 2u);
  EXPECT_EQ(M.Images[0].Name, "Player");
  EXPECT_EQ(M.Images[0].PatternWidth, 120);
  EXPECT_EQ(M.Images[0].Count, 8);
  EXPECT_EQ(M.Images[0].KeyRgb, 0xFF00FFu);
  EXPECT_FALSE(M.Images[0].SystemMemory);
  EXPECT_EQ(M.Images[1].SkipWidth, 2);
  EXPECT_EQ(M.Images[1].SkipHeight, 3);
  EXPECT_EQ(M.Images[1].KeyRgb, 0x00FFFFu);
  EXPECT_TRUE(M.Images[1].SystemMemory);
  EXPECT_EQ(M.Images[1].Line, 4);

  ASSERT_TRUE(ParseManifest("Button button.snd no 0\nMusic loop.wav yes 2\n", "s.txt", M, Error))
      << Error;
  ASSERT_EQ(M.Kind, TPackKind::Sound);
  ASSERT_EQ(M.Sounds.size(), 2u);
  EXPECT_FALSE(M.Sounds[0].Looped);
  EXPECT_TRUE(M.Sounds[1].Looped);
  EXPECT_EQ(M.Sounds[1].MaxPlayingCount, 2);
}

TEST(DxpackManifest, FaultsNameTheLine) {
  struct Case {
    const char* Text;
    const char* Expect;
  } Cases[] = {
      {"A a.svg 0 0 1 0 0 #ff00ff\n", "m.txt:1: expected 9 fields"},
      {"A a.svg 0 0 1 0 0 #ff00ff video\nB b.svg -1 0 1 0 0 #ff00ff video\n", "m.txt:2: pattern_w"},
      {"A a.svg 0 0 0 0 0 #ff00ff video\n", "count must be at least 1"},
      {"A a.svg 0 0 1 0 0 magenta video\n", "key 'magenta'"},
      {"A a.svg 0 0 1 0 0 #ff00ff vram\n", "memory 'vram'"},
      {"Player a.svg 0 0 1 0 0 #ff00ff video\nPLAYER b.svg 0 0 1 0 0 #ff00ff video\n",
       "m.txt:2: name 'PLAYER' used twice"},
      {"A a.svg 0 0 1 0 0 #ff00ff video\nB b.snd no 0\n", "m.txt:2: pictures and sounds mixed"},
      {"B b.snd maybe 0\n", "looped 'maybe'"},
      {"B b.snd no x\n", "max_playing 'x'"},
      {"# nothing\n", "no items"},
  };
  for (const Case& C : Cases) {
    TManifest M;
    std::string Error;
    EXPECT_FALSE(ParseManifest(C.Text, "m.txt", M, Error)) << C.Text;
    EXPECT_NE(Error.find(C.Expect), std::string::npos) << C.Text << " -> " << Error;
  }
}

TEST(DxpackGrid, CountsAsThePackReaderCuts) {
  struct Case {
    int W, H, PW, PH, SW, SH, Count;
    bool Exact;
  } Cases[] = {
      {256, 64, 64, 64, 0, 0, 4, true},   // four in a row
      {130, 64, 64, 0, 2, 0, 2, true},    // stride 66: (130 + 2) / 66
      {800, 600, 0, 0, 0, 0, 1, true},    // whole picture
      {960, 90, 120, 90, 0, 0, 8, true},  // the duck's eight frames
      {250, 44, 64, 44, 0, 0, 3, false},  // frames misaligned with the pattern size
      {128, 64, 64, 32, 0, 0, 4, true},   // two rows
      {60, 40, 64, 40, 0, 0, 0, false},   // pattern wider than the picture
  };
  for (const Case& C : Cases) {
    bool Exact = !C.Exact;
    EXPECT_EQ(GridCount(C.W, C.H, C.PW, C.PH, C.SW, C.SH, &Exact), C.Count)
        << C.W << "x" << C.H << " / " << C.PW << "x" << C.PH;
    EXPECT_EQ(Exact, C.Exact) << C.W << "x" << C.H << " / " << C.PW << "x" << C.PH;
  }
}

TEST(DxpackRaster, EdgesResolveToOpaqueOrKeyWithoutPremultipliedDarkening) {
  // Left half: white at 60% opacity (stays, and must come out white, not the premultiplied
  // grey); right half: white at 40% (becomes the key).
  const std::string Text =
      Svg(4, 2,
          "<rect x='0' y='0' width='2' height='2' fill='#ffffff' fill-opacity='0.6'/>"
          "<rect x='2' y='0' width='2' height='2' fill='#ffffff' fill-opacity='0.4'/>");
  TImage Image;
  std::string Error;
  ASSERT_TRUE(RasteriseSvg(Text, "t.svg", 0xFF00FF, Image, Error)) << Error;
  ASSERT_EQ(Image.Width, 4);
  ASSERT_EQ(Image.Height, 2);
  for (int Y = 0; Y < 2; ++Y) {
    EXPECT_EQ(Image.At(0, Y), 0xFFFFFFu);
    EXPECT_EQ(Image.At(1, Y), 0xFFFFFFu);
    EXPECT_EQ(Image.At(2, Y), 0xFF00FFu);
    EXPECT_EQ(Image.At(3, Y), 0xFF00FFu);
  }
}

TEST(DxpackRaster, OpaqueArtNeverEqualsTheKey) {
  struct Case {
    uint32_t Key;
    const char* Fill;
    uint32_t Expect;
  } Cases[] = {
      {0xFF00FF, "#ff00ff", 0xFF00FE},  // blue 255 steps down
      {0x00FF00, "#00ff00", 0x00FF01},  // blue 0 steps up
      {0xFF00FF, "#2f9d57", 0x2F9D57},  // other colours stay
  };
  for (const Case& C : Cases) {
    TImage Image;
    std::string Error;
    ASSERT_TRUE(
        RasteriseSvg(Svg(3, 3, std::string("<rect width='3' height='3' fill='") + C.Fill + "'/>"),
                     "k.svg", C.Key, Image, Error))
        << Error;
    for (uint32_t V : Image.Rgb) EXPECT_EQ(V, C.Expect) << C.Fill;
  }
}

TEST(DxpackRaster, BadSourcesAreNamed) {
  struct Case {
    std::string Text;
    const char* Expect;
  } Cases[] = {
      {"<svg xmlns='http://www.w3.org/2000/svg'><rect/>", "bad.svg: not a readable SVG"},
      {"<svg xmlns='http://www.w3.org/2000/svg' viewBox='0 0 4 4'/>", "width and height"},
      {"<svg xmlns='http://www.w3.org/2000/svg' width='10.5' height='4'/>", "whole number"},
      {"<svg xmlns='http://www.w3.org/2000/svg' width='100000' height='4'/>", "whole number"},
  };
  for (const Case& C : Cases) {
    TImage Image;
    std::string Error;
    EXPECT_FALSE(RasteriseSvg(C.Text, "bad.svg", 0xFF00FF, Image, Error)) << C.Text;
    EXPECT_NE(Error.find(C.Expect), std::string::npos) << C.Text << " -> " << Error;
  }
}

TEST(DxpackFiles, ItemNamesCannotClimbOutOfTheExtractFolder) {
  struct Case {
    const char* Name;
    const char* File;
  } Cases[] = {
      {"Player", "Player"},
      {"MM_1_A", "MM_1_A"},
      {"../../etc/x", "______etc_x"},
      {"/abs", "_abs"},
      {"", "_"},
      {"a b.c", "a_b_c"},
  };
  for (const Case& C : Cases) EXPECT_EQ(SafeFileName(C.Name), C.File) << C.Name;
}

TEST(DxpackWave, FormatAndLengthAreRead) {
  // 22050 Hz mono 16-bit, 2205 samples: 100 ms; an odd extra chunk before the data.
  std::vector<uint8_t> W;
  auto Tag = [&](const char* T) {
    for (int I = 0; I < 4; ++I) W.push_back(static_cast<uint8_t>(T[I]));
  };
  auto U32 = [&](uint32_t V) {
    for (int I = 0; I < 4; ++I) W.push_back(static_cast<uint8_t>(V >> (8 * I)));
  };
  auto U16 = [&](uint16_t V) {
    W.push_back(static_cast<uint8_t>(V));
    W.push_back(static_cast<uint8_t>(V >> 8));
  };
  Tag("RIFF");
  U32(0);
  Tag("WAVE");
  Tag("fmt ");
  U32(16);
  U16(1);
  U16(1);
  U32(22050);
  U32(44100);
  U16(2);
  U16(16);
  Tag("LIST");
  U32(3);
  W.insert(W.end(), {1, 2, 3});
  Tag("data");
  U32(4410);
  W.resize(W.size() + 4410);
  TPackSound S;
  std::string Error;
  ASSERT_TRUE(InspectWave(W, S, Error)) << Error;
  EXPECT_EQ(S.Channels, 1);
  EXPECT_EQ(S.Rate, 22050);
  EXPECT_EQ(S.Bits, 16);
  EXPECT_EQ(S.LengthMs, 100);

  std::vector<uint8_t> NoData(W.begin(), W.begin() + 36);
  EXPECT_FALSE(InspectWave(NoData, S, Error));
  EXPECT_NE(Error.find("no data chunk"), std::string::npos) << Error;
  std::vector<uint8_t> NotWave = W;
  NotWave[8] = 'X';
  EXPECT_FALSE(InspectWave(NotWave, S, Error));
}

class DxpackBuild : public ::testing::Test {
 protected:
  void SetUp() override {
    Dir = FreshDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
    Put(Dir / "palette.txt", "key #ff00ff\nred #e2382b\nwhite #ffffff\noutline #2a1c14\n");
    // Three 10 x 8 frames side by side, each a red square with a white dot at a frame-
    // dependent place, and a single 6 x 4 picture.
    std::string Frames;
    for (int F = 0; F < 3; ++F)
      Frames += "<rect x='" + std::to_string(10 * F + 1) +
                "' y='1' width='8' height='6' fill='@red'/><rect x='" +
                std::to_string(10 * F + 2 + F) + "' y='2' width='1' height='1' fill='@white'/>";
    Put(Dir / "anim.svg", Svg(30, 8, Frames));
    Put(Dir / "one.svg", Svg(6, 4, "<rect width='6' height='4' fill='@outline'/>"));
  }
  bool Build(const std::string& Manifest, std::string& Error, const std::string& Out = "p.dxg") {
    Put(Dir / "manifest.txt", Manifest);
    return CommandBuild((Dir / "manifest.txt").string(), (Dir / "out" / Out).string(), Error);
  }
  fs::path Dir;
};

TEST_F(DxpackBuild, BuiltPackListsExtractsAndSheets) {
  std::string Error;
  ASSERT_TRUE(Build(
      "Anim anim.svg 10 8 3 0 0 #ff00ff video\nOne one.svg 0 0 1 0 0 #ff00ff system\n", Error))
      << Error;
  const std::string Pack = (Dir / "out" / "p.dxg").string();
  std::string Listing;
  ASSERT_TRUE(CommandList(Pack, Listing, Error)) << Error;
  EXPECT_NE(Listing.find("Anim"), std::string::npos) << Listing;
  EXPECT_NE(Listing.find("30 x 8"), std::string::npos) << Listing;
  EXPECT_NE(Listing.find("pattern   10 x 8    x 3"), std::string::npos) << Listing;
  EXPECT_NE(Listing.find("key #ff00ff"), std::string::npos) << Listing;
  EXPECT_NE(Listing.find("One"), std::string::npos) << Listing;

  TPackContents Contents;
  ASSERT_TRUE(ReadPack(Pack, Contents, Error)) << Error;
  ASSERT_EQ(Contents.Pictures.size(), 2u);
  const TPackPicture& A = Contents.Pictures[0];
  ASSERT_EQ(A.Patterns.size(), 3u);
  EXPECT_EQ(A.Patterns[2], Bounds(20, 0, 10, 8));
  // The white dot of frame f is at x = 10 f + 2 + f: frames are where the grid says.
  for (int F = 0; F < 3; ++F) EXPECT_EQ(A.Rgb[2 * A.Width + 10 * F + 2 + F], 0xFFFFFFu) << F;
  EXPECT_EQ(A.Rgb[0], 0xFF00FFu);
  EXPECT_EQ(A.Rgb[1 * A.Width + 1], 0xE2382Bu);
  EXPECT_TRUE(Contents.Pictures[1].SystemMemory);

  ASSERT_TRUE(CommandExtract(Pack, (Dir / "x").string(), Error)) << Error;
  EXPECT_TRUE(fs::exists(Dir / "x" / "Anim.png"));
  EXPECT_TRUE(fs::exists(Dir / "x" / "One.png"));
  ASSERT_TRUE(CommandSheet(Pack, (Dir / "sheet.png").string(), Error)) << Error;
  EXPECT_GT(fs::file_size(Dir / "sheet.png"), 100u);
}

TEST_F(DxpackBuild, FaultsNameTheFileAndLeaveNoPack) {
  struct Case {
    std::string Manifest;
    std::string Out;
    std::string Expect;
  } Cases[] = {
      {"Anim anim.svg 10 8 4 0 0 #ff00ff video\n", "p.dxg",
       "gives 3 patterns, the manifest says 4"},
      {"Anim anim.svg 12 8 2 0 0 #ff00ff video\n", "p.dxg", "does not divide into whole patterns"},
      {"Anim anim.svg 40 8 1 0 0 #ff00ff video\n", "p.dxg", "does not fit"},
      {"Gone gone.svg 0 0 1 0 0 #ff00ff video\n", "p.dxg", "gone.svg: cannot open"},
      {"Pic one.png 0 0 1 0 0 #ff00ff video\n", "p.dxg", "not an .svg file"},
      {"Anim anim.svg 10 8 3 0 0 #ff00ff video\n", "p.dxw", "cannot be built from"},
      {"Snd noise.wav no 0\n", "p.dxw", "noise.wav: cannot open"},
  };
  for (const Case& C : Cases) {
    std::string Error;
    EXPECT_FALSE(Build(C.Manifest, Error, C.Out)) << C.Manifest;
    EXPECT_NE(Error.find(C.Expect), std::string::npos) << C.Manifest << " -> " << Error;
    EXPECT_FALSE(fs::exists(Dir / "out" / C.Out)) << C.Manifest;
  }
  Put(Dir / "bad.svg", Svg(4, 4, "<rect fill='@purple' width='4' height='4'/>"));
  std::string Error;
  EXPECT_FALSE(Build("Bad bad.svg 0 0 1 0 0 #ff00ff video\n", Error));
  EXPECT_NE(Error.find("bad.svg: colour token '@purple'"), std::string::npos) << Error;
}

TEST_F(DxpackBuild, ReadingSomethingThatIsNotAPackFails) {
  Put(Dir / "junk.dxg", "this is not a pack at all");
  std::string Out, Error;
  EXPECT_FALSE(CommandList((Dir / "junk.dxg").string(), Out, Error));
  EXPECT_NE(Error.find("junk.dxg"), std::string::npos) << Error;
  EXPECT_FALSE(CommandList((Dir / "missing.dxg").string(), Out, Error));
  EXPECT_NE(Error.find("missing.dxg"), std::string::npos) << Error;
}

TEST(DxpackProgram, BadInputExitsNonZeroWithAMessage) {
  const fs::path Dir = FreshDir("program");
  const std::string Tool = std::string(TB_BINARY_DIR) + "/bin/dxpack";
  const std::string Err = (Dir / "err.txt").string();
  const std::string Cmds[] = {
      Tool + " build " + (Dir / "none.txt").string() + " " + (Dir / "o.dxg").string(),
      Tool + " list " + (Dir / "none.dxg").string(),
      Tool + " frobnicate",
  };
  for (const std::string& Cmd : Cmds) {
    const int Rc = std::system((Cmd + " 2>" + Err).c_str());
    EXPECT_NE(Rc, 0) << Cmd;
    std::string Text, Error;
    ASSERT_TRUE(ReadFileText(Err, Text, Error));
    EXPECT_FALSE(Text.empty()) << Cmd;
  }
}

TEST_F(DxpackBuild, SoundPackFromAWaveFileListsItsFormat) {
  // 44100 Hz mono 16-bit, 4410 samples of silence: 100 ms.
  std::vector<uint8_t> W;
  auto Bytes = [&](const std::string& S) { W.insert(W.end(), S.begin(), S.end()); };
  auto U32 = [&](uint32_t V) {
    for (int I = 0; I < 4; ++I) W.push_back(static_cast<uint8_t>(V >> (8 * I)));
  };
  auto U16 = [&](uint16_t V) {
    W.push_back(static_cast<uint8_t>(V));
    W.push_back(static_cast<uint8_t>(V >> 8));
  };
  Bytes("RIFF");
  U32(36 + 8820);
  Bytes("WAVEfmt ");
  U32(16);
  U16(1);
  U16(1);
  U32(44100);
  U32(88200);
  U16(2);
  U16(16);
  Bytes("data");
  U32(8820);
  W.resize(W.size() + 8820);
  Put(Dir / "hush.wav", std::string(W.begin(), W.end()));
  std::string Error;
  ASSERT_TRUE(Build("Hush hush.wav yes 3\n", Error, "s.dxw")) << Error;
  std::string Listing;
  ASSERT_TRUE(CommandList((Dir / "out" / "s.dxw").string(), Listing, Error)) << Error;
  EXPECT_NE(Listing.find("Hush"), std::string::npos) << Listing;
  EXPECT_NE(Listing.find("1 ch  44100 Hz 16 bit    100 ms  looped yes limit 3"), std::string::npos)
      << Listing;
  ASSERT_TRUE(CommandExtract((Dir / "out" / "s.dxw").string(), (Dir / "x").string(), Error))
      << Error;
  std::vector<uint8_t> Back;
  ASSERT_TRUE(ReadFileBytes((Dir / "x" / "Hush.wav").string(), Back, Error)) << Error;
  EXPECT_EQ(Back, W);
  EXPECT_FALSE(CommandSheet((Dir / "out" / "s.dxw").string(), (Dir / "s.png").string(), Error));
}
