#pragma once
// The real main window on the fake platform, driven the way a player drives it: keys held
// for frames, typed characters, mouse moves and clicks, and frames of a chosen length.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/fake/FakeAudio.h"
#include "platform/fake/FakePlatform.h"
#include "shell/MainForm.h"
#include "shell/MenuButton.h"
#include "tests/shell/VirtualKeys.h"

struct TShellFixture {
  TFakePlatform P;
  // With Audible, the sound device is the offline mixer, which records every cue played.
  TFakeAudio* Audio = nullptr;
  bool AudibleDevice = false;
  std::unique_ptr<TMForm> FormOwner;
  TMForm& Form;
  std::filesystem::path SaveDir;

  // Refresh 85 and 11 ms frames: FrameMs is 11, as the game is tuned.
  explicit TShellFixture(int32_t Refresh = 85, bool Audible = false)
      : AudibleDevice(Audible), FormOwner(MakeForm()), Form(*FormOwner) {
    P.FakeWindow.Refresh = Refresh;
    Form.DataRoot = std::string(TB_BINARY_DIR) + "/game/";
    const auto* Info = ::testing::UnitTest::GetInstance()->current_test_info();
    SaveDir = std::filesystem::path(TB_BINARY_DIR) / "tests" / "shell-saves" /
              (std::string(Info->test_suite_name()) + "." + Info->name());
    std::filesystem::remove_all(SaveDir);
    std::filesystem::create_directories(SaveDir);
    Form.SaveRoot = SaveDir.string() + "/";
    std::string Error;
    EXPECT_TRUE(Form.FormCreate(Error)) << Error;
  }

  std::unique_ptr<TMForm> MakeForm() {
    if (AudibleDevice) {
      auto Device = std::make_unique<TFakeAudio>();
      Audio = Device.get();
      P.SetAudio(std::move(Device));
    }
    return std::make_unique<TMForm>(P);
  }

  TShellState& S() { return Form.Shell; }
  // Cues started since the last look (the shell's only sounds are cues).
  size_t TakeCues() {
    const size_t N = Audio->Plays().size();
    Audio->ClearPlays();
    return N;
  }

  // One frame; the texts it drew are in Drawn afterwards.
  void Frame(uint32_t Ms = 11) {
    LastTapped = -1;
    P.FakeFonts.Drawn.clear();
    P.FakeClock.Advance(Ms);
    Form.RunFrame();
  }
  void Frames(int32_t N, uint32_t Ms = 11) {
    for (int32_t I = 0; I < N; ++I) Frame(Ms);
  }
  // Runs frames until the level banner that opens every level has closed.
  void WaitOutLevelBanner() {
    for (int32_t I = 0; I < 400 && S().DialogKind == dkLevel; ++I) Frame();
    ASSERT_EQ(S().DialogKind, dkNone);
  }
  // Runs frames until the main menu's buttons have faded in.
  void FinishIntro() {
    for (int32_t I = 0; I < 1000 && S().MenuIntroStep != 0; ++I) Frame();
    ASSERT_EQ(S().MenuIntroStep, 0);
  }

  // A polled key held down for one frame, then let go: the next frame sees it up. The same
  // key tapped again at once first gets that frame, or the game would see it held.
  void Tap(int32_t Vk) {
    if (LastTapped == Vk) Frame();
    P.FakeKeyboard.SetKey(Vk, true);
    Frame();
    P.FakeKeyboard.SetKey(Vk, false);
    LastTapped = Vk;
  }
  int32_t LastTapped = -1;
  void KeyDown(int32_t Vk, uint32_t Shift = 0) {
    P.FakeWindow.PushKey(TEventKind::KeyDown, Vk, Shift);
  }
  void KeyUp(int32_t Vk, uint32_t Shift = 0) { P.FakeWindow.PushKey(TEventKind::KeyUp, Vk, Shift); }
  void Type(uint8_t Ch) {
    TPlatformEvent E;
    E.Kind = TEventKind::Char;
    E.Char = Ch;
    P.FakeWindow.PushEvent(E);
  }
  void Type(const std::string& Text) {
    for (char C : Text) Type(static_cast<uint8_t>(C));
  }
  void MoveMouse(int32_t X, int32_t Y) {
    TPlatformEvent E;
    E.Kind = TEventKind::MouseMove;
    E.X = X;
    E.Y = Y;
    P.FakeWindow.PushEvent(E);
  }
  // Press and release of the left button, then the click they make (Clicks 2: the second
  // press of a double click, which the platform reports as a click of its own).
  void Click(int32_t Clicks = 1) {
    TPlatformEvent E;
    E.Kind = TEventKind::MouseDown;
    P.FakeWindow.PushEvent(E);
    if (Clicks == 2) {
      E.Kind = TEventKind::Click;
      E.Clicks = 2;
      P.FakeWindow.PushEvent(E);
    }
    E.Kind = TEventKind::MouseUp;
    P.FakeWindow.PushEvent(E);
    if (Clicks == 1) {
      E.Kind = TEventKind::Click;
      P.FakeWindow.PushEvent(E);
    }
  }
  void DoubleClick() {
    Click(1);
    Click(2);
  }
  // Moves the mouse onto the middle of button I of the current screen or dialog.
  void Hover(int32_t I) {
    const TMenuButton* B = S().Buttons[static_cast<size_t>(I)];
    ASSERT_NE(B, nullptr) << "no button " << I;
    MoveMouse(static_cast<int32_t>(B->X) + B->Width / 2,
              static_cast<int32_t>(B->Y) + B->Height / 2);
  }

  std::vector<std::string> Texts() const {
    std::vector<std::string> T;
    for (const auto& D : P.FakeFonts.Drawn) T.push_back(D.Text);
    return T;
  }
  bool Drew(const std::string& Text) const {
    for (const auto& D : P.FakeFonts.Drawn)
      if (D.Text == Text) return true;
    return false;
  }
  const TFakeFonts::TDrawn* FindDrawn(const std::string& Text) const {
    for (const auto& D : P.FakeFonts.Drawn)
      if (D.Text == Text) return &D;
    return nullptr;
  }
};
