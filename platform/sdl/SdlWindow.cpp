#include "platform/sdl/SdlWindow.h"

#include <algorithm>
#include <cstring>

#include "platform/sdl/SdlKeyboard.h"
#include "platform/sdl/SdlText.h"

namespace {

// Mesa's software rasterisers present an 800 x 600 texture in about 4 ms; the window
// framebuffer path does the same in about 0.4 ms.
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

}  // namespace

TSdlWindow::~TSdlWindow() {
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
  FWindow = SDL_CreateWindow(Title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                             ClientWidth, ClientHeight, SDL_WINDOW_SHOWN);
  if (!FWindow) {
    Error = std::string("no display: the window cannot be made: ") + SDL_GetError();
    return false;
  }
  SDL_SetWindowResizable(FWindow, SDL_FALSE);

  FRenderer = SDL_CreateRenderer(FWindow, -1, SDL_RENDERER_ACCELERATED);
  if (FRenderer && RendererIsSoftware(FRenderer)) {
    SDL_DestroyRenderer(FRenderer);
    FRenderer = nullptr;
  }
  if (FRenderer) {
    FPresenterName = "renderer";
  } else {
    // The window's own framebuffer through the native path, not through a renderer.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    FPresenterName = "framebuffer";
  }
  SDL_RaiseWindow(FWindow);
  SDL_StartTextInput();
  FForeground = true;
  return true;
}

void TSdlWindow::SetBordered(bool Bordered) {
  if (FWindow) SDL_SetWindowBordered(FWindow, Bordered ? SDL_TRUE : SDL_FALSE);
}

bool TSdlWindow::SetFullScreen(bool On) {
  if (!FWindow) return false;
  if (SDL_SetWindowFullscreen(FWindow, On ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0) return false;
  FFullScreen = On;
  return true;
}

void TSdlWindow::CentreWindow() {
  if (FWindow && !FFullScreen)
    SDL_SetWindowPosition(FWindow, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
}

TWindowPlacement TSdlWindow::GetPlacement() {
  TWindowPlacement P;
  if (!FWindow) return P;
  int X = 0, Y = 0, W = 0, H = 0;
  SDL_GetWindowPosition(FWindow, &X, &Y);
  SDL_GetWindowSize(FWindow, &W, &H);
  P = {X, Y, W, H};
  return P;
}

void TSdlWindow::SetPlacement(const TWindowPlacement& P) {
  if (!FWindow || FFullScreen) return;
  SDL_SetWindowPosition(FWindow, P.X, P.Y);
  if (P.Width > 0 && P.Height > 0) SDL_SetWindowSize(FWindow, P.Width, P.Height);
}

void TSdlWindow::Minimise() {
  if (FWindow) SDL_MinimizeWindow(FWindow);
}

int32_t TSdlWindow::ShowCursor(bool Show) {
  FCursorCounter += Show ? 1 : -1;
  SDL_ShowCursor(FCursorCounter >= 0 ? SDL_ENABLE : SDL_DISABLE);
  return FCursorCounter;
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
  if (!FWindow || !FFullScreen) {
    SDL_WarpMouseGlobal(X, Y);
    return;
  }
  const SDL_Rect R = PictureRect();
  SDL_WarpMouseInWindow(FWindow, R.x + static_cast<int>(static_cast<int64_t>(X) * R.w / FClientW),
                        R.y + static_cast<int>(static_cast<int64_t>(Y) * R.h / FClientH));
}

int32_t TSdlWindow::RefreshRate() {
  if (!FWindow) return 0;
  const int Display = SDL_GetWindowDisplayIndex(FWindow);
  SDL_DisplayMode Mode;
  if (Display < 0 || SDL_GetCurrentDisplayMode(Display, &Mode) != 0) return 0;
  return Mode.refresh_rate;
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
  if (FRenderer) return PresentRenderer(Pixels, Width, Height, PitchBytes, WaitVBlank);
  const bool Ok = PresentFramebuffer(Pixels, Width, Height, PitchBytes);
  if (WaitVBlank) WaitForVerticalBlank();
  return Ok;
}

void TSdlWindow::WaitForVerticalBlank() {
  // The window framebuffer cannot wait for the monitor, so frames are paced to its refresh
  // rate (60 Hz when the system does not say): the frame loop must not spin at thousands of
  // frames a second, where a frame would be shorter than the 1 ms the game counts in.
  const int32_t Rate = RefreshRate() > 1 ? RefreshRate() : 60;
  const uint64_t Frequency = SDL_GetPerformanceFrequency();
  const uint64_t Period = Frequency / static_cast<uint64_t>(Rate);
  uint64_t Now = SDL_GetPerformanceCounter();
  if (FNextVBlank == 0 || Now > FNextVBlank + Period) {
    FNextVBlank = Now + Period;  // first frame, or far behind: start the beat again
    return;
  }
  while (Now < FNextVBlank) {
    const uint64_t LeftMs = (FNextVBlank - Now) * 1000 / Frequency;
    if (LeftMs >= 2) SDL_Delay(static_cast<Uint32>(LeftMs - 1));
    Now = SDL_GetPerformanceCounter();
  }
  FNextVBlank += Period;
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
  }
  const int VSync = WaitVBlank ? 1 : 0;
  if (VSync != FVSync) {
    FVSyncWorks = SDL_RenderSetVSync(FRenderer, VSync) == 0;
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
  SDL_SetRenderDrawColor(FRenderer, 0, 0, 0, 255);
  SDL_RenderClear(FRenderer);
  SDL_RenderCopy(FRenderer, FTexture, nullptr, &R);
  SDL_RenderPresent(FRenderer);
  if (WaitVBlank && !FVSyncWorks) WaitForVerticalBlank();
  return true;
}

bool TSdlWindow::PresentFramebuffer(const uint32_t* Pixels, int32_t Width, int32_t Height,
                                    int32_t PitchBytes) {
  SDL_Surface* Target = SDL_GetWindowSurface(FWindow);
  if (!Target) return false;
  SDL_Surface* Source = SDL_CreateRGBSurfaceWithFormatFrom(
      const_cast<uint32_t*>(Pixels), Width, Height, 32, PitchBytes, SDL_PIXELFORMAT_RGB888);
  if (!Source) return false;
  SDL_Rect R = PictureRect();
  bool Ok;
  if (R.w == Width && R.h == Height) {
    Ok = SDL_BlitSurface(Source, nullptr, Target, &R) == 0;
  } else {
    SDL_FillRect(Target, nullptr, SDL_MapRGB(Target->format, 0, 0, 0));
    Ok = SDL_BlitScaled(Source, nullptr, Target, &R) == 0;
  }
  SDL_FreeSurface(Source);
  return Ok && SDL_UpdateWindowSurface(FWindow) == 0;
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
