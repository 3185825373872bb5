// The main window's start-up with the built packs on the fake platform: the packs load in
// order, the menu backdrop is the first picture, and a missing or damaged pack stops the
// start-up with a message naming the file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "game/ScrollBackground.h"
#include "platform/fake/FakeAudio.h"
#include "platform/fake/FakePlatform.h"
#include "shell/MainForm.h"

namespace fs = std::filesystem;

namespace {

const std::string GameDir = std::string(TB_BINARY_DIR) + "/game/";

// A playable folder of its own whose packs a test may break.
fs::path CopyOfGameData(const std::string& Name) {
  const fs::path D = fs::path(TB_BINARY_DIR) / "test-scratch" / "startup" / Name;
  fs::remove_all(D);
  fs::create_directories(D / "Data" / "Res");
  for (const char* F : {"Res1.dxg", "Res2.dxg"})
    fs::copy_file(fs::path(GameDir) / "Data/Res" / F, D / "Data/Res" / F);
  return D;
}

}  // namespace

TEST(Startup, MenuBackdropIsTheFirstPicture) {
  TFakePlatform P;
  TMForm Form(P);
  Form.DataRoot = GameDir;
  Form.SaveRoot = (fs::path(TB_BINARY_DIR) / "test-scratch" / "startup" / "saves").string() + "/";
  std::string Error;
  ASSERT_TRUE(Form.FormCreate(Error)) << Error;
  EXPECT_GT(Form.MDXImageList1.Items().Count(), 30);
  EXPECT_GT(Form.MDXImageList2.Items().Count(), 30);
  for (int I = 0; I < 5; ++I) {
    P.FakeClock.Advance(12);
    Form.RunFrame();
  }
  ASSERT_GT(P.FakeWindow.Presents, 0);
  const TPresentedPicture& Shown = P.FakeWindow.LastPresented;
  ASSERT_EQ(Shown.Width, 800);
  ASSERT_EQ(Shown.Height, 600);
  const TPictureCollectionItem& Mmb = Form.MDXImageList1.Items().Find("MMB");
  // The backdrop is the one sky background, kept by the shell for the whole run: a still
  // strip of four cells at the bottom of the tree.
  const TScrollBackground* Sky = Form.Shell.SkyBackground;
  ASSERT_NE(Sky, nullptr);
  EXPECT_EQ(Sky->Image(), &Mmb);
  EXPECT_EQ(Sky->ImageList, 1);
  EXPECT_EQ(Sky->Columns(), 4);
  EXPECT_EQ(Sky->Z(), 2);
  EXPECT_EQ(Sky->X, 0);
  EXPECT_EQ(Sky->SpeedX, 0);
  const TDirectDrawSurface& Pic = Mmb.Picture.Pixels;
  // Sky, sun, title, duck, meadow and the open sky behind the buttons.
  const int Points[][2] = {{5, 5}, {62, 58}, {240, 120}, {250, 380}, {100, 590}, {620, 300}};
  for (const auto& Pt : Points)
    EXPECT_EQ(Shown.Pixel(Pt[0], Pt[1]) & 0xFFFFFFu, Pic.Pixel(Pt[0], Pt[1]) & 0xFFFFFFu)
        << Pt[0] << ", " << Pt[1];
}

TEST(Startup, MissingOrDamagedPackStopsWithItsName) {
  struct Case {
    const char* Name;
    const char* Break;  // the pack to remove or damage
    bool Remove;
  } Cases[] = {
      {"no-res1", "Res1.dxg", true},
      {"no-res2", "Res2.dxg", true},
      {"bad-res2", "Res2.dxg", false},
  };
  for (const Case& C : Cases) {
    const fs::path D = CopyOfGameData(C.Name);
    const fs::path Target = D / "Data/Res" / C.Break;
    if (C.Remove) {
      fs::remove(Target);
    } else {
      fs::resize_file(Target, fs::file_size(Target) / 3);
    }
    TFakePlatform P;
    TMForm Form(P);
    Form.DataRoot = D.string() + "/";
    std::string Error;
    EXPECT_FALSE(Form.FormCreate(Error)) << C.Name;
    EXPECT_NE(Error.find(std::string("Data/Res/") + C.Break + " cannot be loaded: "),
              std::string::npos)
        << C.Name << ": " << Error;
  }
}

namespace {

// A form started on the built playable folder with saves of its own.
std::unique_ptr<TMForm> FormWithSound(TFakePlatform& P) {
  P.SetAudio(std::make_unique<TFakeAudio>());
  return std::make_unique<TMForm>(P);
}

struct TStarted {
  TFakePlatform P;
  std::unique_ptr<TMForm> Owned = FormWithSound(P);
  TMForm& Form = *Owned;
  bool Started = false;
  std::string Error;
  explicit TStarted(const std::string& Root = GameDir) {
    Form.DataRoot = Root;
    Form.SaveRoot =
        (fs::path(TB_BINARY_DIR) / "test-scratch" / "startup" / "saves2").string() + "/";
    Started = Form.FormCreate(Error);
  }
  void Frame() {
    P.FakeClock.Advance(12);
    Form.RunFrame();
  }
  bool Decoded(TDXImageList& List, const char* Name) {
    return !List.Items().Find(Name).Picture.Empty();
  }
};

}  // namespace

TEST(Startup, TheMenuShowsFirstAndTheRestFollowsFrameByFrame) {
  TStarted S;
  ASSERT_TRUE(S.Started) << S.Error;
  TMForm& F = S.Form;
  // Only what the menu's first picture shows is decoded, and nothing sounds yet.
  EXPECT_TRUE(S.Decoded(F.MDXImageList1, "MMB"));
  EXPECT_TRUE(S.Decoded(F.MDXImageList1, "MM_6_I"));
  EXPECT_FALSE(S.Decoded(F.MDXImageList1, "Window"));
  EXPECT_FALSE(S.Decoded(F.MDXImageList2, "SkyTile"));
  EXPECT_FALSE(F.MDXSound.Initialized());
  EXPECT_TRUE(S.P.FakeMusic.Loaded.empty());
  EXPECT_TRUE(F.StartupPending());

  S.Frame();
  ASSERT_EQ(S.P.FakeWindow.Presents, 1);
  EXPECT_TRUE(F.MDXSound.Initialized()) << "opened after the first picture";
  int Frames = 1;
  while (F.StartupPending() && Frames < 200) {
    S.Frame();
    ++Frames;
  }
  ASSERT_FALSE(F.StartupPending());
  EXPECT_GT(Frames, 5) << "spread over frames, not in one";
  EXPECT_EQ(S.P.FakeWindow.Presents, Frames) << "a picture every frame meanwhile";
  EXPECT_EQ(S.P.FakeMusic.Loaded, (std::vector<std::string>{GameDir + "Data/Music/Menu.xm"}));
  for (TDXImageList* List : {&F.MDXImageList1, &F.MDXImageList2})
    for (int32_t I = 0; I < List->Items().Count(); ++I)
      EXPECT_FALSE(List->Items().Items(I).Picture.Empty()) << List->Items().Items(I).Name();
  EXPECT_NE(F.Shell.MenuIntroStep, 0) << "the buttons were still fading in";
}

TEST(Startup, WhatNeedsTheRestFinishesItFirst) {
  struct TCase {
    const char* What;
    void (*Act)(TMForm&);
  } Cases[] = {
      {"a cue", [](TMForm& F) { F.PlayCue("Button"); }},
      {"a cue with sound off",
       [](TMForm& F) {
         F.Options.SoundOn = false;
         F.PlayCue("Button");
       }},
      {"the exit question", [](TMForm& F) { F.OpenDialog(dkExitGame); }},
      {"the options", [](TMForm& F) { F.ShowOptions(); }},
      {"a game", [](TMForm& F) { F.StartGame(); }},
  };
  for (const TCase& C : Cases) {
    TStarted S;
    ASSERT_TRUE(S.Started) << S.Error;
    C.Act(S.Form);
    EXPECT_FALSE(S.Form.StartupPending()) << C.What;
    EXPECT_TRUE(S.Decoded(S.Form.MDXImageList2, "SkyTile")) << C.What;
    EXPECT_TRUE(S.Form.MDXSound.Initialized()) << C.What;
    S.Frame();
  }
}

TEST(Startup, ADamagedPictureFoundAfterTheFirstPictureEndsTheGameNamingThePack) {
  const fs::path D = CopyOfGameData("bad-picture");
  fs::copy_file(fs::path(GameDir) / "Data/Res/Sounds.dxw", D / "Data/Res/Sounds.dxw");
  // The last bitmap header of the play pack claims a size no bitmap has.
  const fs::path Pack = D / "Data/Res/Res2.dxg";
  std::string Bytes;
  {
    std::ifstream In(Pack, std::ios::binary);
    Bytes.assign(std::istreambuf_iterator<char>(In), {});
  }
  const std::string Header = std::string("\x04TDIB\x28\0\0\0", 9);
  const size_t At = Bytes.rfind(Header);
  ASSERT_NE(At, std::string::npos);
  Bytes[At + 5] = 0x29;
  std::ofstream(Pack, std::ios::binary | std::ios::trunc) << Bytes;

  TStarted S(D.string() + "/");
  ASSERT_TRUE(S.Started) << "the pack's structure is sound: " << S.Error;
  try {
    for (int I = 0; I < 200; ++I) S.Frame();
    FAIL() << "no error";
  } catch (const std::exception& E) {
    EXPECT_EQ(std::string(E.what()),
              D.string() + "/Data/Res/Res2.dxg cannot be loaded: DIB is invalid");
  }
}
