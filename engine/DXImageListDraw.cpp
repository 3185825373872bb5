// The drawing operations of image items. Kept apart from the collection so that code that
// only loads and measures pictures does not pull in the blitters.
#include "engine/DXBlit.h"
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
