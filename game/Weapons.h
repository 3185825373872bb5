#pragma once
// The player's weapon and bonus slots 1..9 (slot 10, the life, is never held), and the
// mapping between slots and bonus kinds. The slot operations themselves are TPlayer's
// (Weapons.cpp).

#include <cstdint>

constexpr int32_t KPlayerSlots = 9;
// Timed weapons last this long after they are taken.
constexpr int32_t KWeaponTime = 5000;

// Bonus kind 0..9 to bonus slot 1..10 and back; values outside the tables give 0.
int32_t SlotOfKind(int32_t Kind);
int32_t KindOfSlot(int32_t Slot);

// The weapons, by the number handed to TPlayer::Fire.
enum TWeapon : int32_t {
  wpLaser = 0,
  wpNone = 1,
  wpRocket = 2,
  wpMegaBomb = 3,
  wpSingleGun = 4,
  wpMultiGun = 5,
  wpTripleRocket = 6,
};
