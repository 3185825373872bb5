// The sprites that draw image items: the animated image sprite, the cell-map background,
// and the pixel-exact hit test between two patterns.
#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/DXImageList.h"
#include "engine/DXSprite.h"

namespace {

constexpr uint32_t kRgbMask = 0x00FFFFFFu;

int32_t SaturateToInt32(int64_t V) {
  return static_cast<int32_t>(std::clamp<int64_t>(V, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

// Integer division truncating toward zero, as the map arithmetic is defined.
inline int64_t Div(int64_t A, int64_t B) {
  return A / B;
}

}  // namespace

// ---- TImageSprite -------------------------------------------------------------------------

TImageSprite::TImageSprite(TSprite* Parent) : TSprite(Parent) {}

void TImageSprite::SetImage(TPictureCollectionItem* Item) {
  FImage = Item;
  Width = Item != nullptr ? Item->Width() : 0;
  Height = Item != nullptr ? Item->Height() : 0;
}

int32_t TImageSprite::FrameIndex() const {
  return SaturateToInt32(static_cast<int64_t>(RoundEven(FramePos)) + FirstPattern);
}

TRect TImageSprite::DrawRect() const {
  TRect R = GetBounds();
  if (FImage == nullptr) return R;
  const int64_t Dx = (static_cast<int64_t>(Width) - FImage->Width()) / 2;
  const int64_t Dy = (static_cast<int64_t>(Height) - FImage->Height()) / 2;
  R.Left = SaturateToInt32(R.Left + Dx);
  R.Right = SaturateToInt32(R.Right + Dx);
  R.Top = SaturateToInt32(R.Top + Dy);
  R.Bottom = SaturateToInt32(R.Bottom + Dy);
  return R;
}

void TImageSprite::MoveSelf(int32_t Ticks) {
  FramePos += FrameSpeed * Ticks;
  if (LoopAnim) {
    FramePos = FrameCount > 0 ? PosModF(FramePos, FrameCount) : 0.0;
    if (!std::isfinite(FramePos)) FramePos = 0;
  } else {
    // A non-looped animation stops on its last frame, or on frame 0 running backwards.
    if (FramePos >= FrameCount) {
      FramePos = FrameCount - 1;
      FrameSpeed = 0;
    }
    if (FramePos < 0) {
      FramePos = 0;
      FrameSpeed = 0;
    }
  }
}

TRect TImageSprite::GetBounds() const {
  int32_t X0 = RoundEven(AbsoluteX());
  int32_t Y0 = RoundEven(AbsoluteY());
  if (Tiled && Engine() != nullptr) {
    // Wrap into (-Width, surface right] (and the same downwards).
    const TRect& S = Engine()->SurfaceBounds();
    auto Wrap = [](int64_t V, int64_t Edge, int64_t Size) -> int64_t {
      const int64_t N = Edge + Size;
      if (N <= 0) return V;
      int64_t R = V % N;
      if (R < 0) R += N;
      if (R > Edge) R -= N;
      return R;
    };
    X0 = SaturateToInt32(Wrap(X0, S.Right, Width));
    Y0 = SaturateToInt32(Wrap(Y0, S.Bottom, Height));
  }
  return Bounds(X0, Y0, Width, Height);
}

void TImageSprite::DrawSelf() {
  if (FImage == nullptr || Engine() == nullptr || Engine()->Surface() == nullptr) return;
  const TRect R = DrawRect();
  FImage->Draw(*Engine()->Surface(), R.Left, R.Top, FrameIndex());
}

bool TImageSprite::TestHit(TSprite& Other) {
  auto* O = dynamic_cast<TImageSprite*>(&Other);
  if (O == nullptr || !PixelExact) return true;
  const TRect A = DrawRect();
  const TRect B = O->DrawRect();
  return PatternsOverlap(FImage, FrameIndex(), A.Left, A.Top, O->FImage, O->FrameIndex(), B.Left,
                         B.Top);
}

// ---- Pixel test -------------------------------------------------------------------------

bool PatternsOverlap(const TPictureCollectionItem* A, int32_t PatternA, int32_t X1, int32_t Y1,
                     const TPictureCollectionItem* B, int32_t PatternB, int32_t X2, int32_t Y2) {
  const TRect RA = A != nullptr ? A->PatternRect(PatternA) : TRect{};
  const TRect RB = B != nullptr ? B->PatternRect(PatternB) : TRect{};
  const int64_t WA = std::max(0, RA.Width()), HA = std::max(0, RA.Height());
  const int64_t WB = std::max(0, RB.Width()), HB = std::max(0, RB.Height());
  // Local boxes, A at the origin; 64-bit so that far-apart positions cannot wrap.
  const int64_t OffX = static_cast<int64_t>(X2) - X1;
  const int64_t OffY = static_cast<int64_t>(Y2) - Y1;
  const bool Boxes = WA > 0 && HA > 0 && WB > 0 && HB > 0 && 0 < OffX + WB && OffX < WA &&
                     0 < OffY + HB && OffY < HA;
  const TDirectDrawSurface* BlockA = A != nullptr ? A->PatternBlock(PatternA) : nullptr;
  const TDirectDrawSurface* BlockB = B != nullptr ? B->PatternBlock(PatternB) : nullptr;
  if (!Boxes || BlockA == nullptr || BlockB == nullptr) return Boxes;

  // The common part in each pattern's own coordinates, then within its block.
  const int64_t AX = std::max<int64_t>(OffX, 0), AY = std::max<int64_t>(OffY, 0);
  const int64_t BX = std::max<int64_t>(-OffX, 0), BY = std::max<int64_t>(-OffY, 0);
  const int64_t W = std::min(WA - AX, WB - BX);
  const int64_t H = std::min(HA - AY, HB - BY);
  const int64_t AL = RA.Left + AX, AT = RA.Top + AY;
  const int64_t BL = RB.Left + BX, BT = RB.Top + BY;
  // A pattern rectangle reaching outside its block has no readable pixels there.
  if (AL < 0 || AT < 0 || AL + W > BlockA->Width() || AT + H > BlockA->Height()) return false;
  if (BL < 0 || BT < 0 || BL + W > BlockB->Width() || BT + H > BlockB->Height()) return false;
  const bool KeyA = BlockA->HasColorKey(), KeyB = BlockB->HasColorKey();
  const uint32_t CA = BlockA->ColorKey(), CB = BlockB->ColorKey();
  for (int64_t J = 0; J < H; ++J) {
    const uint32_t* PA = BlockA->Row(static_cast<int32_t>(AT + J)) + AL;
    const uint32_t* PB = BlockB->Row(static_cast<int32_t>(BT + J)) + BL;
    for (int64_t I = 0; I < W; ++I) {
      const bool OpaqueA = !KeyA || (PA[I] & kRgbMask) != CA;
      const bool OpaqueB = !KeyB || (PB[I] & kRgbMask) != CB;
      if (OpaqueA && OpaqueB) return true;
    }
  }
  return false;
}

// ---- TBackgroundSprite ------------------------------------------------------------------

TBackgroundSprite::TBackgroundSprite(TSprite* Parent) : TSprite(Parent) {
  CanCollide = false;
}

TBackgroundSprite::~TBackgroundSprite() {
  ResizeMap(0, 0);
}

void TBackgroundSprite::ResizeMap(int32_t W, int32_t H) {
  if (W == FColumns && H == FRows) return;
  if (W <= 0 || H <= 0) W = H = 0;
  FColumns = W;
  FRows = H;
  const size_t N = static_cast<size_t>(W) * static_cast<size_t>(H);
  FCells.assign(N, 0);
  FSolidCells.assign(N, 1);
}

void TBackgroundSprite::SetImage(TPictureCollectionItem* Item) {
  FImage = Item;
  Width = Item != nullptr ? SaturateToInt32(static_cast<int64_t>(Item->Width()) * FColumns) : 0;
  Height = Item != nullptr ? SaturateToInt32(static_cast<int64_t>(Item->Height()) * FRows) : 0;
}

int32_t TBackgroundSprite::Cells(int32_t X, int32_t Y) const {
  if (X < 0 || Y < 0 || X >= FColumns || Y >= FRows) return -1;
  return FCells[static_cast<size_t>(X) + static_cast<size_t>(Y) * FColumns];
}

bool TBackgroundSprite::SolidCells(int32_t X, int32_t Y) const {
  if (X < 0 || Y < 0 || X >= FColumns || Y >= FRows) return false;
  return FSolidCells[static_cast<size_t>(X) + static_cast<size_t>(Y) * FColumns] != 0;
}

void TBackgroundSprite::SetCell(int32_t X, int32_t Y, int32_t Pattern) {
  if (X < 0 || Y < 0 || X >= FColumns || Y >= FRows) return;
  FCells[static_cast<size_t>(X) + static_cast<size_t>(Y) * FColumns] = Pattern;
}

void TBackgroundSprite::SetSolidCell(int32_t X, int32_t Y, bool Solid) {
  if (X < 0 || Y < 0 || X >= FColumns || Y >= FRows) return;
  FSolidCells[static_cast<size_t>(X) + static_cast<size_t>(Y) * FColumns] = Solid ? 1 : 0;
}

// The cell size is pattern 0's; an item not built yet has none, and nothing is drawn.
bool TBackgroundSprite::CellSize(int32_t& Cw, int32_t& Ch) const {
  if (FImage == nullptr) return false;
  const TRect R = FImage->PatternRect(0);
  Cw = R.Width();
  Ch = R.Height();
  return Cw > 0 && Ch > 0;
}

TRect TBackgroundSprite::GetBounds() const {
  if (Tiled) return Engine() != nullptr ? Engine()->SurfaceBounds() : TRect{};
  if (FImage == nullptr) return TRect{};
  return Bounds(RoundEven(AbsoluteX()), RoundEven(AbsoluteY()),
                SaturateToInt32(static_cast<int64_t>(FImage->Width()) * FColumns),
                SaturateToInt32(static_cast<int64_t>(FImage->Height()) * FRows));
}

void TBackgroundSprite::DrawSelf() {
  if (FImage == nullptr || FColumns <= 0 || FRows <= 0) return;
  if (Engine() == nullptr || Engine()->Surface() == nullptr) return;
  int32_t Cw = 0, Ch = 0;
  if (!CellSize(Cw, Ch)) return;
  TDirectDrawSurface& Dest = *Engine()->Surface();
  const TRect& SB = Engine()->SurfaceBounds();
  // Cells that fit across the surface, plus one for the partly shown ones.
  const int64_t Dw = Div(static_cast<int64_t>(SB.Right) + Cw, Cw) + 1;
  const int64_t Dh = Div(static_cast<int64_t>(SB.Bottom) + Ch, Ch) + 1;
  const int64_t X0 = RoundEven(AbsoluteX());
  const int64_t Y0 = RoundEven(AbsoluteY());
  const int64_t Ox = X0 % Cw, Oy = Y0 % Ch;  // sub-cell offsets, with the sign of X0, Y0
  int64_t Sx = Div(X0, Cw), Sy = Div(Y0, Ch);
  int64_t SkipX = 0, SkipY = 0;
  if (Sx < 0) {
    SkipX = -Sx;
    Sx = 0;
  }
  if (Sy < 0) {
    SkipY = -Sy;
    Sy = 0;
  }
  auto Put = [&](int64_t C, int64_t R, int32_t Cell) {
    const int64_t Px = C * Cw + Ox, Py = R * Ch + Oy;
    if (Px >= Dest.Width() || Py >= Dest.Height() || Px <= -Cw || Py <= -Ch) return;
    FImage->Draw(Dest, static_cast<int32_t>(Px), static_cast<int32_t>(Py), Cell);
  };
  if (Tiled) {
    for (int64_t R = -1; R <= Dh; ++R)
      for (int64_t C = -1; C <= Dw; ++C) {
        const int32_t MapX = PosMod(static_cast<int32_t>((C - Sx + SkipX) % FColumns), FColumns);
        const int32_t MapY = PosMod(static_cast<int32_t>((R - Sy + SkipY) % FRows), FRows);
        const int32_t Cell = Cells(MapX, MapY);
        if (Cell >= 0) Put(C, R, Cell);
      }
    return;
  }
  const int64_t Ex = std::min(Sx + FColumns - SkipX, Dw);
  const int64_t Ey = std::min(Sy + FRows - SkipY, Dh);
  for (int64_t R = Sy; R < Ey; ++R)
    for (int64_t C = Sx; C < Ex; ++C) {
      const int32_t Cell =
          Cells(static_cast<int32_t>(C - Sx + SkipX), static_cast<int32_t>(R - Sy + SkipY));
      if (Cell >= 0) Put(C, R, Cell);
    }
}

bool TBackgroundSprite::TestHit(TSprite& Other) {
  if (FImage == nullptr || FColumns <= 0 || FRows <= 0) return true;
  int32_t Cw = 0, Ch = 0;
  if (!CellSize(Cw, Ch)) return true;
  const TRect Mine = GetBounds();
  const TRect O = Other.GetBounds();
  // Into map coordinates (the map's top-left at 0, 0).
  const int64_t Ax = RoundEven(AbsoluteX()), Ay = RoundEven(AbsoluteY());
  const int64_t OL = O.Left - Ax, OT = O.Top - Ay, OR = O.Right - Ax, OB = O.Bottom - Ay;
  const int64_t IL = std::max(O.Left, Mine.Left) - Ax, IT = std::max(O.Top, Mine.Top) - Ay;
  const int64_t IR = std::min(O.Right, Mine.Right) - Ax, IB = std::min(O.Bottom, Mine.Bottom) - Ay;
  // The map repeats for this test, tiled or not.
  for (int64_t R = Div(IT - Ch + 1, Ch); R <= Div(IB, Ch); ++R)
    for (int64_t C = Div(IL - Cw + 1, Cw); C <= Div(IR, Cw); ++C) {
      const int32_t MapX = static_cast<int32_t>(((C % FColumns) + FColumns) % FColumns);
      const int32_t MapY = static_cast<int32_t>(((R % FRows) + FRows) % FRows);
      if (!SolidCells(MapX, MapY)) continue;
      const int64_t CL = C * Cw, CT = R * Ch;
      if (CL < OR && OL < CL + Cw && CT < OB && OT < CT + Ch) return true;
    }
  return false;
}
