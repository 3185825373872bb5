#pragma once
// The frame timer and the window base of the main form.

#include <cstdint>
#include <functional>

#include "platform/Platform.h"

// Runs from the application's idle time as fast as the program goes and reports how many
// milliseconds passed since its previous tick (LagCount, never 0). All clock arithmetic is
// unsigned 32-bit, so a wrap of the millisecond clock does no harm.
class TDXTimer final {
 public:
  explicit TDXTimer(IClock& Clock) : FClock(Clock) {}

  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  bool ActiveOnly() const { return FActiveOnly; }
  void SetActiveOnly(bool Value);
  uint32_t Interval() const { return FInterval; }  // milliseconds
  void SetInterval(uint32_t Value) { FInterval = Value; }
  // Frames per second over the last full one-second window; 0 until the first has passed.
  int32_t FrameRate() const { return FFrameRate; }
  bool Initialized() const { return FInitialized; }
  bool Running() const { return FRunning; }

  // The form finished loading: an enabled timer starts (when the application is active or
  // ActiveOnly is off). Before this, setting changes are only stored.
  void Loaded();
  // One idle pass of the application: ticks when at least Interval ms passed.
  void Idle();
  // The application became active / inactive. With ActiveOnly the timer stops while the
  // application is inactive and restarts both clocks on return, so the pause is not lag.
  void ApplicationActivated();
  void ApplicationDeactivated();

  std::function<void(int32_t LagCount)> OnTimer;
  std::function<void()> OnActivate, OnDeactivate;

 private:
  void Initialize();
  void Start();
  void Stop() { FRunning = false; }

  IClock& FClock;
  bool FEnabled = true;
  bool FActiveOnly = true;
  uint32_t FInterval = 1000;
  bool FLoaded = false;
  bool FInitialized = false;
  bool FRunning = false;
  bool FApplicationActive = true;
  uint32_t FLastTick = 0;
  uint32_t FWindowStart = 0;
  uint32_t FFrames = 0;
  int32_t FFrameRate = 0;
};

// A window that can put its placement aside (before going full screen) and bring it back
// once (when returning to a window).
class TDXForm {
 public:
  explicit TDXForm(IWindowSystem& Window) : FWindow(Window) {}
  virtual ~TDXForm() = default;
  void StorePlacement();
  void RestorePlacement();
  bool HasStoredPlacement() const { return FHasPlacement; }

 protected:
  IWindowSystem& FormWindow() { return FWindow; }

 private:
  IWindowSystem& FWindow;
  TWindowPlacement FPlacement;
  bool FHasPlacement = false;
};
