#pragma once
// Plays a recorded game back: the platform answers every question of the game from the
// replay's tape, frame by frame, the way the machine answered it when the game was played.
// Nothing reaches the machine: no window, no sound, no network, no web pages (the fake
// platform's pieces stand in; a request of the network ends, unanswered or answered, in the
// frame the recording says). A viewer platform, when given, shows the picture and plays
// the sound and music, and is asked nothing that could change the game.
//
// When the game asks something more often than the recording holds for that frame, the last
// answer of its kind stands in, and the first such frame is noted: a program that asks
// differently from the one that recorded has changed.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>

#include "platform/Platform.h"
#include "platform/fake/FakePlatform.h"
#include "platform/replay/ReplayFile.h"
#include "platform/replay/ReplayTape.h"

class TPlaybackPlatform;

class TPlaybackWindow final : public IWindowSystem {
 public:
  explicit TPlaybackWindow(TPlaybackPlatform& Owner) : FOwner(Owner) {}
  bool CreateMainWindow(const std::string& Title, int32_t ClientWidth, int32_t ClientHeight,
                        std::string& Error) override;
  void SetBordered(bool) override {}
  bool SetFullScreen(bool On) override;
  void CentreWindow() override {}
  TWindowPlacement GetPlacement() override;
  void SetPlacement(const TWindowPlacement&) override {}
  void Minimise() override {}
  bool IsForeground() override;
  int32_t ShowCursor(bool Show) override;
  void UseHandPointer() override {}
  void ClientOrigin(int32_t& X, int32_t& Y) override;
  void GetCursorPos(int32_t& X, int32_t& Y) override;
  void SetCursorPos(int32_t, int32_t) override {}
  int32_t RefreshRate() override;
  int32_t PacedRate() override;
  std::vector<TDisplayMode> DisplayModes() override;
  bool Present(const uint32_t* Pixels, int32_t Width, int32_t Height, int32_t PitchBytes,
               bool WaitVBlank) override;
  bool PollEvent(TPlatformEvent& Event) override;
  void ShowMessage(const std::string& Title, const std::string& Text) override {
    Messages.push_back(Title + ": " + Text);
  }

  std::vector<std::string> Messages;

 private:
  TPlaybackPlatform& FOwner;
};

class TPlaybackClock final : public IClock {
 public:
  explicit TPlaybackClock(TPlaybackPlatform& Owner) : FOwner(Owner) {}
  uint32_t Ticks() override;
  void Sleep(uint32_t) override {}

 private:
  TPlaybackPlatform& FOwner;
};

class TPlaybackKeyboard final : public IKeyboard {
 public:
  explicit TPlaybackKeyboard(TPlaybackPlatform& Owner) : FOwner(Owner) {}
  void ReadKeyTable(uint8_t Table[256]) override;

 private:
  TPlaybackPlatform& FOwner;
};

class TPlaybackJoystick final : public IJoystick {
 public:
  explicit TPlaybackJoystick(TPlaybackPlatform& Owner) : FOwner(Owner) {}
  int32_t Count() override;
  bool Open(int32_t Index, TJoystickCaps& Caps) override;
  bool Read(TJoystickPosition& Position) override;
  void Close() override {}

 private:
  TPlaybackPlatform& FOwner;
};

class TPlaybackFonts final : public IFontSystem {
 public:
  explicit TPlaybackFonts(TPlaybackPlatform& Owner) : FOwner(Owner) {}
  TFontHandle OpenFont(const std::string& Face, int32_t Size, bool Bold) override;
  void TextExtent(TFontHandle Font, const std::string& Text, int32_t& Width,
                  int32_t& Height) override;
  void DrawText(TFontHandle Font, const std::string& Text, uint32_t Colour, uint32_t* Pixels,
                int32_t Width, int32_t Height, int32_t PitchBytes, int32_t X, int32_t Y) override;

 private:
  TPlaybackPlatform& FOwner;
  std::map<TFontHandle, int32_t> FSizes;            // the recorded handle's point size
  std::map<TFontHandle, TFontHandle> FViewerFonts;  // the same font opened by the viewer
};

// The upload's request ends when the recording says: its worker waits for DeliverUpload.
class TPlaybackHttp final : public IHttpClient {
 public:
  explicit TPlaybackHttp(TPlaybackPlatform& Owner) : FOwner(Owner) {}
  bool Get(const THttpRequest& Request, std::string& Body) override;
  void Deliver(bool Answered);
  void Stop();

 private:
  TPlaybackPlatform& FOwner;
  std::mutex FMutex;
  std::condition_variable FChanged;
  std::deque<bool> FEnded;
  bool FStopped = false;
};

class TPlaybackPlatform final : public TPlatform {
 public:
  explicit TPlaybackPlatform(const TReplay& Replay, TPlatform* Viewer = nullptr);

  // The answers of frame I (frames are played in order, from 0); throws EReplayError when
  // its part of the tape is damaged.
  void BeginFrame(size_t I);
  // Notes answers of the frame that the game did not ask for.
  void EndFrame();
  // Right after BeginFrame: a request of the network that ended before this frame in the
  // recording ends now. True when one did; its worker is then on its way to finish.
  bool DeliverUpload();
  // No more frames come: a request still waiting ends at once, unanswered.
  void StopUploads() { FHttp.Stop(); }
  // "frame 12: the clock was read 3 times, the recording has 2", for the first frame whose
  // questions differ from the recording's; empty while they agree.
  const std::string& FirstAskedDifference() const { return FAskedDifference; }
  // The viewer's window was closed, or Esc pressed in it.
  bool ViewerClosed() const { return FViewerClosed; }

  IWindowSystem& Window() override { return FWindow; }
  IClock& Clock() override { return FClock; }
  IKeyboard& Keyboard() override { return FKeyboard; }
  IJoystick& Joystick() override { return FJoystick; }
  IAudioDevice& Audio() override { return FViewer ? FViewer->Audio() : Fake.Audio(); }
  IMusicPlayer& Music() override { return FViewer ? FViewer->Music() : Fake.Music(); }
  IShell& Shell() override { return Fake.Shell(); }
  IHttpClient& Http() override { return FHttp; }
  IFontSystem& Fonts() override { return FFonts; }

  // The silent sound, the module player, the shell and the network of a playback.
  TFakePlatform Fake;

 private:
  friend class TPlaybackWindow;
  friend class TPlaybackClock;
  friend class TPlaybackKeyboard;
  friend class TPlaybackJoystick;
  friend class TPlaybackFonts;
  friend class TPlaybackHttp;

  // Takes the next answer of a kind, or notes that there was none and keeps Fallback.
  template <class T>
  T Take(std::deque<T>& Queue, T& Last, const char* What);
  bool OnGameThread() const { return std::this_thread::get_id() == FThread; }

  const TReplay& FReplay;
  TPlatform* FViewer;
  TTapeReader FReader;
  TFrameAnswers FAnswers;
  size_t FFrame = 0;
  std::thread::id FThread;
  std::string FAskedDifference;
  bool FViewerClosed = false;

  // The last answer of each kind, for questions beyond the recording.
  std::atomic<uint32_t> FLastTicks{0};
  uint32_t FTicks = 0;
  std::array<uint8_t, 256> FKeys{};
  bool FForeground = true, FFullScreen = true, FPresent = true;
  std::pair<int32_t, int32_t> FCursor{0, 0}, FOrigin{0, 0};
  int32_t FRefresh = 0, FPaced = 60, FCursorCounter = 0, FJoysticks = 0, FFont = 0;
  std::vector<TDisplayMode> FModes;
  TWindowPlacement FPlacement;
  std::pair<bool, std::string> FCreate{true, ""};
  std::pair<bool, TJoystickCaps> FJoystickOpen{false, {}};
  std::pair<bool, TJoystickPosition> FJoystickRead{false, {}};
  bool FUpload = false;

  TPlaybackWindow FWindow;
  TPlaybackClock FClock;
  TPlaybackKeyboard FKeyboard;
  TPlaybackJoystick FJoystick;
  TPlaybackFonts FFonts;
  TPlaybackHttp FHttp;
};
