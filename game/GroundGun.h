#pragma once
// The hunters on the ground: they enter from the right standing on the front hills, drift
// with them, shoot up and to the left at random moments (a three-shot burst, a single shot
// or a rocket) and fall when shot. A kill scores 45 points but does not count toward the
// level's quota.

#include <cstdint>

#include "game/MyImageSprite.h"

enum THunterKind : uint8_t {
  hkHunter1 = 0,  // rifle burst
  hkHunter2 = 1,  // rifle
  hkHunter3 = 2,  // rocket launcher
};

// Where AddHunter stands each kind: the height of its feet on the front hills.
constexpr int32_t KHunterStartY[3] = {409, 407, 429};

class TGroundGun final : public TMyImageSprite {
 public:
  // Made by AddHunter only, in table slot Slot.
  TGroundGun(IGameContext& Ctx, uint8_t Kind, int32_t Slot, int32_t X, int32_t Y, int32_t Z);

  void DrawSelf() override;
  void MoveSelf(int32_t Ticks) override;

  // Takes Amount from the energy; out of energy, a hunter not yet falling scores
  // 5 x MaxEnergy, then falls.
  void Damage(int32_t Amount);
  // Starts the fall, once; scores nothing on its own.
  void Die();
  // The kind's shot, its reload and the firing pose.
  void Fire();

  uint8_t Kind = hkHunter1;
  bool Dying = false;  // the fall has started
  int32_t Slot = 0;
  bool Firing = false;     // the firing pose shows
  int32_t PoseLeft = 0;    // ms the firing pose still shows
  int32_t ReloadLeft = 0;  // ms to the next shot
  int32_t MaxEnergy = 0;   // hit points at creation
  int32_t Energy = 0;
};
