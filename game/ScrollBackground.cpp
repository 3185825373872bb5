// The drifting strips of the sky and the hills, and the ground speed they set.
#include "game/ScrollBackground.h"

#include "engine/DXImageList.h"

TScrollBackground::TScrollBackground(IGameContext& Context, uint8_t List, const std::string& Name,
                                     int32_t Columns, int32_t Rows)
    : TBackgroundSprite(&Context.SpriteEngine()), Ctx(Context) {
  ResizeMap(Columns, Rows);
  ImageList = List;
  ShowImage(Name);
  X = 0;
  Y = 0;
  SetZ(KSkyZ);
  Tiled = false;
  SpeedX = 0;
  SpeedY = 0;
  Killed = false;
}

void TScrollBackground::ShowImage(const std::string& Name) {
  TPictureCollection* Pictures = PicturesOf(Ctx, ImageList);
  if (Pictures == nullptr) return;
  TPictureCollectionItem& Item = Pictures->Find(Name);
  SetImage(&Item);
  // One cell, not the whole strip.
  Width = Item.Width();
  Height = Item.Height();
}

void TScrollBackground::ShowImageFrom(const std::string& Name, uint8_t List) {
  ImageList = List;
  ShowImage(Name);
}

void TScrollBackground::Kill() {
  if (Killed) return;
  MarkDead();
  Killed = true;
}

void TScrollBackground::MoveSelf(int32_t Ticks) {
  TBackgroundSprite::MoveSelf(Ticks);
  X += SpeedX * Ctx.SpeedFactor();
  Y += SpeedY * Ctx.SpeedFactor();
  // One jump back per frame, leftward drift only: with Columns - 1 cells across the
  // surface the strip always covers it.
  const int32_t W = Image() != nullptr ? Image()->Width() : 0;
  if (-W > X) X += W;
}

void TScrollBackground::DrawSelf() {
  TBackgroundSprite::DrawSelf();
}

int32_t GroundSpeedX(IGameContext& Ctx) {
  const TScrollBackground* Front = Ctx.Game().HillLayers[1];
  return Front != nullptr ? Front->SpeedX : 0;
}

void CreateHillLayers(IGameContext& Ctx) {
  for (int32_t K = 1; K <= 2; ++K) {
    const THillRow& Row = KHillRows[K];
    auto* Hills = new TScrollBackground(Ctx, 2, Row.Name, Row.Columns, 1);
    Hills->X = Row.X;
    Hills->Y = Row.Y;
    Hills->SetZ(Row.Z);
    Hills->SpeedX = Row.SpeedX;
    Ctx.Game().HillLayers[static_cast<size_t>(K)] = Hills;
  }
}
