#pragma once
// The seam between the game and the machine. Everything the engine, the shell and the
// services ask of the operating system goes through these interfaces; platform/sdl holds
// the real implementation, platform/fake a scripted one for tests. No other folder
// includes SDL, SDL_ttf, fontconfig, libxmp or libcurl.
//
// Conventions:
// - Key codes are Windows virtual-key numbers (VK_LEFT = 37, 'A' = 65, ...).
// - Text is 8-bit (Latin-1), as the game's own strings are; the platform converts.
// - Mouse and pointer positions are in "game screen" units: one unit is one pixel of the
//   800 x 600 back surface, and the window's client area starts at ClientOrigin(). In
//   full screen the letterbox scale is undone, so the game never sees the real resolution.

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/PlatformAudio.h"

// Shift state bits of key and mouse events (the original's TShiftState order).
enum : uint32_t {
  ssShift = 1u << 0,
  ssAlt = 1u << 1,
  ssCtrl = 1u << 2,
  ssLeft = 1u << 3,
  ssRight = 1u << 4,
  ssMiddle = 1u << 5,
  ssDouble = 1u << 6,
};

enum class TEventKind {
  CloseRequest,  // the user asked the window to close (title bar, Alt+F4, window manager)
  KeyDown,       // Key = virtual-key code, Repeat set for auto-repeat
  KeyUp,
  Char,       // Char = 8-bit character; Backspace arrives as 8 and Enter as 13
  MouseMove,  // X, Y in back-surface pixels
  MouseDown,  // Button: 0 left, 1 right, 2 middle
  MouseUp,
  Click,      // a press and release of the left button over the window (Clicks 2: double)
  Activated,  // the window became the foreground window
  Deactivated,
  Minimised,
  Restored,
};

struct TPlatformEvent {
  TEventKind Kind = TEventKind::KeyDown;
  int32_t Key = 0;
  uint32_t Shift = 0;
  uint8_t Char = 0;
  int32_t X = 0;
  int32_t Y = 0;
  int32_t Button = 0;
  int32_t Clicks = 1;
  bool Repeat = false;
};

struct TWindowPlacement {
  int32_t X = 0;
  int32_t Y = 0;
  int32_t Width = 0;
  int32_t Height = 0;
};

struct TDisplayMode {
  int32_t Width = 0;
  int32_t Height = 0;
  int32_t BitCount = 0;
  int32_t RefreshRate = 0;
};

class IWindowSystem {
 public:
  virtual ~IWindowSystem() = default;
  // Creates the one main window, hidden-border-free decisions are made later.
  // On failure answers false and says why in Error ("no display: ...").
  virtual bool CreateMainWindow(const std::string& Title, int32_t ClientWidth, int32_t ClientHeight,
                                std::string& Error) = 0;
  virtual void SetBordered(bool Bordered) = 0;
  // Desktop full screen; the 800 x 600 picture is scaled with kept 4:3 aspect.
  virtual bool SetFullScreen(bool On) = 0;
  virtual void CentreWindow() = 0;
  virtual TWindowPlacement GetPlacement() = 0;
  virtual void SetPlacement(const TWindowPlacement& Placement) = 0;
  virtual void Minimise() = 0;
  virtual bool IsForeground() = 0;
  // The Windows display counter: show increments, hide decrements; the pointer is visible
  // while the counter is >= 0. Answers the new counter.
  virtual int32_t ShowCursor(bool Show) = 0;
  // The pointer shows as the hand pointer while it is over the window's picture.
  virtual void UseHandPointer() = 0;
  virtual void ClientOrigin(int32_t& X, int32_t& Y) = 0;
  virtual void GetCursorPos(int32_t& X, int32_t& Y) = 0;
  virtual void SetCursorPos(int32_t X, int32_t Y) = 0;
  // Vertical refresh rate of the monitor in Hz; 0 when the system does not know.
  virtual int32_t RefreshRate() = 0;
  // The rate frames that wait for the vertical blank come at most: the refresh rate, or the
  // rate the platform paces them at when the system does not say (60 Hz).
  virtual int32_t PacedRate() {
    const int32_t Rate = RefreshRate();
    return Rate > 1 ? Rate : 60;
  }
  virtual std::vector<TDisplayMode> DisplayModes() = 0;
  // Shows one XRGB8888 picture in the window (or full screen).
  virtual bool Present(const uint32_t* Pixels, int32_t Width, int32_t Height, int32_t PitchBytes,
                       bool WaitVBlank) = 0;
  virtual bool PollEvent(TPlatformEvent& Event) = 0;
  // A message box owned by the main window (or free-standing when there is none).
  virtual void ShowMessage(const std::string& Title, const std::string& Text) = 0;
};

class IClock {
 public:
  virtual ~IClock() = default;
  // Milliseconds since some start, 32-bit, wrapping like timeGetTime.
  virtual uint32_t Ticks() = 0;
  virtual void Sleep(uint32_t Ms) = 0;
};

class IKeyboard {
 public:
  virtual ~IKeyboard() = default;
  // Fills 256 entries indexed by virtual-key code; high bit set = key down.
  virtual void ReadKeyTable(uint8_t Table[256]) = 0;
};

// A joystick as the system reports it: raw axis positions between the limits.
struct TJoystickCaps {
  uint32_t XMin = 0, XMax = 65535;
  uint32_t YMin = 0, YMax = 65535;
  uint32_t ZMin = 0, ZMax = 65535;
  int32_t NumButtons = 0;
};

struct TJoystickPosition {
  uint32_t X = 0, Y = 0, Z = 0;
  uint32_t Buttons = 0;  // bit i = button i down
};

// A game controller is read as a joystick: stick and d-pad on X and Y, its face and menu
// buttons on fixed button bits (see platform/PadMapping.h). This bit means "press the
// highlighted button", as Enter does; no plain joystick has that many buttons.
constexpr int32_t KJoystickConfirmBit = 26;

class IJoystick {
 public:
  virtual ~IJoystick() = default;
  virtual int32_t Count() = 0;
  // Opens the Index-th joystick present; false when there is none.
  virtual bool Open(int32_t Index, TJoystickCaps& Caps) = 0;
  virtual bool Read(TJoystickPosition& Position) = 0;
  virtual void Close() = 0;
};

class IShell {
 public:
  virtual ~IShell() = default;
  // Hands an address or a file to the desktop's "open" action; never blocks, result unseen.
  virtual void Open(const std::string& Target) = 0;
};

// One HTTP GET. The time-outs stay at their defaults in the game; tests shorten them.
struct THttpRequest {
  THttpRequest() = default;
  THttpRequest(std::string AUrl) : Url(std::move(AUrl)) {}  // NOLINT: a bare address is a request
  std::string Url;
  std::vector<std::string> Headers;  // "Name: value", sent as given (Accept, User-Agent, ...)
  int32_t ConnectTimeoutMs = 5000;   // establishing the connection
  int32_t TimeoutMs = 10000;         // the whole request, connection included
};

class IHttpClient {
 public:
  virtual ~IHttpClient() = default;
  // One GET with bounded time-outs, no proxy; an HTTP error status counts as a failure.
  // Cookies that servers set are kept in memory for the run and sent back with later
  // requests. False on any failure. Safe to call from a worker thread while the frame
  // goes on; the client must outlive the call.
  virtual bool Get(const THttpRequest& Request, std::string& Body) = 0;
};

using TFontHandle = int32_t;  // 0 = none

class IFontSystem {
 public:
  virtual ~IFontSystem() = default;
  // Face names are matched through fontconfig; Size is in points at 96 DPI.
  virtual TFontHandle OpenFont(const std::string& Face, int32_t Size, bool Bold) = 0;
  virtual void TextExtent(TFontHandle Font, const std::string& Text, int32_t& Width,
                          int32_t& Height) = 0;
  // Draws Text with a clear brush onto an XRGB8888 picture, top-left at (X, Y), clipped.
  // Colour is 0x00RRGGBB.
  virtual void DrawText(TFontHandle Font, const std::string& Text, uint32_t Colour,
                        uint32_t* Pixels, int32_t Width, int32_t Height, int32_t PitchBytes,
                        int32_t X, int32_t Y) = 0;
};

class TPlatform {
 public:
  virtual ~TPlatform() = default;
  virtual IWindowSystem& Window() = 0;
  virtual IClock& Clock() = 0;
  virtual IKeyboard& Keyboard() = 0;
  virtual IJoystick& Joystick() = 0;
  virtual IAudioDevice& Audio() = 0;
  virtual IMusicPlayer& Music() = 0;
  virtual IShell& Shell() = 0;
  virtual IHttpClient& Http() = 0;
  virtual IFontSystem& Fonts() = 0;
};
