// The hunters on the ground: reload, random shots, the firing pose, the fall and the drift.
#include "game/GroundGun.h"

#include "game/ObjectTables.h"
#include "game/Player.h"
#include "game/ScrollBackground.h"

namespace {

struct THunterRow {
  const char* Image;
  const char* FallImage;
  int32_t FallDX, FallDY;  // the fall picture's place from the standing one's
};

constexpr THunterRow KHunterRows[3] = {
    {"Hunter1", "Hunter1Fall", 97, 57},
    {"Hunter2", "Hunter2Fall", 95, 63},
    {"Hunter3", "Hunter3Fall", 65, 41},
};

const THunterRow& RowOf(uint8_t Kind) {
  return KHunterRows[Kind < 3 ? Kind : 0];
}

constexpr int32_t KHunterEnergy = 9;
// A hunter fires only while it stands on the screen's left 700 pixels.
constexpr double KFireRight = 700;
constexpr int32_t KPoseMs = 700;

}  // namespace

TGroundGun::TGroundGun(IGameContext& Context, uint8_t InKind, int32_t InSlot, int32_t AtX,
                       int32_t AtY, int32_t AtZ)
    : TMyImageSprite(Context, 2, RowOf(InKind).Image, AtX, AtY, AtZ), Kind(InKind), Slot(InSlot) {
  Energy = KHunterEnergy;
  MaxEnergy = Energy;
  Firing = false;
  Dying = false;
}

void TGroundGun::Damage(int32_t Amount) {
  Energy -= Amount;
  if (Energy > 0) return;
  if (!Dying) Ctx.Game().Score += 5 * MaxEnergy;
  Die();
}

void TGroundGun::Die() {
  if (Dying) return;
  const TPlayer* Player = Ctx.Game().Player;
  if (Player == nullptr || Player->State != psDying) Ctx.PlayCue("HunterKill");
  const THunterRow& Row = RowOf(Kind);
  PlayImageOnce(Row.FallImage, 3);
  Y += Row.FallDY;
  X += Row.FallDX;
  Dying = true;
}

void TGroundGun::Fire() {
  // Every shot is the enemies', drawn turned (Diagonal), from the hunter's own layer.
  const int32_t Layer = Z();
  switch (Kind) {
    case hkHunter1:
      Ctx.PlayCue("Shot3");
      for (int32_t I = 1; I <= 3; ++I)
        AddBullet(Ctx, Trunc(X + 80 - 3 * I), Trunc(Y + 3 - 10 * I), Layer, 7, -92, bkGunBullet,
                  bsEnemy, true);
      ReloadLeft = 400;
      break;
    case hkHunter2:
      Ctx.PlayCue("Shot1");
      AddBullet(Ctx, Trunc(X + 90), Trunc(Y + 3), Layer, 10, -90, bkGunBullet, bsEnemy, true);
      ReloadLeft = 300;
      break;
    case hkHunter3:
      Ctx.PlayCue("Rocket");
      AddBullet(Ctx, Trunc(X + 50), Trunc(Y + 3), Layer, 8, -102, bkRocket, bsEnemy, true);
      ReloadLeft = 400;
      break;
    default:
      break;
  }
  Firing = true;
  PoseLeft = KPoseMs;
}

void TGroundGun::MoveSelf(int32_t Ticks) {
  TMyImageSprite::MoveSelf(Ticks);
  if (!Dying) {
    if (ReloadLeft > 0) {
      ReloadLeft -= Ctx.FrameMs();
    } else {
      // One chance in 200 a frame, drawn whenever the gun is loaded, on screen or not.
      const int32_t Chance = Ctx.Random().Below(200);
      if (Chance == 1 && 0 < X && X < KFireRight) Fire();
    }
    FramePos = Firing ? 1.0 : 0.0;
    if (PoseLeft > 0) {
      PoseLeft -= Ctx.FrameMs();
    } else {
      Firing = false;
    }
  }
  // Standing or falling, it keeps its place on the front hills.
  X += GroundSpeedX(Ctx) * Ctx.SpeedFactor();
}

void TGroundGun::DrawSelf() {
  TMyImageSprite::DrawSelf();
}
