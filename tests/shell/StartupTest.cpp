// The main window's start-up with the built packs on the fake platform: the packs load in
// order, the menu backdrop is the first picture, and a missing or damaged pack stops the
// start-up with a message naming the file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "game/ScrollBackground.h"
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
