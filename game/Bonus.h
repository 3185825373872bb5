#pragma once
// The pick-ups: they drift left with the ground until the duck takes one, which gives points,
// a life, the assistant or a weapon. The player's bullets push a bonus back to the right;
// one hit while beyond the right edge is lost.

#include <cstdint>

#include "game/MyImageSprite.h"

// Bonus kinds 0..9, as AddBonus is given them.
enum TBonusKind : uint8_t {
  bnLaser = 0,
  bnScore = 1,
  bnRocket = 2,
  bnHero = 3,
  bnNothing = 4,
  bnMegaBomb = 5,
  bnLife = 6,
  bnSingleGun = 7,
  bnMultiGun = 8,
  bnTripleRocket = 9,
};

// The picture of a bonus kind in the play pack; "BNull" outside 0..9.
const char* BonusImage(uint8_t Kind);

class TBonus final : public TMyImageSprite {
 public:
  // Made by AddBonus only, in table slot Slot.
  TBonus(IGameContext& Ctx, int32_t X, int32_t Y, int32_t Z, int32_t Slot, uint8_t Kind);

  void MoveSelf(int32_t Ticks) override;

  // A bullet of the player touched it: it drifts right for 300 ms; beyond X 800 it is lost
  // at once.
  void Push();

  int32_t Slot = 0;
  bool Taken = false;  // the duck picked it up; the game releases it
  uint8_t Kind = bnLaser;
  int32_t PushSpeed = 0;  // extra pixels per frame to the right; 0 = not pushed
  int32_t PushTime = 0;   // ms the push still lasts
};
