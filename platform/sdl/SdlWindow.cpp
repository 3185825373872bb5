#include "platform/sdl/SdlWindow.h"

#include <SDL_syswm.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "platform/DeadlineSleep.h"
#include "platform/sdl/SdlKeyboard.h"
#include "platform/sdl/SdlText.h"

namespace {

bool HintSaysNo(const char* Name) {
  const char* Value = SDL_GetHint(Name);
  if (!Value) return false;
  const std::string V = Value;
  return V == "0" || V == "false" || V == "software";
}

bool EnvironmentSet(const char* Name) {
  const char* Value = SDL_getenv(Name);
  return Value && *Value && std::string(Value) != "0" && std::string(Value) != "false";
}

// Whether a GPU renderer may exist for this window, decided without building one: building
// and dropping a renderer costs 80 to 110 ms on Mesa's software OpenGL and leaves its
// libraries loaded. Without a DRM device the system's OpenGL can only be a software one.
bool GpuRendererPossible(const std::string& Driver) {
  if (Driver == "dummy" || Driver == "offscreen" || Driver.empty()) return false;
  if (HintSaysNo(SDL_HINT_FRAMEBUFFER_ACCELERATION)) return false;
  const char* RenderDriver = SDL_GetHint(SDL_HINT_RENDER_DRIVER);
  if (RenderDriver && std::string(RenderDriver) == "software") return false;
  if (EnvironmentSet("LIBGL_ALWAYS_SOFTWARE")) return false;
  std::error_code Ec;
  for (const auto& Entry : std::filesystem::directory_iterator("/dev/dri", Ec)) {
    const std::string Name = Entry.path().filename().string();
    if ((Name.rfind("renderD", 0) == 0 || Name.rfind("card", 0) == 0) &&
        access(Entry.path().c_str(), R_OK | W_OK) == 0)
      return true;
  }
  return false;
}

// A renderer that turned out to be a software one anyway (a GPU machine's virtual X server):
// Mesa's software rasterisers present an 800 x 600 texture in about 4 ms, the window
// framebuffer path the same in about 0.4 ms.
bool RendererIsSoftware(SDL_Renderer* Renderer) {
  SDL_RendererInfo Info;
  if (SDL_GetRendererInfo(Renderer, &Info) != 0) return true;
  if (Info.flags & SDL_RENDERER_SOFTWARE) return true;
  const std::string Name = Info.name ? Info.name : "";
  if (Name.rfind("opengl", 0) != 0) return false;
  // glGetString(GL_RENDERER) of the renderer's current context.
  using TGetString = const unsigned char* (*)(unsigned int);
  auto GetString = reinterpret_cast<TGetString>(SDL_GL_GetProcAddress("glGetString"));
  if (!GetString) return false;
  const unsigned char* Text = GetString(0x1F01);
  if (!Text) return false;
  const std::string Gl = reinterpret_cast<const char*>(Text);
  for (const char* Soft : {"llvmpipe", "softpipe", "swrast", "Software"})
    if (Gl.find(Soft) != std::string::npos) return true;
  return false;
}

// Asks the X server to show the window and returns at once. SDL_ShowWindow waits for the
// window manager to map it, some tens of milliseconds under openbox that the start-up can
// spend loading its packs instead; the first picture waits for the map (WaitUntilShown).
bool MapWithoutWaiting(SDL_Window* Shown) {
#if defined(SDL_VIDEO_DRIVER_X11)
  SDL_SysWMinfo Info;
  SDL_VERSION(&Info.version);
  if (!SDL_GetWindowWMInfo(Shown, &Info) || Info.subsystem != SDL_SYSWM_X11) return false;
  // libX11 is loaded already (by SDL); its two calls are looked up rather than linked.
  static void* const X11 = SDL_LoadObject("libX11.so.6");
  if (!X11) return false;
  using TMapRaised = int (*)(Display*, Window);
  using TFlush = int (*)(Display*);
  static const auto MapRaised = reinterpret_cast<TMapRaised>(SDL_LoadFunction(X11, "XMapRaised"));
  static const auto Flush = reinterpret_cast<TFlush>(SDL_LoadFunction(X11, "XFlush"));
  if (!MapRaised || !Flush) return false;
  MapRaised(Info.info.x11.display, Info.info.x11.window);
  Flush(Info.info.x11.display);
  return true;
#else
  (void)Shown;
  return false;
#endif
}

}  // namespace

TSdlWindow::TSdlWindow() : FPacer(SteadyMicros, SleepUntilMicros) {}

TSdlWindow::~TSdlWindow() {
  if (FHandPointer) SDL_FreeCursor(FHandPointer);
  if (FTexture) SDL_DestroyTexture(FTexture);
  if (FRenderer) SDL_DestroyRenderer(FRenderer);
  if (FWindow) SDL_DestroyWindow(FWindow);
  if (FVideoStarted) SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

bool TSdlWindow::CreateMainWindow(const std::string& Title, int32_t ClientWidth,
                                  int32_t ClientHeight, std::string& Error) {
  const char* Asked = SDL_getenv("SDL_VIDEODRIVER");
  const bool DriverAsked = Asked && *Asked;
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    Error = std::string("no display: ") + SDL_GetError();
    return false;
  }
  FVideoStarted = true;
  const char* Driver = SDL_GetCurrentVideoDriver();
  const std::string DriverName = Driver ? Driver : "";
  // Without DISPLAY or WAYLAND_DISPLAY SDL still starts on its invisible drivers; a player
  // would see nothing at all, so that counts as no display unless a test asked for it.
  if (!DriverAsked && (DriverName == "offscreen" || DriverName == "dummy" || DriverName.empty())) {
    Error =
        "no display: no X11 or Wayland display could be opened (DISPLAY and "
        "WAYLAND_DISPLAY are not set or do not answer)";
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    FVideoStarted = false;
    return false;
  }
  FClientW = ClientWidth;
  FClientH = ClientHeight;
  // The presenter is chosen before the window is made: a renderer needs an OpenGL window,
  // and SDL would otherwise make the window over again for it.
  const bool TryRenderer = GpuRendererPossible(DriverName);
  if (!TryRenderer) SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  // Made centred where it stays: moving a shown window waits on the window manager. On X11
  // it is made hidden and mapped without waiting for the window manager (see
  // MapWithoutWaiting).
  const bool MapLater = DriverName == "x11";
  FWindow = SDL_CreateWindow(
      Title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, ClientWidth, ClientHeight,
      (MapLater ? SDL_WINDOW_HIDDEN : SDL_WINDOW_SHOWN) | (TryRenderer ? SDL_WINDOW_OPENGL : 0));
  if (!FWindow) {
    Error = std::string("no display: the window cannot be made: ") + SDL_GetError();
    return false;
  }
  FCentred = true;
  if (MapLater) {
    FMapPending = MapWithoutWaiting(FWindow);
    if (!FMapPending) SDL_ShowWindow(FWindow);
  }
  if (TryRenderer) {
    FRenderer = SDL_CreateRenderer(FWindow, -1, SDL_RENDERER_ACCELERATED);
    if (FRenderer && RendererIsSoftware(FRenderer)) {
      SDL_DestroyRenderer(FRenderer);
      FRenderer = nullptr;
    }
    // The window's own framebuffer through the native path, not through a renderer.
    if (!FRenderer) SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  }
  FPresenterName = FRenderer ? "renderer" : "framebuffer";
  SDL_RaiseWindow(FWindow);
  SDL_StartTextInput();
  FForeground = true;
  return true;
}

void TSdlWindow::WaitUntilShown() {
  // The first picture goes to a window on the screen: SDL marks it shown when the map
  // arrives. A window manager that never answers does not hold the game for more than 2 s.
  FMapPending = false;
  const Uint32 Until = SDL_GetTicks() + 2000;
  while (!(SDL_GetWindowFlags(FWindow) & SDL_WINDOW_SHOWN) &&
         !SDL_TICKS_PASSED(SDL_GetTicks(), Until)) {
    SDL_PumpEvents();
    if (!(SDL_GetWindowFlags(FWindow) & SDL_WINDOW_SHOWN)) SDL_Delay(1);
  }
  if (!(SDL_GetWindowFlags(FWindow) & SDL_WINDOW_SHOWN)) SDL_ShowWindow(FWindow);
  // Raised and focused as a window shown at once would have been.
  SDL_RaiseWindow(FWindow);
}

void TSdlWindow::SetBordered(bool Bordered) {
  // SDL ignores a border change of a full-screen window: the wish is kept and applied when
  // the window comes back from full screen, or the window would come back without its frame.
  FWantBordered = Bordered;
  if (FWindow && !FFullScreen) SDL_SetWindowBordered(FWindow, Bordered ? SDL_TRUE : SDL_FALSE);
}

bool TSdlWindow::SetFullScreen(bool On) {
  if (!FWindow) return false;
  if (On == FFullScreen) return true;
  if (On) {
    // Where the window stands, to come back to.
    SDL_GetWindowPosition(FWindow, &FWindowed.X, &FWindowed.Y);
    SDL_GetWindowSize(FWindow, &FWindowed.Width, &FWindowed.Height);
  }
  if (SDL_SetWindowFullscreen(FWindow, On ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0) return false;
  FFullScreen = On;
  FPacer.Reset();
  FFramebuffer.Invalidate();
  if (!On) LeaveFullScreen();
  return true;
}

void TSdlWindow::LeaveFullScreen() {
  // The frame first (what was asked while in full screen), then the size and the place the
  // window had, or the ones asked for meanwhile.
  SDL_SetWindowBordered(FWindow, FWantBordered ? SDL_TRUE : SDL_FALSE);
  TWindowPlacement P = FWindowed;
  if (FPendingPlacement) P = FPlacement;
  FPendingPlacement = false;
  int W = 0, H = 0;
  SDL_GetWindowSize(FWindow, &W, &H);
  if (P.Width > 0 && P.Height > 0 && (W != P.Width || H != P.Height))
    SDL_SetWindowSize(FWindow, P.Width, P.Height);
  if (FPendingCentre) {
    FPendingCentre = false;
    FCentred = false;
    CentreWindow();
  } else {
    MoveTo(P.X, P.Y);
  }
}

void TSdlWindow::MoveTo(int32_t X, int32_t Y) {
  // A move waits up to 100 ms for the window manager to carry it out: only real moves.
  int Cx = 0, Cy = 0;
  SDL_GetWindowPosition(FWindow, &Cx, &Cy);
  if (Cx == X && Cy == Y) return;
  SDL_SetWindowPosition(FWindow, X, Y);
  FCentred = false;
}

void TSdlWindow::CentreWindow() {
  if (!FWindow) return;
  if (FFullScreen) {
    FPendingCentre = true;
    return;
  }
  // A window made centred, or centred since, is not moved again.
  if (FCentred) return;
  SDL_SetWindowPosition(FWindow, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
  FCentred = true;
}

TWindowPlacement TSdlWindow::GetPlacement() {
  TWindowPlacement P;
  if (!FWindow) return P;
  if (FFullScreen) return FWindowed;
  int X = 0, Y = 0, W = 0, H = 0;
  SDL_GetWindowPosition(FWindow, &X, &Y);
  SDL_GetWindowSize(FWindow, &W, &H);
  P = {X, Y, W, H};
  return P;
}

void TSdlWindow::SetPlacement(const TWindowPlacement& P) {
  if (!FWindow) return;
  if (FFullScreen) {
    // Applied on the way back to the window.
    FPlacement = P;
    FPendingPlacement = true;
    FPendingCentre = false;
    return;
  }
  if (P.Width > 0 && P.Height > 0) {
    int W = 0, H = 0;
    SDL_GetWindowSize(FWindow, &W, &H);
    if (W != P.Width || H != P.Height) SDL_SetWindowSize(FWindow, P.Width, P.Height);
  }
  MoveTo(P.X, P.Y);
}

void TSdlWindow::Minimise() {
  if (FWindow) SDL_MinimizeWindow(FWindow);
}

int32_t TSdlWindow::ShowCursor(bool Show) {
  FCursorCounter += Show ? 1 : -1;
  SDL_ShowCursor(FCursorCounter >= 0 ? SDL_ENABLE : SDL_DISABLE);
  return FCursorCounter;
}

void TSdlWindow::UseHandPointer() {
  // SDL's pointer is one for all its windows, and this program has one window. A driver
  // without system pointers (the dummy one) keeps the arrow.
  if (!FHandPointer) FHandPointer = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_HAND);
  if (FHandPointer) SDL_SetCursor(FHandPointer);
}

SDL_Rect TSdlWindow::PictureRect() {
  int W = FClientW, H = FClientH;
  if (FWindow) SDL_GetWindowSize(FWindow, &W, &H);
  if (!FFullScreen || W <= 0 || H <= 0) return {0, 0, FClientW, FClientH};
  const TLetterbox B = LetterboxRect(W, H, FClientW, FClientH);
  return {B.X, B.Y, B.W, B.H};
}

void TSdlWindow::WindowToPicture(int32_t Wx, int32_t Wy, int32_t& X, int32_t& Y) {
  if (!FFullScreen) {
    X = Wx;
    Y = Wy;
    return;
  }
  const SDL_Rect R = PictureRect();
  AreaToPicture({R.x, R.y, R.w, R.h}, FClientW, FClientH, Wx, Wy, X, Y);
}

void TSdlWindow::ClientOrigin(int32_t& X, int32_t& Y) {
  X = Y = 0;
  // In full screen the game's coordinates are the picture's own, starting at 0.
  if (FWindow && !FFullScreen) SDL_GetWindowPosition(FWindow, &X, &Y);
}

void TSdlWindow::GetCursorPos(int32_t& X, int32_t& Y) {
  int Gx = 0, Gy = 0;
  SDL_GetGlobalMouseState(&Gx, &Gy);
  if (!FWindow || !FFullScreen) {
    X = Gx;
    Y = Gy;
    return;
  }
  int Wx = 0, Wy = 0;
  SDL_GetWindowPosition(FWindow, &Wx, &Wy);
  WindowToPicture(Gx - Wx, Gy - Wy, X, Y);
}

void TSdlWindow::SetCursorPos(int32_t X, int32_t Y) {
  // The game parks the pointer on the duck every frame. A warp is a round trip to the window
  // system that waits for it (and makes SDL ask for the pointer again afterwards), so one to
  // where the pointer already stands is not made; SDL keeps the pointer's place without
  // asking while nothing moves it.
  int Gx = 0, Gy = 0;
  SDL_GetGlobalMouseState(&Gx, &Gy);
  if (!FWindow || !FFullScreen) {
    if (Gx != X || Gy != Y) SDL_WarpMouseGlobal(X, Y);
    return;
  }
  const SDL_Rect R = PictureRect();
  const int Wx = R.x + static_cast<int>(static_cast<int64_t>(X) * R.w / FClientW);
  const int Wy = R.y + static_cast<int>(static_cast<int64_t>(Y) * R.h / FClientH);
  int Left = 0, Top = 0;
  SDL_GetWindowPosition(FWindow, &Left, &Top);
  if (Gx != Left + Wx || Gy != Top + Wy) SDL_WarpMouseInWindow(FWindow, Wx, Wy);
}

int32_t TSdlWindow::RefreshRate() {
  if (!FWindow) return 0;
  const int Display = SDL_GetWindowDisplayIndex(FWindow);
  SDL_DisplayMode Mode;
  if (Display < 0 || SDL_GetCurrentDisplayMode(Display, &Mode) != 0) return 0;
  return Mode.refresh_rate;
}

int32_t TSdlWindow::PacedRate() {
  return TFramePacer::PacedRate(RefreshRate());
}

std::vector<TDisplayMode> TSdlWindow::DisplayModes() {
  std::vector<TDisplayMode> Modes;
  if (!FWindow) return Modes;
  const int Display = std::max(SDL_GetWindowDisplayIndex(FWindow), 0);
  const int Count = SDL_GetNumDisplayModes(Display);
  for (int I = 0; I < Count; ++I) {
    SDL_DisplayMode M;
    if (SDL_GetDisplayMode(Display, I, &M) != 0) continue;
    // XRGB8888 counts as 32 bits, as Windows reports it.
    Modes.push_back(
        {M.w, M.h, static_cast<int32_t>(SDL_BYTESPERPIXEL(M.format) * 8), M.refresh_rate});
  }
  std::sort(Modes.begin(), Modes.end(), [](const TDisplayMode& A, const TDisplayMode& B) {
    if (A.Width != B.Width) return A.Width < B.Width;
    if (A.Height != B.Height) return A.Height < B.Height;
    return A.BitCount < B.BitCount;
  });
  return Modes;
}

bool TSdlWindow::Present(const uint32_t* Pixels, int32_t Width, int32_t Height, int32_t PitchBytes,
                         bool WaitVBlank) {
  if (!FWindow || !Pixels || Width <= 0 || Height <= 0) return false;
  if (FMapPending) WaitUntilShown();
  bool Ok;
  if (FRenderer) {
    Ok = PresentRenderer(Pixels, Width, Height, PitchBytes, WaitVBlank);
  } else {
    Ok = FFramebuffer.Present(FWindow, PictureRect(), Pixels, Width, Height, PitchBytes);
  }
  // The framebuffer cannot wait for the monitor, and a renderer may accept vsync and not
  // wait: either way the frame loop must not outrun the refresh rate.
  if (WaitVBlank)
    FPacer.FrameShown(RefreshRate());
  else
    FPacer.Reset();
  // The start-up benchmark has seen enough pictures. A close request would only open the
  // exit question and wait for an answer: end here, keeping the peak memory of the menu.
  if (Ok && FProbe.PictureShown()) std::_Exit(0);
  return Ok;
}

bool TSdlWindow::PresentRenderer(const uint32_t* Pixels, int32_t Width, int32_t Height,
                                 int32_t PitchBytes, bool WaitVBlank) {
  if (!FTexture || FTextureW != Width || FTextureH != Height) {
    if (FTexture) SDL_DestroyTexture(FTexture);
    FTexture = SDL_CreateTexture(FRenderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                                 Width, Height);
    if (!FTexture) return false;
    FTextureW = Width;
    FTextureH = Height;
    // Sharp until a scale asks otherwise, whatever the render scale hint says.
    SDL_SetTextureScaleMode(FTexture, SDL_ScaleModeNearest);
    FScaleMode = SDL_ScaleModeNearest;
  }
  const int VSync = WaitVBlank ? 1 : 0;
  if (VSync != FVSync) {
    SDL_RenderSetVSync(FRenderer, VSync);
    FVSync = VSync;
  }
  if (SDL_UpdateTexture(FTexture, nullptr, Pixels, PitchBytes) != 0) return false;
  // Window and renderer sizes differ on scaled desktops: work in output pixels.
  int Ow = 0, Oh = 0, Ww = 0, Wh = 0;
  SDL_GetRendererOutputSize(FRenderer, &Ow, &Oh);
  SDL_GetWindowSize(FWindow, &Ww, &Wh);
  SDL_Rect R = PictureRect();
  if (Ww > 0 && Wh > 0 && (Ow != Ww || Oh != Wh)) {
    R = {R.x * Ow / Ww, R.y * Oh / Wh, R.w * Ow / Ww, R.h * Oh / Wh};
  }
  // A whole-number scale keeps sharp pixels; any other would make some source pixels one
  // output pixel wider than their neighbours, and the picture's outlines uneven: filtered.
  const bool Whole = R.w % Width == 0 && R.h % Height == 0;
  const SDL_ScaleMode Mode = Whole ? SDL_ScaleModeNearest : SDL_ScaleModeLinear;
  if (Mode != FScaleMode) {
    SDL_SetTextureScaleMode(FTexture, Mode);
    FScaleMode = Mode;
  }
  SDL_SetRenderDrawColor(FRenderer, 0, 0, 0, 255);
  SDL_RenderClear(FRenderer);
  SDL_RenderCopy(FRenderer, FTexture, nullptr, &R);
  SDL_RenderPresent(FRenderer);
  return true;
}

uint32_t TSdlWindow::MouseShift() {
  uint32_t Shift = 0;
  const SDL_Keymod Mod = SDL_GetModState();
  if (Mod & KMOD_SHIFT) Shift |= ssShift;
  if (Mod & KMOD_ALT) Shift |= ssAlt;
  if (Mod & KMOD_CTRL) Shift |= ssCtrl;
  const Uint32 Buttons = SDL_GetMouseState(nullptr, nullptr);
  if (Buttons & SDL_BUTTON_LMASK) Shift |= ssLeft;
  if (Buttons & SDL_BUTTON_RMASK) Shift |= ssRight;
  if (Buttons & SDL_BUTTON_MMASK) Shift |= ssMiddle;
  return Shift;
}

void TSdlWindow::Translate(const SDL_Event& E) {
  TPlatformEvent Out;
  switch (E.type) {
    case SDL_QUIT:
      Out.Kind = TEventKind::CloseRequest;
      FPending.push_back(Out);
      break;
    case SDL_WINDOWEVENT:
      switch (E.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
          // SDL_QUIT follows for the last window; one close request is enough.
          break;
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_SIZE_CHANGED:
        case SDL_WINDOWEVENT_MAXIMIZED:
          // The window's contents may be gone (or its surface remade): the framebuffer
          // presenter, which sends only changed rows, sends the next picture whole.
          FFramebuffer.Invalidate();
          break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
          FForeground = true;
          Out.Kind = TEventKind::Activated;
          FPending.push_back(Out);
          break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
          FForeground = false;
          Out.Kind = TEventKind::Deactivated;
          FPending.push_back(Out);
          break;
        case SDL_WINDOWEVENT_MINIMIZED:
          Out.Kind = TEventKind::Minimised;
          FPending.push_back(Out);
          break;
        case SDL_WINDOWEVENT_RESTORED:
          FFramebuffer.Invalidate();
          Out.Kind = TEventKind::Restored;
          FPending.push_back(Out);
          break;
        default:
          break;
      }
      break;
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      Out.Kind = E.type == SDL_KEYDOWN ? TEventKind::KeyDown : TEventKind::KeyUp;
      Out.Key = EventVirtualKey(E.key.keysym.scancode, E.key.keysym.sym);
      if (E.key.keysym.mod & KMOD_SHIFT) Out.Shift |= ssShift;
      if (E.key.keysym.mod & KMOD_ALT) Out.Shift |= ssAlt;
      if (E.key.keysym.mod & KMOD_CTRL) Out.Shift |= ssCtrl;
      const Uint32 Buttons = SDL_GetMouseState(nullptr, nullptr);
      if (Buttons & SDL_BUTTON_LMASK) Out.Shift |= ssLeft;
      if (Buttons & SDL_BUTTON_RMASK) Out.Shift |= ssRight;
      if (Buttons & SDL_BUTTON_MMASK) Out.Shift |= ssMiddle;
      Out.Repeat = E.key.repeat != 0;
      if (Out.Key != 0) FPending.push_back(Out);
      // Text input never carries these two; the game's text entry needs them as characters.
      // Alt+Enter is the display switch, not a typed Enter (as a system key makes no char).
      if (E.type == SDL_KEYDOWN && (Out.Key == 8 || Out.Key == 13) && !(Out.Shift & ssAlt)) {
        TPlatformEvent C;
        C.Kind = TEventKind::Char;
        C.Char = static_cast<uint8_t>(Out.Key);
        C.Shift = Out.Shift;
        C.Repeat = Out.Repeat;
        FPending.push_back(C);
      }
      break;
    }
    case SDL_TEXTINPUT:
      for (uint8_t Ch : Utf8ToLatin1(E.text.text)) {
        TPlatformEvent C;
        C.Kind = TEventKind::Char;
        C.Char = Ch;
        FPending.push_back(C);
      }
      break;
    case SDL_MOUSEMOTION:
      Out.Kind = TEventKind::MouseMove;
      WindowToPicture(E.motion.x, E.motion.y, Out.X, Out.Y);
      Out.Shift = MouseShift();
      FPending.push_back(Out);
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      if (E.button.button == SDL_BUTTON_LEFT)
        Out.Button = 0;
      else if (E.button.button == SDL_BUTTON_RIGHT)
        Out.Button = 1;
      else if (E.button.button == SDL_BUTTON_MIDDLE)
        Out.Button = 2;
      else
        break;
      const bool Down = E.type == SDL_MOUSEBUTTONDOWN;
      Out.Kind = Down ? TEventKind::MouseDown : TEventKind::MouseUp;
      WindowToPicture(E.button.x, E.button.y, Out.X, Out.Y);
      Out.Shift = MouseShift();
      if (Down && E.button.clicks >= 2) Out.Shift |= ssDouble;
      Out.Clicks = E.button.clicks;
      FPending.push_back(Out);
      if (Out.Button != 0) break;
      // A click fires on the release of a press made over the window; a double click fires
      // on its second press, and that press's release is not another click.
      if (Down) {
        FLeftDownInside = E.button.clicks < 2;
        if (E.button.clicks >= 2) {
          TPlatformEvent Click = Out;
          Click.Kind = TEventKind::Click;
          Click.Clicks = 2;
          FPending.push_back(Click);
        }
      } else if (FLeftDownInside) {
        FLeftDownInside = false;
        int W = FClientW, H = FClientH;
        SDL_GetWindowSize(FWindow, &W, &H);
        if (E.button.x >= 0 && E.button.y >= 0 && E.button.x < W && E.button.y < H) {
          TPlatformEvent Click = Out;
          Click.Kind = TEventKind::Click;
          Click.Clicks = 1;
          FPending.push_back(Click);
        }
      }
      break;
    }
    default:
      break;
  }
}

bool TSdlWindow::PollEvent(TPlatformEvent& Event) {
  while (FPending.empty()) {
    if (!FVideoStarted) return false;
    SDL_Event E;
    if (!SDL_PollEvent(&E)) return false;
    Translate(E);
  }
  Event = FPending.front();
  FPending.pop_front();
  return true;
}

void TSdlWindow::ShowMessage(const std::string& Title, const std::string& Text) {
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, Latin1ToUtf8(Title).c_str(),
                           Latin1ToUtf8(Text).c_str(), FWindow);
}
