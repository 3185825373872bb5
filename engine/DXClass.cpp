#include "engine/DXClass.h"

#include <algorithm>

#include "engine/DXTypes.h"

void TDXTimer::SetEnabled(bool Value) {
  if (FEnabled == Value) return;
  FEnabled = Value;
  if (!FLoaded) return;
  if (Value) {
    Initialize();
  } else {
    Stop();
    FInitialized = false;
  }
}

void TDXTimer::SetActiveOnly(bool Value) {
  if (FActiveOnly == Value) return;
  FActiveOnly = Value;
  if (FLoaded && FEnabled) Initialize();
}

void TDXTimer::Loaded() {
  FLoaded = true;
  if (FEnabled) Initialize();
}

void TDXTimer::Initialize() {
  Stop();
  if (!FActiveOnly || FApplicationActive) Start();
  FInitialized = true;
}

void TDXTimer::Start() {
  FLastTick = FWindowStart = FClock.Ticks();
  // Frames counted before a pause belong to no window of time any more.
  FFrames = 0;
  FRunning = true;
}

void TDXTimer::Idle() {
  if (!FRunning) return;
  const uint32_t Now = FClock.Ticks();
  const uint32_t Since = Now - FLastTick;
  if (Since < FInterval) return;
  const uint32_t Lag = Since / std::max<uint32_t>(FInterval, 1);
  FLastTick = Now;
  ++FFrames;
  const uint32_t Window = std::max<uint32_t>(Now - FWindowStart, 1);
  if (Window >= 1000) {
    FFrameRate = RoundEven(static_cast<double>(FFrames) * 1000.0 / Window);
    FFrames = 0;
    FWindowStart = Now;
  }
  // A lag beyond 24 days cannot happen while running; keep it in range anyway.
  const int32_t LagCount = static_cast<int32_t>(std::min<uint32_t>(Lag, 0x7FFFFFFF));
  if (OnTimer) OnTimer(LagCount == 0 ? 1 : LagCount);
}

void TDXTimer::ApplicationActivated() {
  FApplicationActive = true;
  if (OnActivate) OnActivate();
  if (FInitialized && FActiveOnly) Start();
}

void TDXTimer::ApplicationDeactivated() {
  FApplicationActive = false;
  if (OnDeactivate) OnDeactivate();
  if (FInitialized && FActiveOnly) Stop();
}

void TDXForm::StorePlacement() {
  FPlacement = FWindow.GetPlacement();
  FHasPlacement = true;
}

void TDXForm::RestorePlacement() {
  if (!FHasPlacement) return;
  FWindow.SetPlacement(FPlacement);
  FHasPlacement = false;
}
