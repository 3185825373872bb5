#pragma once
// The display: the 800 x 600 back surface everything is drawn into during a frame, the
// operation that presents it, and the numbered events that tell the bound components (the
// sprite engine, the image lists) when surfaces come and go.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/DXCanvas.h"
#include "engine/DXSurface.h"
#include "engine/DXTypes.h"
#include "platform/Platform.h"

class EDXDrawError : public EDXError {
 public:
  using EDXError::EDXError;
};

class EDirectDrawError : public EDXError {
 public:
  using EDXError::EDXError;
};

// Display events, with their numbers as the components see them.
enum TDXDrawNotifyType : int32_t {
  dxntDestroying = 0,
  dxntInitializing = 1,
  dxntInitialize = 2,
  dxntInitializeSurface = 3,
  dxntFinalize = 4,
  dxntFinalizeSurface = 5,
  dxntRestore = 6,
  dxntSetSurfaceSize = 7,
};

// The 15 option flags, in their bit order.
enum TDXDrawOption : uint32_t {
  doFullScreen = 1u << 0,
  doNoWindowChange = 1u << 1,
  doAllowReboot = 1u << 2,
  doWaitVBlank = 1u << 3,
  doAllowPalette256 = 1u << 4,
  doSystemMemory = 1u << 5,
  doStretch = 1u << 6,
  doCenter = 1u << 7,
  doFlip = 1u << 8,
  do3D = 1u << 9,
  doDirectX7Mode = 1u << 10,
  doRetainedMode = 1u << 11,
  doHardware = 1u << 12,
  doSelectDriver = 1u << 13,
  doZBuffer = 1u << 14,
};
using TDXDrawOptions = uint32_t;

// The effective option set derived from a requested one while the display is not
// initialized.
TDXDrawOptions DeriveEffectiveOptions(TDXDrawOptions Requested);

// Full-screen mode choice for W x H x Bits among Modes (listed in increasing width, then
// height, then depth). Answers false when no mode fits.
struct TDXDisplaySettings {
  int32_t Width = 800;
  int32_t Height = 600;
  int32_t BitCount = 16;
  bool FixedBitCount = true;
  bool FixedRatio = true;
  bool FixedSize = false;
};
bool ChooseDisplayMode(const TDXDisplaySettings& Settings, const std::vector<TDisplayMode>& Modes,
                       TDisplayMode& Chosen);

using TDXDrawNotifyEvent = std::function<void(TDXDrawNotifyType NotifyType)>;

class TDXDraw {
 public:
  explicit TDXDraw(TPlatform& Platform);
  ~TDXDraw();  // sends dxntDestroying to every listener, then finalizes
  TDXDraw(const TDXDraw&) = delete;
  TDXDraw& operator=(const TDXDraw&) = delete;

  void Initialize();
  void Finalize();
  bool Initialized() const { return FInitialized; }
  bool ReadyToDraw();
  void Flip();

  // The back surface (800 x 600 XRGB8888); null while not initialized.
  TDirectDrawSurface* Surface() { return FInitialized ? &FSurface : nullptr; }
  int32_t SurfaceWidth() const { return FSurfaceWidth; }
  int32_t SurfaceHeight() const { return FSurfaceHeight; }
  // The text context on the back surface, made on first use; Release hands it back.
  TDXCanvas& Canvas();

  TDXDrawOptions Options() const { return FEffective; }
  TDXDrawOptions RequestedOptions() const { return FRequested; }
  void SetOptions(TDXDrawOptions Value);

  TDXDisplaySettings& Display() { return FDisplay; }
  // Raises EDirectDrawError "Display requires 8, 16, 24 or 32 bits".
  void SetBitCount(int32_t Value);

  // Owner identifies the registration; registering again replaces it. A new listener is
  // told the current state at once: 7; then, if initialized, 2, 3 (when announced), 6.
  void AddListener(const void* Owner, TDXDrawNotifyEvent Handler);
  // Tells that listener 5 and 4 for what it was told of (3 and 2), then forgets it.
  void RemoveListener(const void* Owner);

  TPlatform& Platform() { return FPlatform; }

  // The display's own events, called after the listeners heard the matching number.
  std::function<void()> OnInitialize, OnInitializeSurface, OnFinalize, OnFinalizeSurface, OnRestore;

 private:
  struct TListener {
    const void* Owner;
    TDXDrawNotifyEvent Handler;
    // What this listener was told and not yet told the end of, so that unregistering
    // undoes exactly that, even in the middle of a broadcast.
    bool ToldInitialize = false;
    bool ToldSurface = false;
  };
  void Notify(TDXDrawNotifyType NotifyType);  // last registered first
  void Restore();

  TPlatform& FPlatform;
  bool FInitialized = false;
  bool FUpdating = false;
  bool FInitializing = false;
  bool FSurfaceAnnounced = false;
  bool FInitAnnounced = false;
  int32_t FSurfaceWidth = 800;
  int32_t FSurfaceHeight = 600;
  TDXDrawOptions FRequested = 0;
  TDXDrawOptions FEffective = 0;
  TDXDisplaySettings FDisplay;
  TDirectDrawSurface FSurface;
  std::unique_ptr<TDXCanvas> FCanvas;
  std::vector<TListener> FListeners;
};
