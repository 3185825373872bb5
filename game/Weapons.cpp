// The player's weapons: which slot fires what, how fast, and for how long it is
// held.
#include "game/Weapons.h"

#include <array>

#include "game/CountDown.h"
#include "game/ObjectTables.h"
#include "game/Player.h"

namespace {

constexpr std::array<int32_t, 10> KSlotOfKind{1, 2, 3, 4, 5, 9, 10, 6, 7, 8};
constexpr std::array<int32_t, 11> KKindOfSlot{0, 0, 1, 2, 3, 4, 7, 8, 9, 5, 6};

// Kinds that act at once or never expire: the score, the assistant and kind 4.
bool KeepsWeapons(uint8_t Kind) {
  return Kind == 1 || Kind == 3 || Kind == 4;
}

}  // namespace

int32_t SlotOfKind(int32_t Kind) {
  return Kind >= 0 && Kind <= 9 ? KSlotOfKind[static_cast<size_t>(Kind)] : 0;
}

int32_t KindOfSlot(int32_t Slot) {
  return Slot >= 1 && Slot <= 10 ? KKindOfSlot[static_cast<size_t>(Slot)] : 0;
}

void TPlayer::Fire(int32_t Weapon) {
  if (FireCooldown > 0 || LevelEnd) return;
  // Bullets leave from the gun, the rocket launcher or the bomb bay of the
  // picture.
  const int32_t Gx = Trunc(X + 85), Rx = Trunc(X + 110), Bx = Trunc(X + 43);
  switch (Weapon) {
    case wpLaser:
      Ctx.PlayCue("Laser");
      AddBullet(Ctx, Gx, Trunc(Y + 47), 11, 10, 0, bkGunBullet, bsPlayer, false);
      FireCooldown = 300;
      break;
    case wpRocket:
      Ctx.PlayCue("Rocket");
      AddBullet(Ctx, Rx, Trunc(Y + 59), 11, 2, 0, bkRocket, bsPlayer, false);
      FireCooldown = 300;
      break;
    case wpMegaBomb:
      Ctx.PlayCue("Rail");
      AddBullet(Ctx, Bx, Trunc(Y + 52), 11, 6, 0, bkMegaBomb, bsPlayer, false);
      FireCooldown = 500;
      break;
    case wpSingleGun:
      Ctx.PlayCue("Laser");
      AddBullet(Ctx, Gx, Trunc(Y + 47), 11, 10, 0, bkGunBullet, bsPlayer, false);
      FireCooldown = 150;
      break;
    case wpMultiGun:
      Ctx.PlayCue("Laser2");
      AddBullet(Ctx, Gx, Trunc(Y + 43), 11, 10, 0, bkGunBullet, bsPlayer, false);
      AddBullet(Ctx, Gx, Trunc(Y + 59), 11, 10, 0, bkGunBullet, bsPlayer, false);
      FireCooldown = 300;
      break;
    case wpTripleRocket:
      // The outer rockets fly under the duck (Z 10), the middle one over it.
      Ctx.PlayCue("Rocket");
      AddBullet(Ctx, Rx, Trunc(Y + 55), 9, 2, -10, bkRocket, bsPlayer, false);
      AddBullet(Ctx, Rx, Trunc(Y + 59), 11, 2, 0, bkRocket, bsPlayer, false);
      AddBullet(Ctx, Rx, Trunc(Y + 63), 9, 2, 10, bkRocket, bsPlayer, false);
      FireCooldown = 300;
      break;
    default:
      break;  // weapon 1 fires nothing
  }
}

void TPlayer::FireWeapons() {
  for (int32_t I = 1; I <= KPlayerSlots; ++I) {
    if (!SlotOn[static_cast<size_t>(I)]) continue;
    switch (I) {
      case 1:
        Fire(wpLaser);
        break;
      case 3:
        Fire(wpRocket);
        break;
      case 6:
        Fire(wpSingleGun);
        break;
      case 7:
        Fire(wpMultiGun);
        break;
      case 8:
        Fire(wpTripleRocket);
        break;
      case 9:
        // The mega bomb leaves at once, whatever the cooldown, and is used up.
        FireCooldown = 0;
        Fire(wpMegaBomb);
        DropSlot(5);
        break;
      default:
        break;  // the score slot, the assistant and kind 4 do not fire
    }
  }
}

void TPlayer::TakeSlot(uint8_t Kind) {
  const int32_t Slot = SlotOfKind(Kind);
  if (Slot < 1 || Slot > KPlayerSlots) return;  // the life is never held
  if (!KeepsWeapons(Kind)) DropWeapons();
  if (Kind == 3 && !SlotOn[4]) ResetHero();
  SlotOn[static_cast<size_t>(Slot)] = true;
  if (!KeepsWeapons(Kind)) SlotTime[static_cast<size_t>(Slot)] = KWeaponTime;
}

void TPlayer::DropSlot(uint8_t Kind) {
  const int32_t Slot = SlotOfKind(Kind);
  if (Slot >= 1 && Slot <= KPlayerSlots) SlotOn[static_cast<size_t>(Slot)] = false;
}

void TPlayer::DropWeapons() {
  // Every weapon; the assistant stays.
  for (const uint8_t Kind : {0, 2, 7, 8, 9, 5}) DropSlot(Kind);
}

bool TPlayer::HasWeapon() const {
  for (int32_t I = 1; I <= KPlayerSlots; ++I)
    if (I != 2 && I != 4 && I != 5 && SlotOn[static_cast<size_t>(I)]) return true;
  return false;
}

void TPlayer::TickSlots() {
  if (!HasWeapon()) TakeSlot(0);
  // The timed weapons: rocket, single gun, multi gun, triple rocket. One that
  // runs out is dropped, and the laser comes back in the next move.
  for (const int32_t I : {3, 6, 7, 8}) {
    const size_t S = static_cast<size_t>(I);
    if (SlotOn[S] && !CountDown(SlotTime[S], 0, Ctx.FrameMs()))
      DropSlot(static_cast<uint8_t>(KindOfSlot(I)));
  }
}
