#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/fake/FakePlatform.h"
#include "shell/MainForm.h"
#include "tests/shell/VirtualKeys.h"

namespace {

// Save files of this test only: never the player's in the playable folder.
std::string ScratchSaveRoot() {
  const std::filesystem::path D = std::filesystem::path(TB_BINARY_DIR) / "test-scratch" / "saves" /
                                  ::testing::UnitTest::GetInstance()->current_test_info()->name();
  std::filesystem::remove_all(D);
  return D.string() + "/";
}

// A started game on the fake platform; the clock moves AutoAdvance ms at every read.
struct TFormFixture {
  TFakePlatform P;
  TMForm Form{P};
  explicit TFormFixture(int32_t Refresh = 60) {
    P.FakeWindow.Refresh = Refresh;
    Form.DataRoot = std::string(TB_BINARY_DIR) + "/game/";
    Form.SaveRoot = ScratchSaveRoot();
    std::string Error;
    EXPECT_TRUE(Form.FormCreate(Error)) << Error;
  }
  void Frames(int32_t N, uint32_t MsEach) {
    for (int32_t I = 0; I < N; ++I) {
      P.FakeClock.Advance(MsEach);
      Form.RunFrame();
    }
  }
};

}  // namespace

TEST(Calibration, RefreshRateOrMeasuredRate) {
  struct TCase {
    int32_t R, F;
    double Speed;
    int32_t FrameMs;
  };
  const TCase Cases[] = {
      {85, 85, 1.0, 11},
      {60, 58, 85.0 / 60, 16},
      {60, 40, 2.125, 25},
      {60, 56, 85.0 / 56, 17},  // more than 3 below: measured
      {60, 57, 85.0 / 60, 16},  // within 3 below: refresh rate
      {60, 60, 85.0 / 60, 16},
      {60, 61, 85.0 / 61, 16},  // up to 2 above: measured
      {60, 62, 85.0 / 62, 16},
      {60, 63, 85.0 / 60, 16},  // far above: refresh rate
      {60, 0, 85.0 / 60, 16},   // the first second: no measure yet
      // A refresh rate of 0 or 1 means "unknown": the measured rate, else 85.
      {0, 0, 1.0, 11},
      {1, 0, 1.0, 11},
      {0, 240, 85.0 / 240, 4},
      {1, 50, 85.0 / 50, 20},
      // Faster than 1000 frames per second: a frame still counts one millisecond.
      {0, 2500, 85.0 / 2500, 1},
  };
  for (const TCase& C : Cases) {
    const TCalibration Got = Calibrate(C.R, C.F);
    EXPECT_DOUBLE_EQ(Got.SpeedFactor, C.Speed) << "R " << C.R << " F " << C.F;
    EXPECT_EQ(Got.FrameMs, C.FrameMs) << "R " << C.R << " F " << C.F;
  }
  EXPECT_EQ(Calibrate(85, 85).SpeedFactor, 1.0);  // exactly, not nearly
}

TEST(MainForm, StartsAWindowedDisplayAndPresentsFrames) {
  TFormFixture F;
  EXPECT_TRUE(F.P.FakeWindow.Created);
  EXPECT_EQ(F.P.FakeWindow.Title, "Tallow Brackles");
  EXPECT_EQ(F.P.FakeWindow.ClientWidth, 800);
  EXPECT_EQ(F.P.FakeWindow.ClientHeight, 600);
  EXPECT_FALSE(F.P.FakeWindow.FullScreen);
  EXPECT_GE(F.P.FakeWindow.Centred, 1);
  EXPECT_EQ(F.Form.MDXDraw.Display().BitCount, 32);
  EXPECT_EQ(F.Form.MDXDraw.Options(), doWaitVBlank | doStretch | doCenter);
  EXPECT_EQ(F.Form.Shell.ScreenKind, skMainMenu);
  EXPECT_EQ(F.Form.Shell.RefreshRate, 60);

  F.Frames(3, 12);
  EXPECT_EQ(F.P.FakeWindow.Presents, 3);
  const TPresentedPicture& Shown = F.P.FakeWindow.LastPresented;
  ASSERT_EQ(Shown.Width, 800);
  ASSERT_EQ(Shown.Height, 600);
  // Left of the buttons the frame shows the menu backdrop over the black fill.
  const TDirectDrawSurface& Backdrop = F.Form.MDXImageList1.Items().Find("MMB").Picture.Pixels;
  EXPECT_EQ(Shown.Pixel(400, 300) & 0xFFFFFFu, Backdrop.Pixel(400, 300) & 0xFFFFFFu);
  EXPECT_FALSE(F.Form.MDXDraw.Canvas().Acquired());  // handed back every frame
}

TEST(MainForm, CalibratesFromTheMeasuredRate) {
  TFormFixture F(0);  // refresh rate unknown, as under Xvfb
  F.Frames(1, 10);
  // No measure yet: the rate the platform paces frames at (60 Hz), as the frames will come.
  EXPECT_DOUBLE_EQ(F.Form.Shell.SpeedFactor, 85.0 / 60);
  EXPECT_EQ(F.Form.Shell.FrameMs, 16);
  F.Frames(100, 20);  // 50 frames per second
  EXPECT_EQ(F.Form.Shell.FrameRate, 50);
  EXPECT_DOUBLE_EQ(F.Form.Shell.SpeedFactor, 85.0 / 50);
  EXPECT_EQ(F.Form.Shell.FrameMs, 20);
}

TEST(MainForm, InactiveWindowStopsTheFrames) {
  TFormFixture F;
  F.Frames(2, 10);
  TPlatformEvent Off;
  Off.Kind = TEventKind::Deactivated;
  F.P.FakeWindow.PushEvent(Off);
  F.Frames(5, 10);
  EXPECT_EQ(F.P.FakeWindow.Presents, 2);
  TPlatformEvent On;
  On.Kind = TEventKind::Activated;
  F.P.FakeWindow.PushEvent(On);
  F.Frames(1, 10);
  EXPECT_EQ(F.P.FakeWindow.Presents, 3);
}

TEST(MainForm, AltEnterSwitchesFullScreenAndBack) {
  TFormFixture F;
  F.P.FakeWindow.Placement = {50, 60, 800, 600};
  F.P.FakeWindow.PushKey(TEventKind::KeyDown, VkReturn, ssAlt);
  F.Frames(1, 10);
  EXPECT_TRUE(F.P.FakeWindow.FullScreen);
  EXPECT_FALSE(F.P.FakeWindow.Bordered);
  EXPECT_TRUE(F.Form.Options.FullScreen);
  EXPECT_TRUE(F.Form.MDXDraw.Options() & doFlip);
  EXPECT_TRUE(F.Form.MDXDraw.ReadyToDraw());
  EXPECT_EQ(F.P.FakeWindow.Presents, 1);

  F.P.FakeWindow.Placement = {0, 0, 1920, 1080};
  F.P.FakeWindow.PushKey(TEventKind::KeyDown, VkReturn, ssAlt);
  F.Frames(1, 10);
  EXPECT_FALSE(F.P.FakeWindow.FullScreen);
  EXPECT_TRUE(F.P.FakeWindow.Bordered);
  EXPECT_EQ(F.P.FakeWindow.Placement.X, 50);  // where the window was before
  EXPECT_EQ(F.Form.MDXDraw.Options(), doWaitVBlank | doStretch | doCenter);

  // Enter without Alt is no switch.
  F.P.FakeWindow.PushKey(TEventKind::KeyDown, VkReturn, 0);
  F.Frames(1, 10);
  EXPECT_FALSE(F.P.FakeWindow.FullScreen);
}

TEST(MainForm, RefusedFullScreenStaysInAWindow) {
  TFormFixture F;
  F.P.FakeWindow.FullScreenFails = true;
  F.P.FakeWindow.PushKey(TEventKind::KeyDown, VkReturn, ssAlt);
  F.Frames(2, 10);
  EXPECT_FALSE(F.P.FakeWindow.FullScreen);
  EXPECT_FALSE(F.Form.Options.FullScreen);
  EXPECT_TRUE(F.P.FakeWindow.Bordered);
  EXPECT_EQ(F.P.FakeWindow.Presents, 2);
}

TEST(MainForm, MousePointerFollowsTheDisplayCounter) {
  TFormFixture F;
  struct TCase {
    int32_t Counter;
    bool Show;
    int32_t Expected;
  };
  const TCase Cases[] = {{0, true, 1},   {-3, true, 1},  {5, true, 6},
                         {0, false, -1}, {4, false, -1}, {-2, false, -3}};
  for (const TCase& C : Cases) {
    F.P.FakeWindow.CursorCounter = C.Counter;
    if (C.Show) {
      F.Form.ShowMousePointer();
    } else {
      F.Form.HideMousePointer();
    }
    EXPECT_EQ(F.P.FakeWindow.CursorCounter, C.Expected)
        << C.Counter << (C.Show ? " show" : " hide");
  }
}

TEST(MainForm, CloseRequestAsksTheExitQuestion) {
  TFormFixture F;
  TPlatformEvent Close;
  Close.Kind = TEventKind::CloseRequest;
  F.P.FakeWindow.PushEvent(Close);
  F.Frames(1, 10);
  EXPECT_FALSE(F.Form.Terminated());
  EXPECT_EQ(F.Form.Shell.DialogKind, dkExitGame);
  EXPECT_EQ(F.P.FakeWindow.Presents, 1);
}

TEST(MainForm, NoDisplayIsReported) {
  TFakePlatform P;
  P.FakeWindow.CreateFails = true;
  P.FakeWindow.CreateError = "no display: nothing answers";
  TMForm Form(P);
  std::string Error;
  EXPECT_FALSE(Form.FormCreate(Error));
  EXPECT_EQ(Error, "no display: nothing answers");
  EXPECT_FALSE(Form.MDXDraw.Initialized());
}
