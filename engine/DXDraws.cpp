#include "engine/DXDraws.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr TDXDrawOptions KFullScreenOnly =
    doNoWindowChange | doAllowReboot | doAllowPalette256 | doFlip;
constexpr TDXDrawOptions K3DOnly =
    doDirectX7Mode | doRetainedMode | doHardware | doSelectDriver | doZBuffer;
// The options that may change while the display runs: they only affect presenting.
constexpr TDXDrawOptions KLiveOptions = doWaitVBlank | doStretch | doCenter;

bool ValidBitCount(int32_t Bits) {
  return Bits == 8 || Bits == 16 || Bits == 24 || Bits == 32;
}

}  // namespace

TDXDrawOptions DeriveEffectiveOptions(TDXDrawOptions Requested) {
  TDXDrawOptions Effective = Requested;
  if (!(Effective & doFullScreen)) Effective &= ~KFullScreenOnly;
  if (!(Effective & do3D)) Effective &= ~K3DOnly;
  if (Effective & doSystemMemory) Effective &= ~doFlip;
  if (Effective & doDirectX7Mode) Effective &= ~doRetainedMode;
  Effective &= ~doHardware;
  return Effective;
}

bool ChooseDisplayMode(const TDXDisplaySettings& Settings, const std::vector<TDisplayMode>& Modes,
                       TDisplayMode& Chosen) {
  const int32_t W = Settings.Width, H = Settings.Height, B = Settings.BitCount;
  if (W <= 0 || H <= 0 || !ValidBitCount(B)) return false;

  // The search relies on increasing width, then height, then depth; do not trust the
  // platform's order.
  std::vector<TDisplayMode> Sorted = Modes;
  std::stable_sort(Sorted.begin(), Sorted.end(), [](const TDisplayMode& A, const TDisplayMode& C) {
    if (A.Width != C.Width) return A.Width < C.Width;
    if (A.Height != C.Height) return A.Height < C.Height;
    return A.BitCount < C.BitCount;
  });

  auto Find = [&](int32_t MW, int32_t MH, int32_t MB) -> const TDisplayMode* {
    for (const TDisplayMode& M : Sorted)
      if (M.Width == MW && M.Height == MH && M.BitCount == MB) return &M;
    return nullptr;
  };
  if (const TDisplayMode* Exact = Find(W, H, B)) {
    Chosen = *Exact;
    return true;
  }

  auto DepthFits = [&](int32_t MB) {
    if (Settings.FixedBitCount) return MB == B;
    if (B > 8 && MB > 8) return true;
    return MB >= B;
  };
  auto Search = [&](bool KeepRatio) -> const TDisplayMode* {
    const TDisplayMode* Best = nullptr;
    for (const TDisplayMode& M : Sorted) {
      if (Settings.FixedSize ? (M.Width != W || M.Height != H) : (M.Width < W || M.Height < H))
        continue;
      if (KeepRatio && static_cast<int64_t>(M.Width) * H != static_cast<int64_t>(M.Height) * W)
        continue;
      if (!DepthFits(M.BitCount)) continue;
      if (!Best || M.Width < Best->Width || (M.Width == Best->Width && M.Height < Best->Height))
        Best = &M;
    }
    return Best;
  };

  const TDisplayMode* Best = Settings.FixedRatio ? Search(true) : nullptr;
  if (!Best) Best = Search(false);
  if (!Best) return false;
  Chosen = *Best;
  if (Chosen.BitCount != B)
    if (const TDisplayMode* SameDepth = Find(Chosen.Width, Chosen.Height, B)) Chosen = *SameDepth;
  return true;
}

TDXDraw::TDXDraw(TPlatform& Platform) : FPlatform(Platform) {}

TDXDraw::~TDXDraw() {
  Notify(dxntDestroying);
  Finalize();
}

void TDXDraw::Notify(TDXDrawNotifyType NotifyType) {
  // A handler may register or unregister others (or itself) while it is being told:
  // walk a snapshot of the owners and call only those still registered.
  std::vector<const void*> Owners;
  Owners.reserve(FListeners.size());
  for (const TListener& L : FListeners) Owners.push_back(L.Owner);
  for (auto It = Owners.rbegin(); It != Owners.rend(); ++It) {
    auto Found = std::find_if(FListeners.begin(), FListeners.end(),
                              [&](const TListener& L) { return L.Owner == *It; });
    if (Found == FListeners.end()) continue;
    if (NotifyType == dxntInitialize) Found->ToldInitialize = true;
    if (NotifyType == dxntFinalize) Found->ToldInitialize = false;
    if (NotifyType == dxntInitializeSurface) Found->ToldSurface = true;
    if (NotifyType == dxntFinalizeSurface) Found->ToldSurface = false;
    TDXDrawNotifyEvent Handler = Found->Handler;  // the call may erase the entry
    if (Handler) Handler(NotifyType);
  }
}

void TDXDraw::AddListener(const void* Owner, TDXDrawNotifyEvent Handler) {
  FListeners.erase(std::remove_if(FListeners.begin(), FListeners.end(),
                                  [&](const TListener& L) { return L.Owner == Owner; }),
                   FListeners.end());
  TListener Entry{Owner, Handler};
  Entry.ToldInitialize = FInitialized;
  Entry.ToldSurface = FInitialized && FSurfaceAnnounced;
  FListeners.push_back(Entry);
  if (!Handler) return;
  Handler(dxntSetSurfaceSize);
  if (Entry.ToldInitialize) {
    Handler(dxntInitialize);
    if (Entry.ToldSurface) Handler(dxntInitializeSurface);
    if (!FInitializing) Handler(dxntRestore);
  }
}

void TDXDraw::RemoveListener(const void* Owner) {
  auto Found = std::find_if(FListeners.begin(), FListeners.end(),
                            [&](const TListener& L) { return L.Owner == Owner; });
  if (Found == FListeners.end()) return;
  const TListener Gone = *Found;
  FListeners.erase(Found);
  if (!Gone.Handler) return;
  if (Gone.ToldSurface) Gone.Handler(dxntFinalizeSurface);
  if (Gone.ToldInitialize) Gone.Handler(dxntFinalize);
}

void TDXDraw::SetOptions(TDXDrawOptions Value) {
  FRequested = Value;
  if (!FInitialized) {
    FEffective = DeriveEffectiveOptions(Value);
    return;
  }
  FEffective = (FEffective & ~KLiveOptions) | (Value & KLiveOptions);
  if (!(FEffective & do3D))
    FEffective &= ~(doRetainedMode | doHardware | doSelectDriver | doZBuffer);
}

void TDXDraw::SetBitCount(int32_t Value) {
  if (!ValidBitCount(Value)) throw EDirectDrawError("Display requires 8, 16, 24 or 32 bits");
  FDisplay.BitCount = Value;
}

void TDXDraw::Initialize() {
  Finalize();
  FUpdating = true;
  FInitializing = true;
  try {
    Notify(dxntInitializing);
    // Our presenter is the platform's window: in full screen it shows the picture on the
    // whole desktop, scaled with kept 4:3 aspect, so no real mode change happens and the
    // mode choice is not needed to present.
    const bool FullScreen = (FEffective & doFullScreen) != 0;
    if (!FPlatform.Window().SetFullScreen(FullScreen)) {
      if (FullScreen) {
        char Text[96];
        std::snprintf(Text, sizeof Text, "Display mode cannot be changed (%dx%d %dbit)",
                      FDisplay.Width, FDisplay.Height, FDisplay.BitCount);
        throw EDXDrawError(Text);
      }
    }
    // Not cleared twice: the fill below clears it.
    FSurface.SetSizeForOverwrite(std::max(FSurfaceWidth, 1), std::max(FSurfaceHeight, 1));
    if (FSurface.Empty()) throw EDXDrawError("Surface cannot be made");
    FSurface.Fill(0);
  } catch (...) {
    FUpdating = false;
    FInitializing = false;
    FSurface.SetSize(0, 0);
    FEffective = DeriveEffectiveOptions(FRequested);
    if (FEffective & doFullScreen) FPlatform.Window().SetFullScreen(false);
    throw;
  }
  FInitialized = true;
  Notify(dxntSetSurfaceSize);
  FInitAnnounced = true;
  Notify(dxntInitialize);
  if (OnInitialize) OnInitialize();
  FSurfaceAnnounced = true;
  Notify(dxntInitializeSurface);
  if (OnInitializeSurface) OnInitializeSurface();
  Restore();
  FInitializing = false;
  FUpdating = false;
}

void TDXDraw::Restore() {
  FUpdating = true;
  FSurface.Fill(0);
  Notify(dxntRestore);
  if (OnRestore) OnRestore();
  FUpdating = false;
}

void TDXDraw::Finalize() {
  if (!FInitialized) return;
  FUpdating = true;
  if (FSurfaceAnnounced) {
    FSurfaceAnnounced = false;
    Notify(dxntFinalizeSurface);
    if (OnFinalizeSurface) OnFinalizeSurface();
  }
  if (FInitAnnounced) {
    FInitAnnounced = false;
    Notify(dxntFinalize);
    if (OnFinalize) OnFinalize();
  }
  FInitialized = false;
  FEffective = DeriveEffectiveOptions(FRequested);
  if (FCanvas) FCanvas->Release();
  FSurface.SetSize(0, 0);
  FUpdating = false;
}

bool TDXDraw::ReadyToDraw() {
  return FInitialized && !FUpdating && !FSurface.Empty();
}

void TDXDraw::Flip() {
  if (!ReadyToDraw()) return;
  // A page-flipping (full-screen) display shows nothing while its window is in the
  // background, as an exclusive display would.
  if ((FEffective & doFlip) && !FPlatform.Window().IsForeground()) return;
  FPlatform.Window().Present(FSurface.Pixels(), FSurface.Width(), FSurface.Height(),
                             FSurface.PitchBytes(), (FEffective & doWaitVBlank) != 0);
}

TDXCanvas& TDXDraw::Canvas() {
  if (!FCanvas) FCanvas = std::make_unique<TDXCanvas>(FSurface, FPlatform.Fonts());
  return *FCanvas;
}
