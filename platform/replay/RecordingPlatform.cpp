#include "platform/replay/RecordingPlatform.h"

TRecordingPlatform::TRecordingPlatform(TPlatform& Real)
    : FReal(Real),
      FTape(FReplay.Tape),
      FThread(std::this_thread::get_id()),
      FWindow(*this, Real.Window()),
      FClock(*this, Real.Clock()),
      FKeyboard(*this, Real.Keyboard()),
      FJoystick(*this, Real.Joystick()),
      FFonts(*this, Real.Fonts()),
      FHttp(*this, Real.Http()) {}

void TRecordingPlatform::EndFrame(const TReplayCheck& Check) {
  FReplay.FrameEnd.push_back(static_cast<uint32_t>(FReplay.Tape.size()));
  FReplay.Checks.push_back(Check);
}

bool TRecordingWindow::CreateMainWindow(const std::string& Title, int32_t ClientWidth,
                                        int32_t ClientHeight, std::string& Error) {
  const bool Ok = FReal.CreateMainWindow(Title, ClientWidth, ClientHeight, Error);
  if (FOwner.Recording()) FOwner.Tape().CreateWindow(Ok, Error);
  return Ok;
}

bool TRecordingWindow::SetFullScreen(bool On) {
  const bool Ok = FReal.SetFullScreen(On);
  if (FOwner.Recording()) FOwner.Tape().Flag(TTapeTag::FullScreen, Ok);
  return Ok;
}

TWindowPlacement TRecordingWindow::GetPlacement() {
  const TWindowPlacement P = FReal.GetPlacement();
  if (FOwner.Recording()) FOwner.Tape().Placement(P);
  return P;
}

bool TRecordingWindow::IsForeground() {
  const bool On = FReal.IsForeground();
  if (FOwner.Recording()) FOwner.Tape().Flag(TTapeTag::Foreground, On);
  return On;
}

int32_t TRecordingWindow::ShowCursor(bool Show) {
  const int32_t Counter = FReal.ShowCursor(Show);
  if (FOwner.Recording()) FOwner.Tape().Number(TTapeTag::ShowCursor, Counter);
  return Counter;
}

void TRecordingWindow::ClientOrigin(int32_t& X, int32_t& Y) {
  FReal.ClientOrigin(X, Y);
  if (FOwner.Recording()) FOwner.Tape().Point(TTapeTag::ClientOrigin, X, Y);
}

void TRecordingWindow::GetCursorPos(int32_t& X, int32_t& Y) {
  FReal.GetCursorPos(X, Y);
  if (FOwner.Recording()) FOwner.Tape().Point(TTapeTag::CursorPos, X, Y);
}

int32_t TRecordingWindow::RefreshRate() {
  const int32_t Rate = FReal.RefreshRate();
  if (FOwner.Recording()) FOwner.Tape().Number(TTapeTag::RefreshRate, Rate);
  return Rate;
}

int32_t TRecordingWindow::PacedRate() {
  const int32_t Rate = FReal.PacedRate();
  if (FOwner.Recording()) FOwner.Tape().Number(TTapeTag::PacedRate, Rate);
  return Rate;
}

std::vector<TDisplayMode> TRecordingWindow::DisplayModes() {
  std::vector<TDisplayMode> Modes = FReal.DisplayModes();
  if (FOwner.Recording()) FOwner.Tape().DisplayModes(Modes);
  return Modes;
}

bool TRecordingWindow::Present(const uint32_t* Pixels, int32_t Width, int32_t Height,
                               int32_t PitchBytes, bool WaitVBlank) {
  const bool Ok = FReal.Present(Pixels, Width, Height, PitchBytes, WaitVBlank);
  if (FOwner.Recording()) FOwner.Tape().Flag(TTapeTag::Present, Ok);
  return Ok;
}

bool TRecordingWindow::PollEvent(TPlatformEvent& Event) {
  const bool Got = FReal.PollEvent(Event);
  if (FOwner.Recording()) FOwner.Tape().Event(Got ? &Event : nullptr);
  return Got;
}

uint32_t TRecordingClock::Ticks() {
  const uint32_t Now = FReal.Ticks();
  if (FOwner.Recording()) FOwner.Tape().Ticks(Now);
  return Now;
}

void TRecordingKeyboard::ReadKeyTable(uint8_t Table[256]) {
  FReal.ReadKeyTable(Table);
  if (FOwner.Recording()) FOwner.Tape().KeyTable(Table);
}

int32_t TRecordingJoystick::Count() {
  const int32_t N = FReal.Count();
  if (FOwner.Recording()) FOwner.Tape().Number(TTapeTag::JoystickCount, N);
  return N;
}

bool TRecordingJoystick::Open(int32_t Index, TJoystickCaps& Caps) {
  const bool Ok = FReal.Open(Index, Caps);
  if (FOwner.Recording()) FOwner.Tape().JoystickOpen(Ok, Caps);
  return Ok;
}

bool TRecordingJoystick::Read(TJoystickPosition& Position) {
  const bool Ok = FReal.Read(Position);
  if (FOwner.Recording()) FOwner.Tape().JoystickRead(Ok, Position);
  return Ok;
}

TFontHandle TRecordingFonts::OpenFont(const std::string& Face, int32_t Size, bool Bold) {
  const TFontHandle Font = FReal.OpenFont(Face, Size, Bold);
  if (FOwner.Recording()) FOwner.Tape().Number(TTapeTag::OpenFont, Font);
  return Font;
}

void TRecordingFonts::TextExtent(TFontHandle Font, const std::string& Text, int32_t& Width,
                                 int32_t& Height) {
  FReal.TextExtent(Font, Text, Width, Height);
  // A font measures a text the same every time: one entry per text, wherever it was asked.
  if (FOwner.Recording()) FOwner.Replay().TextExtents[{Font, Text}] = {Width, Height};
}

bool TRecordingHttp::Get(const THttpRequest& Request, std::string& Body) {
  const bool Answered = FReal.Get(Request, Body);
  if (FOwner.Recording()) {
    FOwner.Tape().Flag(TTapeTag::Upload, Answered);
    return Answered;
  }
  std::unique_lock<std::mutex> Lock(FMutex);
  FEnded = true;
  FAnswered = Answered;
  FReleased = false;
  // Frames come many times a second; the bound only matters when none come any more.
  FChanged.wait_for(Lock, std::chrono::seconds(5), [this] { return FReleased || FStopped; });
  FEnded = false;
  return Answered;
}

bool TRecordingHttp::FinishAtFrameBoundary() {
  std::lock_guard<std::mutex> Lock(FMutex);
  if (!FEnded || FReleased) return false;
  FOwner.Tape().Flag(TTapeTag::Upload, FAnswered);
  FReleased = true;
  FChanged.notify_all();
  return true;
}

void TRecordingHttp::Stop() {
  std::lock_guard<std::mutex> Lock(FMutex);
  FStopped = true;
  FChanged.notify_all();
}
