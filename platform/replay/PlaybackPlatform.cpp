#include "platform/replay/PlaybackPlatform.h"

#include <algorithm>

TPlaybackPlatform::TPlaybackPlatform(const TReplay& Replay, TPlatform* Viewer)
    : FReplay(Replay),
      FViewer(Viewer),
      FThread(std::this_thread::get_id()),
      FWindow(*this),
      FClock(*this),
      FKeyboard(*this),
      FJoystick(*this),
      FFonts(*this),
      FHttp(*this) {}

void TPlaybackPlatform::BeginFrame(size_t I) {
  FFrame = I;
  FAnswers = TFrameAnswers();
  if (I >= FReplay.FrameCount()) return;
  const uint32_t Begin = FReplay.FrameBegin(I);
  FReader.ReadFrame(FReplay.Tape.data() + Begin, FReplay.FrameEnd[I] - Begin, FAnswers);
}

void TPlaybackPlatform::EndFrame() {
  if (!FAskedDifference.empty() || FAnswers.Size() == 0) return;
  const char* What = !FAnswers.Ticks.empty()          ? "clock"
                     : !FAnswers.Events.empty()       ? "window's events"
                     : !FAnswers.KeyTables.empty()    ? "key table"
                     : !FAnswers.Foreground.empty()   ? "foreground window"
                     : !FAnswers.CursorPos.empty()    ? "pointer position"
                     : !FAnswers.Present.empty()      ? "picture's presentation"
                     : !FAnswers.JoystickRead.empty() ? "joystick"
                                                      : "window system";
  FAskedDifference = "frame " + std::to_string(FFrame) + ": the recording answered the " + What +
                     " more often than the game asked";
}

bool TPlaybackPlatform::DeliverUpload() {
  if (FAnswers.Uploads.empty()) return false;
  FHttp.Deliver(FAnswers.Uploads.front());
  FAnswers.Uploads.pop_front();
  return true;
}

template <class T>
T TPlaybackPlatform::Take(std::deque<T>& Queue, T& Last, const char* What) {
  if (!OnGameThread()) return Last;
  if (!Queue.empty()) {
    Last = std::move(Queue.front());
    Queue.pop_front();
  } else if (FAskedDifference.empty()) {
    FAskedDifference = "frame " + std::to_string(FFrame) + ": the game asked the " + What +
                       " more often than the recording did";
  }
  return Last;
}

bool TPlaybackWindow::CreateMainWindow(const std::string& Title, int32_t ClientWidth,
                                       int32_t ClientHeight, std::string& Error) {
  const auto [Ok, Recorded] = FOwner.Take(FOwner.FAnswers.CreateWindow, FOwner.FCreate, "window");
  if (!Ok) {
    Error = Recorded;
    return false;
  }
  if (FOwner.FViewer) {
    std::string ViewerError;
    if (!FOwner.FViewer->Window().CreateMainWindow(Title, ClientWidth, ClientHeight, ViewerError))
      throw EReplayError(ViewerError);
  }
  return true;
}

bool TPlaybackWindow::SetFullScreen(bool) {
  return FOwner.Take(FOwner.FAnswers.FullScreen, FOwner.FFullScreen, "full-screen switch");
}

TWindowPlacement TPlaybackWindow::GetPlacement() {
  return FOwner.Take(FOwner.FAnswers.Placement, FOwner.FPlacement, "window placement");
}

bool TPlaybackWindow::IsForeground() {
  return FOwner.Take(FOwner.FAnswers.Foreground, FOwner.FForeground, "foreground window");
}

int32_t TPlaybackWindow::ShowCursor(bool) {
  return FOwner.Take(FOwner.FAnswers.ShowCursor, FOwner.FCursorCounter, "pointer counter");
}

void TPlaybackWindow::ClientOrigin(int32_t& X, int32_t& Y) {
  std::tie(X, Y) = FOwner.Take(FOwner.FAnswers.ClientOrigin, FOwner.FOrigin, "window origin");
}

void TPlaybackWindow::GetCursorPos(int32_t& X, int32_t& Y) {
  std::tie(X, Y) = FOwner.Take(FOwner.FAnswers.CursorPos, FOwner.FCursor, "pointer position");
}

int32_t TPlaybackWindow::RefreshRate() {
  return FOwner.Take(FOwner.FAnswers.RefreshRate, FOwner.FRefresh, "refresh rate");
}

int32_t TPlaybackWindow::PacedRate() {
  return FOwner.Take(FOwner.FAnswers.PacedRate, FOwner.FPaced, "paced rate");
}

std::vector<TDisplayMode> TPlaybackWindow::DisplayModes() {
  return FOwner.Take(FOwner.FAnswers.DisplayModes, FOwner.FModes, "display modes");
}

bool TPlaybackWindow::Present(const uint32_t* Pixels, int32_t Width, int32_t Height,
                              int32_t PitchBytes, bool WaitVBlank) {
  if (FOwner.FViewer)
    FOwner.FViewer->Window().Present(Pixels, Width, Height, PitchBytes, WaitVBlank);
  return FOwner.Take(FOwner.FAnswers.Present, FOwner.FPresent, "picture's presentation");
}

bool TPlaybackWindow::PollEvent(TPlatformEvent& Event) {
  if (FOwner.FViewer) {
    // The viewer's own events only say when to stop watching.
    TPlatformEvent Seen;
    while (FOwner.FViewer->Window().PollEvent(Seen)) {
      if (Seen.Kind == TEventKind::CloseRequest ||
          (Seen.Kind == TEventKind::KeyDown && Seen.Key == 27))
        FOwner.FViewerClosed = true;
    }
  }
  std::optional<TPlatformEvent> None;
  const std::optional<TPlatformEvent> Next = FOwner.Take(FOwner.FAnswers.Events, None, "events");
  if (!Next) return false;
  Event = *Next;
  return true;
}

uint32_t TPlaybackClock::Ticks() {
  if (!FOwner.OnGameThread()) return FOwner.FLastTicks.load();
  const uint32_t Now = FOwner.Take(FOwner.FAnswers.Ticks, FOwner.FTicks, "clock");
  FOwner.FLastTicks.store(Now);
  return Now;
}

void TPlaybackKeyboard::ReadKeyTable(uint8_t Table[256]) {
  const std::array<uint8_t, 256> Keys =
      FOwner.Take(FOwner.FAnswers.KeyTables, FOwner.FKeys, "key table");
  std::copy(Keys.begin(), Keys.end(), Table);
}

int32_t TPlaybackJoystick::Count() {
  return FOwner.Take(FOwner.FAnswers.JoystickCount, FOwner.FJoysticks, "joystick count");
}

bool TPlaybackJoystick::Open(int32_t, TJoystickCaps& Caps) {
  const auto Answer = FOwner.Take(FOwner.FAnswers.JoystickOpen, FOwner.FJoystickOpen, "joystick");
  if (Answer.first) Caps = Answer.second;
  return Answer.first;
}

bool TPlaybackJoystick::Read(TJoystickPosition& Position) {
  const auto Answer = FOwner.Take(FOwner.FAnswers.JoystickRead, FOwner.FJoystickRead, "joystick");
  if (Answer.first) Position = Answer.second;
  return Answer.first;
}

TFontHandle TPlaybackFonts::OpenFont(const std::string& Face, int32_t Size, bool Bold) {
  const TFontHandle Font = FOwner.Take(FOwner.FAnswers.OpenFont, FOwner.FFont, "fonts");
  FSizes[Font] = Size;
  if (FOwner.FViewer) FViewerFonts[Font] = FOwner.FViewer->Fonts().OpenFont(Face, Size, Bold);
  return Font;
}

void TPlaybackFonts::TextExtent(TFontHandle Font, const std::string& Text, int32_t& Width,
                                int32_t& Height) {
  const auto Found = FOwner.FReplay.TextExtents.find({Font, Text});
  if (Found != FOwner.FReplay.TextExtents.end()) {
    std::tie(Width, Height) = Found->second;
    return;
  }
  // A text the recording never measured: the game shows something it did not show then.
  const int32_t Size = FSizes.count(Font) ? FSizes[Font] : 12;
  Width = static_cast<int32_t>(Text.size()) * Size / 2;
  Height = Size;
  if (FOwner.FAskedDifference.empty())
    FOwner.FAskedDifference = "frame " + std::to_string(FOwner.FFrame) + ": the text \"" + Text +
                              "\" was not measured in the recording";
}

void TPlaybackFonts::DrawText(TFontHandle Font, const std::string& Text, uint32_t Colour,
                              uint32_t* Pixels, int32_t Width, int32_t Height, int32_t PitchBytes,
                              int32_t X, int32_t Y) {
  if (!FOwner.FViewer) return;
  const auto Found = FViewerFonts.find(Font);
  if (Found != FViewerFonts.end())
    FOwner.FViewer->Fonts().DrawText(Found->second, Text, Colour, Pixels, Width, Height, PitchBytes,
                                     X, Y);
}

bool TPlaybackHttp::Get(const THttpRequest&, std::string& Body) {
  Body.clear();
  if (FOwner.OnGameThread()) return FOwner.Take(FOwner.FAnswers.Uploads, FOwner.FUpload, "network");
  std::unique_lock<std::mutex> Lock(FMutex);
  // A request the recording never saw end waits for the end of the playback.
  FChanged.wait(Lock, [this] { return !FEnded.empty() || FStopped; });
  if (FEnded.empty()) return false;
  const bool Answered = FEnded.front();
  FEnded.pop_front();
  return Answered;
}

void TPlaybackHttp::Deliver(bool Answered) {
  std::lock_guard<std::mutex> Lock(FMutex);
  FEnded.push_back(Answered);
  FChanged.notify_all();
}

void TPlaybackHttp::Stop() {
  std::lock_guard<std::mutex> Lock(FMutex);
  FStopped = true;
  FChanged.notify_all();
}
