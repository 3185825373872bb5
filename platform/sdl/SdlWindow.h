#pragma once
// The main window on SDL2: an 800 x 600 client area that shows the game's back surface,
// either 1:1 in a window or scaled with kept 4:3 aspect (black bars) on the desktop in full
// screen. Mouse positions are mapped back to back-surface pixels.

#include <SDL.h>

#include <deque>
#include <string>
#include <vector>

#include "platform/FramePacer.h"
#include "platform/Platform.h"
#include "platform/sdl/FramebufferPresenter.h"
#include "platform/sdl/Letterbox.h"
#include "platform/sdl/StartProbe.h"

class TSdlWindow final : public IWindowSystem {
 public:
  TSdlWindow();
  ~TSdlWindow() override;
  TSdlWindow(const TSdlWindow&) = delete;
  TSdlWindow& operator=(const TSdlWindow&) = delete;

  bool CreateMainWindow(const std::string& Title, int32_t ClientWidth, int32_t ClientHeight,
                        std::string& Error) override;
  void SetBordered(bool Bordered) override;
  bool SetFullScreen(bool On) override;
  void CentreWindow() override;
  TWindowPlacement GetPlacement() override;
  void SetPlacement(const TWindowPlacement& Placement) override;
  void Minimise() override;
  bool IsForeground() override { return FWindow && FForeground; }
  int32_t ShowCursor(bool Show) override;
  void UseHandPointer() override;
  void ClientOrigin(int32_t& X, int32_t& Y) override;
  void GetCursorPos(int32_t& X, int32_t& Y) override;
  void SetCursorPos(int32_t X, int32_t Y) override;
  int32_t RefreshRate() override;
  int32_t PacedRate() override;
  std::vector<TDisplayMode> DisplayModes() override;
  bool Present(const uint32_t* Pixels, int32_t Width, int32_t Height, int32_t PitchBytes,
               bool WaitVBlank) override;
  bool PollEvent(TPlatformEvent& Event) override;
  void ShowMessage(const std::string& Title, const std::string& Text) override;

  // Which way pictures reach the screen: "renderer" (a streaming texture) or "framebuffer"
  // (the window's own surface, chosen when the renderer would be a software one).
  const std::string& PresenterName() const { return FPresenterName; }

 private:
  void Translate(const SDL_Event& E);
  // The picture's place in the window (window coordinates): 1:1 in a window, the largest
  // 4:3 rectangle centred in full screen.
  SDL_Rect PictureRect();
  void WindowToPicture(int32_t Wx, int32_t Wy, int32_t& X, int32_t& Y);
  bool PresentRenderer(const uint32_t* Pixels, int32_t Width, int32_t Height, int32_t PitchBytes,
                       bool WaitVBlank);
  uint32_t MouseShift();
  void LeaveFullScreen();
  void WaitUntilShown();
  void MoveTo(int32_t X, int32_t Y);

  SDL_Window* FWindow = nullptr;
  SDL_Renderer* FRenderer = nullptr;
  SDL_Texture* FTexture = nullptr;
  int32_t FTextureW = 0, FTextureH = 0;
  int FVSync = -1;
  SDL_ScaleMode FScaleMode = SDL_ScaleModeNearest;
  TFramebufferPresenter FFramebuffer;
  TFramePacer FPacer;
  std::string FPresenterName;
  bool FVideoStarted = false;
  bool FFullScreen = false;
  bool FWantBordered = true;
  bool FMapPending = false;     // mapped on X11 without waiting; not seen mapped yet
  bool FCentred = false;        // made or last moved centred, and not moved since
  TWindowPlacement FWindowed;   // size and place before full screen
  TWindowPlacement FPlacement;  // asked for in full screen, applied on leaving it
  bool FPendingPlacement = false;
  bool FPendingCentre = false;
  bool FForeground = true;
  int32_t FClientW = 800, FClientH = 600;
  int32_t FCursorCounter = 0;
  SDL_Cursor* FHandPointer = nullptr;
  bool FLeftDownInside = false;
  std::deque<TPlatformEvent> FPending;
  TStartProbe FProbe;  // the start-up benchmark's questions, when it asks any
};
