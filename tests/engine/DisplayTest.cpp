#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/DXCanvas.h"
#include "engine/DXDraws.h"
#include "platform/fake/FakePlatform.h"

namespace {

// The options the main window asks for.
constexpr TDXDrawOptions KFormOptions = doAllowReboot | doWaitVBlank | doStretch | doCenter |
                                        doFlip | doDirectX7Mode | doRetainedMode | doHardware |
                                        doSelectDriver;

struct TRecorder {
  std::vector<std::string> Log;
  TDXDrawNotifyEvent Listen(const std::string& Name) {
    return [this, Name](TDXDrawNotifyType N) { Log.push_back(Name + std::to_string(N)); };
  }
};

}  // namespace

TEST(DisplayOptions, DerivedFromRequested) {
  struct TCase {
    const char* What;
    TDXDrawOptions Requested;
    TDXDrawOptions Expected;
  };
  const TCase Cases[] = {
      {"form in a window", KFormOptions, doWaitVBlank | doStretch | doCenter},
      {"form in full screen", KFormOptions | doFullScreen,
       doFullScreen | doAllowReboot | doWaitVBlank | doStretch | doCenter | doFlip},
      {"system memory never flips", doFullScreen | doFlip | doSystemMemory,
       doFullScreen | doSystemMemory},
      {"3-D with DirectX 7 drops retained mode and hardware",
       do3D | doDirectX7Mode | doRetainedMode | doHardware | doZBuffer,
       do3D | doDirectX7Mode | doZBuffer},
      {"3-D without DirectX 7 keeps retained mode", do3D | doRetainedMode | doSelectDriver,
       do3D | doRetainedMode | doSelectDriver},
      {"window drops full-screen-only flags", doNoWindowChange | doAllowPalette256, 0},
  };
  for (const TCase& C : Cases) EXPECT_EQ(DeriveEffectiveOptions(C.Requested), C.Expected) << C.What;
}

TEST(DisplayOptions, WhileInitializedOnlyPresentingFlagsChange) {
  TFakePlatform P;
  TDXDraw D(P);
  D.SetOptions(KFormOptions);
  D.Initialize();
  D.SetOptions(doFullScreen | doFlip | doStretch);
  EXPECT_EQ(D.Options(), doStretch);
  EXPECT_FALSE(P.FakeWindow.FullScreen);
  // Finalizing derives the effective set from the new request.
  D.Finalize();
  EXPECT_EQ(D.Options(), doFullScreen | doFlip | doStretch);
}

TEST(DisplayBitCount, OnlyRealDepthsAreAccepted) {
  TFakePlatform P;
  TDXDraw D(P);
  for (int32_t Bits : {8, 16, 24, 32}) {
    D.SetBitCount(Bits);
    EXPECT_EQ(D.Display().BitCount, Bits);
  }
  for (int32_t Bits : {15, 0, -32, 64}) {
    try {
      D.SetBitCount(Bits);
      FAIL() << Bits << " accepted";
    } catch (const EDirectDrawError& E) {
      EXPECT_STREQ(E.what(), "Display requires 8, 16, 24 or 32 bits");
    }
    EXPECT_EQ(D.Display().BitCount, 32);
  }
}

TEST(DisplayEvents, InitializeAndFinalizeTellLastRegisteredFirst) {
  TFakePlatform P;
  TRecorder R;
  int A = 0, B = 0;
  {
    TDXDraw D(P);
    D.AddListener(&A, R.Listen("a"));
    D.AddListener(&B, R.Listen("b"));
    EXPECT_EQ(R.Log, (std::vector<std::string>{"a7", "b7"}));
    R.Log.clear();
    D.Initialize();
    EXPECT_EQ(R.Log, (std::vector<std::string>{"b1", "a1", "b7", "a7", "b2", "a2", "b3", "a3", "b6",
                                               "a6"}));
    R.Log.clear();
    D.Finalize();
    EXPECT_EQ(R.Log, (std::vector<std::string>{"b5", "a5", "b4", "a4"}));
    R.Log.clear();
    D.Finalize();  // not initialized: nothing to tell
    EXPECT_TRUE(R.Log.empty());
    D.Initialize();
    R.Log.clear();
  }
  EXPECT_EQ(R.Log, (std::vector<std::string>{"b0", "a0", "b5", "a5", "b4", "a4"}));
}

TEST(DisplayEvents, RegistrationReplaysTheCurrentState) {
  TFakePlatform P;
  TRecorder R;  // outlives the display, which tells its listeners when it goes
  TDXDraw D(P);
  D.Initialize();
  int A = 0;
  D.AddListener(&A, R.Listen("a"));
  EXPECT_EQ(R.Log, (std::vector<std::string>{"a7", "a2", "a3", "a6"}));
  R.Log.clear();
  // Registering the same owner again replaces the old registration: told once, not twice.
  D.AddListener(&A, R.Listen("n"));
  D.Finalize();
  EXPECT_EQ(R.Log, (std::vector<std::string>{"n7", "n2", "n3", "n6", "n5", "n4"}));
}

TEST(DisplayEvents, ListenerJoiningDuringInitializeIsNotToldRestoreTwice) {
  TFakePlatform P;
  TRecorder R;
  TDXDraw D(P);
  int A = 0, Late = 0;
  D.AddListener(&A, [&](TDXDrawNotifyType N) {
    if (N == dxntInitializeSurface) D.AddListener(&Late, R.Listen("late"));
  });
  D.Initialize();
  EXPECT_EQ(R.Log, (std::vector<std::string>{"late7", "late2", "late3", "late6"}));
}

TEST(DisplayEvents, UnregisteringTellsOnlyThatListener) {
  TFakePlatform P;
  TRecorder R;
  TDXDraw D(P);
  int A = 0, B = 0;
  D.AddListener(&A, R.Listen("a"));
  D.AddListener(&B, R.Listen("b"));
  D.Initialize();
  R.Log.clear();
  D.RemoveListener(&A);
  EXPECT_EQ(R.Log, (std::vector<std::string>{"a5", "a4"}));
  R.Log.clear();
  D.RemoveListener(&A);  // unknown owner: nothing
  D.Finalize();
  EXPECT_EQ(R.Log, (std::vector<std::string>{"b5", "b4"}));
  R.Log.clear();
  D.RemoveListener(&B);  // not initialized: nothing to undo
  EXPECT_TRUE(R.Log.empty());
}

TEST(DisplayEvents, ListenerLeavingWhileBeingToldIsSafe) {
  TFakePlatform P;
  TRecorder R;
  int A = 0, B = 0, C = 0;
  TDXDraw D(P);
  D.AddListener(&A, R.Listen("a"));
  // B drops itself and A on destruction news, as a component losing its display does.
  D.AddListener(&B, [&](TDXDrawNotifyType N) {
    R.Log.push_back("b" + std::to_string(N));
    if (N == dxntFinalize) {
      D.RemoveListener(&B);
      D.RemoveListener(&A);
    }
  });
  D.AddListener(&C, R.Listen("c"));
  D.Initialize();
  R.Log.clear();
  D.Finalize();
  // A was removed before its turn for 4: its unregistration tells it 4, exactly once, and
  // B is not told 4 a second time.
  EXPECT_EQ(R.Log, (std::vector<std::string>{"c5", "b5", "a5", "c4", "b4", "a4"}));
}

TEST(DisplayDraw, ReadyOnlyWhileInitialized) {
  TFakePlatform P;
  TDXDraw D(P);
  EXPECT_FALSE(D.ReadyToDraw());
  EXPECT_EQ(D.Surface(), nullptr);
  D.Flip();
  EXPECT_EQ(P.FakeWindow.Presents, 0);
  D.Initialize();
  ASSERT_TRUE(D.ReadyToDraw());
  ASSERT_NE(D.Surface(), nullptr);
  EXPECT_EQ(D.Surface()->Width(), 800);
  EXPECT_EQ(D.Surface()->Height(), 600);
  bool ReadyDuringRestore = true;
  D.OnRestore = [&] { ReadyDuringRestore = D.ReadyToDraw(); };
  D.Initialize();
  EXPECT_FALSE(ReadyDuringRestore);
  EXPECT_TRUE(D.ReadyToDraw());
}

TEST(DisplayDraw, FlipPresentsTheBackSurface) {
  TFakePlatform P;
  TDXDraw D(P);
  D.SetOptions(KFormOptions);
  D.Initialize();
  D.Surface()->Fill(0x00102030);
  D.Surface()->Row(599)[799] = 0x00FFFFFF;
  D.Flip();
  ASSERT_EQ(P.FakeWindow.Presents, 1);
  const TPresentedPicture& Shown = P.FakeWindow.LastPresented;
  EXPECT_EQ(Shown.Width, 800);
  EXPECT_EQ(Shown.Height, 600);
  EXPECT_EQ(Shown.Pixel(0, 0), 0x00102030u);
  EXPECT_EQ(Shown.Pixel(799, 599), 0x00FFFFFFu);
  EXPECT_TRUE(Shown.WaitVBlank);
}

TEST(DisplayDraw, FullScreenShowsNothingWhileInTheBackground) {
  TFakePlatform P;
  TDXDraw D(P);
  D.SetOptions(KFormOptions | doFullScreen);
  D.Initialize();
  EXPECT_TRUE(P.FakeWindow.FullScreen);
  P.FakeWindow.Foreground = false;
  D.Flip();
  EXPECT_EQ(P.FakeWindow.Presents, 0);
  P.FakeWindow.Foreground = true;
  D.Flip();
  EXPECT_EQ(P.FakeWindow.Presents, 1);
  // Back to a window: the platform leaves full screen.
  D.Finalize();
  D.SetOptions(KFormOptions);
  D.Initialize();
  EXPECT_FALSE(P.FakeWindow.FullScreen);
}

TEST(DisplayDraw, RefusedFullScreenUndoesTheInitialization) {
  TFakePlatform P;
  P.FakeWindow.FullScreenFails = true;
  TRecorder R;
  TDXDraw D(P);
  D.SetBitCount(32);
  D.SetOptions(KFormOptions | doFullScreen);
  int A = 0;
  D.AddListener(&A, R.Listen("a"));
  R.Log.clear();
  try {
    D.Initialize();
    FAIL() << "full screen refused but no error";
  } catch (const EDXDrawError& E) {
    EXPECT_STREQ(E.what(), "Display mode cannot be changed (800x600 32bit)");
  }
  EXPECT_FALSE(D.Initialized());
  EXPECT_FALSE(D.ReadyToDraw());
  EXPECT_EQ(R.Log, (std::vector<std::string>{"a1"}));
  // The display still works once the request is a window.
  D.SetOptions(KFormOptions);
  D.Initialize();
  EXPECT_TRUE(D.ReadyToDraw());
}

TEST(DisplayModeChoice, PicksTheModeThatFits) {
  const std::vector<TDisplayMode> Modes = {
      {640, 480, 16, 60},   {640, 480, 32, 60},  {800, 600, 16, 60},
      {1024, 768, 16, 60},  {1024, 768, 32, 75}, {1152, 920, 32, 70},
      {1280, 1024, 32, 60}, {1280, 960, 32, 85}, {1600, 900, 32, 60},
  };
  struct TCase {
    const char* What;
    TDXDisplaySettings Settings;
    bool Found;
    TDisplayMode Expected;
  };
  const TCase Cases[] = {
      {"exact mode", {800, 600, 16, true, true, false}, true, {800, 600, 16, 60}},
      {"same ratio, larger, exact depth",
       {800, 600, 32, true, true, false},
       true,
       {1024, 768, 32, 75}},
      {"kept ratio beats a smaller mode",
       {1100, 825, 32, true, true, false},
       true,
       {1280, 960, 32, 85}},
      {"without kept ratio the smallest size wins",
       {1100, 825, 32, true, false, false},
       true,
       {1152, 920, 32, 70}},
      {"no mode of that ratio: any ratio",
       {1100, 800, 32, true, true, false},
       true,
       {1152, 920, 32, 70}},
      {"fixed size and no such depth", {800, 600, 32, true, true, true}, false, {}},
      {"free depth above 8 takes the size and keeps the asked depth if it exists",
       {700, 500, 32, false, true, false},
       true,
       {800, 600, 16, 60}},
      {"free depth prefers the asked depth at the winning size",
       {900, 700, 32, false, true, false},
       true,
       {1024, 768, 32, 75}},
      {"nothing large enough", {2000, 1500, 32, true, true, false}, false, {}},
      {"depth 15 is not a depth", {800, 600, 15, true, true, false}, false, {}},
      {"zero width", {0, 600, 16, true, true, false}, false, {}},
  };
  for (const TCase& C : Cases) {
    TDisplayMode Chosen;
    ASSERT_EQ(ChooseDisplayMode(C.Settings, Modes, Chosen), C.Found) << C.What;
    if (!C.Found) continue;
    EXPECT_EQ(Chosen.Width, C.Expected.Width) << C.What;
    EXPECT_EQ(Chosen.Height, C.Expected.Height) << C.What;
    EXPECT_EQ(Chosen.BitCount, C.Expected.BitCount) << C.What;
    EXPECT_EQ(Chosen.RefreshRate, C.Expected.RefreshRate) << C.What;
  }
}

TEST(DisplayModeChoice, ListOrderDoesNotMatter) {
  const std::vector<TDisplayMode> Shuffled = {
      {1280, 960, 32, 85}, {1024, 768, 32, 75}, {1600, 1200, 32, 60}};
  TDisplayMode Chosen;
  ASSERT_TRUE(ChooseDisplayMode({800, 600, 32, true, true, false}, Shuffled, Chosen));
  EXPECT_EQ(Chosen.Width, 1024);
}

TEST(DisplayCanvas, TextGoesThroughTheFontSystemOntoTheSurface) {
  TFakePlatform P;
  TDXDraw D(P);
  D.Initialize();
  TDXCanvas& C = D.Canvas();
  C.Font().Name = "Freeset";
  C.Font().Size = 20;
  C.Font().Color = 0x00FF8000;
  EXPECT_EQ(C.TextWidth("Pause"), 50);
  EXPECT_EQ(C.TextHeight("Pause"), 20);
  C.TextOut(790, 590, "Hi");  // clipped at the right and bottom edges
  EXPECT_EQ(D.Surface()->Pixel(799, 599), 0x00FF8000u);
  EXPECT_EQ(D.Surface()->Pixel(789, 599), 0u);
  EXPECT_TRUE(C.Acquired());
  C.Release();
  EXPECT_FALSE(C.Acquired());
  // One face opened for all three uses.
  ASSERT_EQ(P.FakeFonts.Opened.size(), 1u);
  EXPECT_EQ(P.FakeFonts.Opened[0].Face, "Freeset");
  // Text after the display was finalized goes nowhere.
  D.Finalize();
  C.TextOut(0, 0, "x");
  EXPECT_EQ(P.FakeFonts.Drawn.size(), 1u);
}
