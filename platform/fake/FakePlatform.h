#pragma once
// A scripted platform for tests: no window, no sound card, no network. Every interface of
// the seam is here, each keeping what was asked of it so a test can look, and each
// answering from fields a test sets. The clock only moves when the test moves it.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/PlatformAudio.h"
#include "platform/fake/FakeAudio.h"

class TFakeClock final : public IClock {
 public:
  uint32_t Ticks() override {
    uint32_t Now = FNow;
    FNow += AutoAdvance;
    return Now;
  }
  // Sleeping is a clock move, so a loop that sleeps still makes progress.
  void Sleep(uint32_t Ms) override {
    FNow += Ms;
    ++Sleeps;
  }
  void SetTicks(uint32_t Now) { FNow = Now; }
  void Advance(uint32_t Ms) { FNow += Ms; }  // unsigned: wraps at 2^32 like the real clock
  uint32_t Now() const { return FNow; }

  uint32_t AutoAdvance = 0;  // added after every Ticks() read
  int32_t Sleeps = 0;

 private:
  uint32_t FNow = 0;
};

struct TPresentedPicture {
  int32_t Width = 0;
  int32_t Height = 0;
  std::vector<uint32_t> Pixels;  // Width * Height, rows without padding
  bool WaitVBlank = false;
  uint32_t Pixel(int32_t X, int32_t Y) const { return Pixels[static_cast<size_t>(Y) * Width + X]; }
};

class TFakeWindow final : public IWindowSystem {
 public:
  bool CreateMainWindow(const std::string& Title, int32_t ClientWidth, int32_t ClientHeight,
                        std::string& Error) override;
  void SetBordered(bool Bordered) override { this->Bordered = Bordered; }
  bool SetFullScreen(bool On) override;
  void CentreWindow() override { ++Centred; }
  TWindowPlacement GetPlacement() override { return Placement; }
  void SetPlacement(const TWindowPlacement& Value) override {
    Placement = Value;
    ++PlacementsSet;
  }
  void Minimise() override { ++Minimised; }
  bool IsForeground() override { return Foreground; }
  int32_t ShowCursor(bool Show) override;
  void UseHandPointer() override { HandPointer = true; }
  void ClientOrigin(int32_t& X, int32_t& Y) override {
    X = OriginX;
    Y = OriginY;
  }
  void GetCursorPos(int32_t& X, int32_t& Y) override {
    X = CursorX;
    Y = CursorY;
  }
  void SetCursorPos(int32_t X, int32_t Y) override;
  int32_t RefreshRate() override { return Refresh; }
  std::vector<TDisplayMode> DisplayModes() override { return Modes; }
  bool Present(const uint32_t* Pixels, int32_t Width, int32_t Height, int32_t PitchBytes,
               bool WaitVBlank) override;
  bool PollEvent(TPlatformEvent& Event) override;
  void ShowMessage(const std::string& Title, const std::string& Text) override {
    Messages.push_back({Title, Text});
  }

  void PushEvent(const TPlatformEvent& Event) { Events.push_back(Event); }
  void PushKey(TEventKind Kind, int32_t Key, uint32_t Shift = 0);

  // Scripted answers.
  bool CreateFails = false;
  std::string CreateError = "no display: scripted";
  bool FullScreenFails = false;
  bool Foreground = true;
  int32_t Refresh = 0;
  std::vector<TDisplayMode> Modes;
  int32_t OriginX = 0, OriginY = 0;

  // What was asked.
  bool Created = false;
  std::string Title;
  int32_t ClientWidth = 0, ClientHeight = 0;
  bool Bordered = true;
  bool FullScreen = false;
  int32_t FullScreenSwitches = 0;
  int32_t Centred = 0;
  TWindowPlacement Placement{100, 100, 800, 600};
  int32_t PlacementsSet = 0;
  int32_t Minimised = 0;
  int32_t CursorCounter = 0;      // the display counter: visible while >= 0
  std::vector<bool> CursorCalls;  // true = show, false = hide, in call order
  bool HandPointer = false;       // the pointer over the picture is the hand
  int32_t CursorX = 0, CursorY = 0;
  struct TPoint {
    int32_t X, Y;
  };
  std::vector<TPoint> Warps;
  struct TMessage {
    std::string Title, Text;
  };
  std::vector<TMessage> Messages;
  TPresentedPicture LastPresented;
  int32_t Presents = 0;
  // False: presents are counted and LastPresented keeps only the size, not a copy of the
  // picture (a long run that never looks at it).
  bool KeepPictures = true;
  std::deque<TPlatformEvent> Events;
};

class TFakeKeyboard final : public IKeyboard {
 public:
  void ReadKeyTable(uint8_t Table[256]) override;
  void SetKey(int32_t Vk, bool Down) { Keys[Vk & 0xFF] = Down ? 0x80 : 0; }
  void ReleaseAll() {
    for (uint8_t& K : Keys) K = 0;
  }
  uint8_t Keys[256] = {};
  int32_t Reads = 0;
};

class TFakeJoystick final : public IJoystick {
 public:
  int32_t Count() override { return Present ? 1 : 0; }
  bool Open(int32_t Index, TJoystickCaps& Caps) override;
  bool Read(TJoystickPosition& Position) override;
  void Close() override { Opened = false; }

  bool Present = false;
  bool ReadFails = false;
  TJoystickCaps Caps;
  TJoystickPosition Position;  // start centred on the default limits
  bool Opened = false;
  int32_t Reads = 0;
  TFakeJoystick() { Position.X = Position.Y = Position.Z = 32767; }
};

class TFakeShell final : public IShell {
 public:
  void Open(const std::string& Target) override { Opened.push_back(Target); }
  std::vector<std::string> Opened;
};

class TFakeHttp final : public IHttpClient {
 public:
  bool Get(const THttpRequest& Request, std::string& Body) override {
    std::unique_lock<std::mutex> Lock(FMutex);
    Requests.push_back(Request.Url);
    Sent.push_back(Request);
    FHeldChanged.wait(Lock, [this] { return !FHeld; });
    if (!Succeeds) return false;
    Body = Response;
    return true;
  }
  // While held, a Get waits on its own thread until Release: a request still on its way,
  // for tests of whoever polls it.
  void Hold() {
    std::lock_guard<std::mutex> Lock(FMutex);
    FHeld = true;
  }
  void Release() {
    {
      std::lock_guard<std::mutex> Lock(FMutex);
      FHeld = false;
    }
    FHeldChanged.notify_all();
  }
  size_t RequestCount() {
    std::lock_guard<std::mutex> Lock(FMutex);
    return Sent.size();
  }
  bool Succeeds = false;  // like a machine without network
  std::string Response;
  std::vector<std::string> Requests;  // the addresses asked for, in order
  std::vector<THttpRequest> Sent;     // the whole requests

 private:
  std::mutex FMutex;
  std::condition_variable FHeldChanged;
  bool FHeld = false;
};

// Deterministic text metrics: every character is Size / 2 pixels wide (or as wide as
// CharWidths says for it) and Size pixels high, and DrawText fills the text's box with the
// colour, clipped to the picture.
class TFakeFonts final : public IFontSystem {
 public:
  TFontHandle OpenFont(const std::string& Face, int32_t Size, bool Bold) override;
  void TextExtent(TFontHandle Font, const std::string& Text, int32_t& Width,
                  int32_t& Height) override;
  void DrawText(TFontHandle Font, const std::string& Text, uint32_t Colour, uint32_t* Pixels,
                int32_t Width, int32_t Height, int32_t PitchBytes, int32_t X, int32_t Y) override;

  struct TOpened {
    std::string Face;
    int32_t Size;
    bool Bold;
  };
  struct TDrawn {
    TFontHandle Font;
    std::string Text;
    uint32_t Colour;
    int32_t X, Y;
  };
  std::vector<TOpened> Opened;  // handle i is Opened[i - 1]
  std::vector<TDrawn> Drawn;
  std::map<uint8_t, int32_t> CharWidths;  // pixels, whatever the size
};

class TFakeMusicPlayer final : public IMusicPlayer {
 public:
  uint32_t SongLoadFromFile(const std::string& FileName) override;
  void SongPlay(uint32_t Handle) override { Played.push_back(Handle); }
  void SongFree(uint32_t Handle) override { Freed.push_back(Handle); }

  bool LoadFails = false;
  std::vector<std::string> Loaded;  // handle i is Loaded[i - 1]
  std::vector<uint32_t> Played;
  std::vector<uint32_t> Freed;
};

class TFakePlatform final : public TPlatform {
 public:
  TFakePlatform() = default;
  // A test may hand in its own sound device or music player (for example a real offline
  // mixer); the fake ones above are used otherwise.
  void SetAudio(std::unique_ptr<IAudioDevice> Device) { FAudioOverride = std::move(Device); }
  void SetMusic(std::unique_ptr<IMusicPlayer> Player) { FMusicOverride = std::move(Player); }

  IWindowSystem& Window() override { return FakeWindow; }
  IClock& Clock() override { return FakeClock; }
  IKeyboard& Keyboard() override { return FakeKeyboard; }
  IJoystick& Joystick() override { return FakeJoystick; }
  IAudioDevice& Audio() override {
    return FAudioOverride ? *FAudioOverride : static_cast<IAudioDevice&>(FakeAudio);
  }
  IMusicPlayer& Music() override {
    return FMusicOverride ? *FMusicOverride : static_cast<IMusicPlayer&>(FakeMusic);
  }
  IShell& Shell() override { return FakeShell; }
  IHttpClient& Http() override { return FakeHttp; }
  IFontSystem& Fonts() override { return FakeFonts; }

  TFakeWindow FakeWindow;
  TFakeClock FakeClock;
  TFakeKeyboard FakeKeyboard;
  TFakeJoystick FakeJoystick;
  // Like a machine without a sound card: opening fails and the game runs silent.
  TFakeAudio FakeAudio{false};
  TFakeMusicPlayer FakeMusic;
  TFakeShell FakeShell;
  TFakeHttp FakeHttp;
  TFakeFonts FakeFonts;

 private:
  std::unique_ptr<IAudioDevice> FAudioOverride;
  std::unique_ptr<IMusicPlayer> FMusicOverride;
};
