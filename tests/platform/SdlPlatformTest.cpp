#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sdl/Letterbox.h"
#include "platform/sdl/SdlFonts.h"
#include "platform/sdl/SdlKeyboard.h"
#include "platform/sdl/SdlText.h"

namespace {

// USB usage numbers of a few keys (SDL's scancodes) and SDL key symbols.
constexpr int32_t ScA = 4, ScQ = 20, Sc1 = 30, Sc0 = 39, ScReturn = 40, ScEscape = 41, ScSpace = 44,
                  ScF9 = 66, ScRight = 79, ScLeft = 80, ScDown = 81, ScUp = 82, ScKp1 = 89,
                  ScKpEnter = 88, ScLCtrl = 224, ScLShift = 225, ScLAlt = 226, ScRAlt = 230;
constexpr int32_t KeyUnknown = 0;

}  // namespace

TEST(SdlKeys, ScancodesBecomeWindowsVirtualKeys) {
  struct TCase {
    int32_t Scancode, Keycode, TableVk, EventVk;
  };
  const TCase Cases[] = {
      {ScA, 'a', 65, 65},
      // An AZERTY 'A' sits on the QWERTY Q key: the letter counts, as on Windows.
      {ScQ, 'a', 65, 65},
      {Sc1, '1', 49, 49},
      {Sc0, '0', 48, 48},
      {ScReturn, '\r', 13, 13},
      {ScKpEnter, KeyUnknown, 13, 13},
      {ScEscape, 27, 27, 27},
      {ScSpace, ' ', 32, 32},
      {ScF9, KeyUnknown, 120, 120},
      {ScLeft, KeyUnknown, 37, 37},
      {ScUp, KeyUnknown, 38, 38},
      {ScRight, KeyUnknown, 39, 39},
      {ScDown, KeyUnknown, 40, 40},
      // The keypad's 1 is VK_NUMPAD1 whatever symbol the layout gives it.
      {ScKp1, '1', 97, 97},
      {ScLShift, KeyUnknown, 160, 16},
      {ScLCtrl, KeyUnknown, 162, 17},
      {ScLAlt, KeyUnknown, 164, 18},
      {ScRAlt, KeyUnknown, 165, 18},
      {0, KeyUnknown, 0, 0},
  };
  for (const TCase& C : Cases) {
    EXPECT_EQ(VirtualKeyOf(C.Scancode, C.Keycode), C.TableVk) << "scancode " << C.Scancode;
    EXPECT_EQ(EventVirtualKey(C.Scancode, C.Keycode), C.EventVk) << "scancode " << C.Scancode;
  }
}

TEST(SdlText, Latin1RoundTripsThroughUtf8) {
  const std::string Latin1 =
      "Gr\xFC\xDF"
      "e \xE9t\xE9 \xA9";
  const std::string Utf8 = Latin1ToUtf8(Latin1);
  EXPECT_EQ(Utf8,
            "Gr\xC3\xBC\xC3\x9F"
            "e \xC3\xA9t\xC3\xA9 \xC2\xA9");
  const std::vector<unsigned char> Back = Utf8ToLatin1(Utf8.c_str());
  EXPECT_EQ(std::string(Back.begin(), Back.end()), Latin1);
  // Characters the game cannot show, and broken sequences, are dropped.
  const std::vector<unsigned char> Dropped = Utf8ToLatin1(
      "a\xE2\x82\xAC"
      "b\xC3"
      "c\x80");
  EXPECT_EQ(std::string(Dropped.begin(), Dropped.end()), "abc");
}

TEST(SdlFonts, GameFacesMatchInstalledFontsAt96Dpi) {
  // The playable folder's alias file: on Windows the shipped fonts stand beside it.
  TSdlFonts Fonts(TB_BINARY_DIR "/game/Data/fonts.conf");
  struct TCase {
    const char* Face;
    const char* FileHas;
  };
  const TCase Cases[] = {
      {"Freeset", "ComicNeue"},
      {"DS Crystal", "DejaVuSansMono"},
      {"Courier", "DejaVuSansMono"},
  };
  for (const TCase& C : Cases) {
    int Index = 0;
    bool IsBold = true;
    const std::string File = Fonts.MatchFile(C.Face, false, Index, IsBold);
    EXPECT_NE(File.find(C.FileHas), std::string::npos) << C.Face << " -> " << File;
    EXPECT_FALSE(IsBold) << C.Face;
  }
  // 12 points at 96 DPI are 16 pixels: a line of that font is about that high.
  const TFontHandle Mono = Fonts.OpenFont("Courier", 12, false);
  ASSERT_NE(Mono, 0);
  EXPECT_EQ(Fonts.OpenFont("Courier", 12, false), Mono);
  int32_t W = 0, H = 0;
  Fonts.TextExtent(Mono, "0123456789", W, H);
  EXPECT_GE(H, 16);
  EXPECT_LE(H, 22);
  EXPECT_GE(W, 90);  // ten monospaced digits of ~9.6 px
  EXPECT_LE(W, 110);

  // Drawing blends glyphs over the picture with a clear brush: the background stays.
  std::vector<uint32_t> Picture(64 * 32, 0x00000080u);
  Fonts.DrawText(Mono, "II", 0x00FFFFFF, Picture.data(), 64, 32, 64 * 4, 2, 2);
  int32_t White = 0, Untouched = 0;
  for (uint32_t P : Picture) {
    White += P == 0x00FFFFFFu;
    Untouched += P == 0x00000080u;
  }
  EXPECT_GT(White, 10);
  EXPECT_GT(Untouched, 64 * 32 / 2);
  // Drawing far outside the picture is clipped away without touching memory.
  Fonts.DrawText(Mono, "II", 0x00FFFFFF, Picture.data(), 64, 32, 64 * 4, -500, 900);
}

TEST(Letterbox, PictureKeepsItsAspectCentred) {
  struct TCase {
    int32_t W, H;
    TLetterbox Expected;
  };
  const TCase Cases[] = {
      {800, 600, {0, 0, 800, 600}},     {1920, 1080, {240, 0, 1440, 1080}},
      {1280, 1024, {0, 32, 1280, 960}}, {1024, 768, {0, 0, 1024, 768}},
      {801, 600, {0, 0, 800, 600}},     {0, 600, {0, 0, 0, 0}},
  };
  for (const TCase& C : Cases) {
    const TLetterbox B = LetterboxRect(C.W, C.H, 800, 600);
    EXPECT_EQ(B.X, C.Expected.X) << C.W << "x" << C.H;
    EXPECT_EQ(B.Y, C.Expected.Y) << C.W << "x" << C.H;
    EXPECT_EQ(B.W, C.Expected.W) << C.W << "x" << C.H;
    EXPECT_EQ(B.H, C.Expected.H) << C.W << "x" << C.H;
  }
}

TEST(Letterbox, MousePositionsMapBackToPicturePixels) {
  const TLetterbox B = LetterboxRect(1920, 1080, 800, 600);  // 240 px bars left and right
  struct TCase {
    int32_t Ax, Ay, X, Y;
  };
  const TCase Cases[] = {
      {240, 0, 0, 0},         {1679, 1079, 799, 599},
      {960, 540, 400, 300},   {100, 500, 0, 277},  // in the left bar: pinned to the left edge
      {1900, 1200, 799, 599},
  };
  for (const TCase& C : Cases) {
    int32_t X = -1, Y = -1;
    AreaToPicture(B, 800, 600, C.Ax, C.Ay, X, Y);
    EXPECT_EQ(X, C.X) << C.Ax << "," << C.Ay;
    EXPECT_EQ(Y, C.Y) << C.Ax << "," << C.Ay;
  }
}
