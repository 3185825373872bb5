// The pick-ups: their pictures, the drift with the ground and the push.
#include "game/Bonus.h"

#include "game/ObjectTables.h"
#include "game/ScrollBackground.h"

namespace {

constexpr const char* KBonusImages[10] = {
    "BNull",     "BScore", "BRocket",    "BHero",     "BNull",
    "BMegaBomb", "BLife",  "BSingleGun", "BMultiGun", "BRocket3x",
};

constexpr int32_t KPushMs = 300;
constexpr int32_t KPushSpeed = 6;
// A bonus pushed while beyond the right edge is lost.
constexpr double KLostRight = 800;

}  // namespace

const char* BonusImage(uint8_t Kind) {
  return Kind < 10 ? KBonusImages[Kind] : "BNull";
}

TBonus::TBonus(IGameContext& Context, int32_t AtX, int32_t AtY, int32_t AtZ, int32_t InSlot,
               uint8_t InKind)
    : TMyImageSprite(Context, 2, BonusImage(InKind), AtX, AtY, AtZ), Slot(InSlot), Kind(InKind) {
  Taken = false;
  PushSpeed = 0;
  // The bonus picture loops.
  AnimRate = 6;
}

void TBonus::Push() {
  PushTime = KPushMs;
  PushSpeed = KPushSpeed;
  if (X > KLostRight) ReleaseBonus(Ctx, Slot);
}

void TBonus::MoveSelf(int32_t Ticks) {
  TMyImageSprite::MoveSelf(Ticks);
  // With the ground (4 to the left), or pushed 2 a frame to the right.
  X += (GroundSpeedX(Ctx) + PushSpeed) * Ctx.SpeedFactor();
  if (PushSpeed > 0) {
    PushTime -= Ctx.FrameMs();
    if (PushTime <= 0) PushSpeed = 0;
  }
}
