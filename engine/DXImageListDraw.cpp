// The drawing operations of image items and the image-list component's binding to the
// display. Kept apart from the collection so that code that only loads and measures
// pictures does not pull in the blitters and the display.
#include "engine/DXBlit.h"
#include "engine/DXDraws.h"
#include "engine/DXImageList.h"

void TPictureCollectionItem::Draw(TDirectDrawSurface& Dest, int32_t X, int32_t Y,
                                  int32_t PatternIndex) const {
  if (!FInitialized) return;
  const TDirectDrawSurface* Block = PatternBlock(PatternIndex);
  if (Block == nullptr || Dest.Empty()) return;
  if (X >= Dest.Width() || Y >= Dest.Height()) return;
  BlitDraw(Dest, X, Y, *Block, PatternRect(PatternIndex), Transparent);
}

void TPictureCollectionItem::DrawBlended(TDirectDrawSurface& Dest, const TRect& DestRect,
                                         int32_t PatternIndex, int32_t Alpha) const {
  if (!FInitialized || Alpha <= 0) return;
  const TDirectDrawSurface* Block = PatternBlock(PatternIndex);
  if (Block == nullptr || Block->Empty() || Dest.Empty()) return;
  BlitDrawBlended(Dest, DestRect, *Block, PatternRect(PatternIndex), Transparent, Alpha);
}

void TPictureCollectionItem::DrawRotated(TDirectDrawSurface& Dest, int32_t X, int32_t Y,
                                         int32_t Width, int32_t Height, int32_t PatternIndex,
                                         double CenterX, double CenterY, int32_t Angle) const {
  if (!FInitialized || Width == 0 || Height == 0) return;
  const TDirectDrawSurface* Block = PatternBlock(PatternIndex);
  if (Block == nullptr || Block->Empty() || Dest.Empty()) return;
  BlitDrawRotated(Dest, X, Y, Width, Height, *Block, PatternRect(PatternIndex), CenterX, CenterY,
                  Angle, Transparent);
}

TDXImageList::~TDXImageList() {
  SetDXDraw(nullptr);
}

void TDXImageList::SetDXDraw(TDXDraw* Display) {
  if (Display == FDXDraw) return;
  if (FDXDraw != nullptr) FDXDraw->RemoveListener(this);  // delivers finalize when needed
  FItems.Finalize();
  FDXDraw = Display;
  if (FDXDraw == nullptr) return;
  FDXDraw->AddListener(this, [this](TDXDrawNotifyType NotifyType) {
    switch (NotifyType) {
      case dxntDestroying:
        // The display goes away: drop every pointer to it; it sends nothing more to us.
        FItems.Finalize();
        FDXDraw = nullptr;
        break;
      case dxntInitialize:
        if (FDXDraw != nullptr) FItems.Initialize(*FDXDraw);
        break;
      case dxntFinalize:
        FItems.Finalize();
        break;
      case dxntRestore:
        FItems.Restore();
        break;
      default:
        break;
    }
  });
}
