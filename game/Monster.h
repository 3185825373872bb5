#pragma once
// The flying enemies: an airplane, a bird on its wave, a dog that drops bombs and a
// helicopter that fires rockets. Each enters from the right, flies left at its kind's speed,
// and is shot down, eats the duck (the bird), or leaves the play area. A kill through damage
// scores five times the monster's hit points and counts toward the level's quota, once.

#include <cstdint>

#include "game/MyImageSprite.h"

class TPictureCollectionItem;

enum TMonsterKind : uint8_t {
  mkAirplane = 0,
  mkBird = 1,
  mkDog = 2,
  mkHelicopter = 3,
};

class TMonster final : public TMyImageSprite {
 public:
  // Made by AddMonster only, in table slot Slot, at X (900: off the right edge) and Z, at
  // the kind's start height (a random one).
  TMonster(IGameContext& Ctx, int32_t Slot, int32_t X, int32_t Z, uint8_t Kind);

  void DrawSelf() override;
  void MoveSelf(int32_t Ticks) override;

  // Takes Amount from the energy; out of energy, a monster not yet dying scores and counts
  // one kill, then dies.
  void Damage(int32_t Amount);
  // Starts the fall or the explosion, once; scores nothing on its own.
  void Die();
  // The bird swallows the duck (the bird only).
  void StartEating();
  void StopEating();
  // One shot of the dog (a bomb) or the helicopter (a rocket).
  void Fire();

  int32_t Slot = 0;
  int32_t MaxEnergy = 0;  // hit points at creation; the kill scores 5 x MaxEnergy
  int32_t Energy = 0;
  uint8_t Kind = mkAirplane;
  double RotorPos = 0;       // frame of the propeller or rotor overlay
  int32_t SpeedX = 0;        // pixels per reference frame
  int32_t SpeedY = 0;        // always 0
  int32_t Phase = 0;         // bird: offset of its wave
  int32_t FireCooldown = 0;  // ms to the next shot
  int32_t ShotsLeft = 0;     // shots it may still fire in its life
  bool Dying = false;
  bool Eating = false;

 private:
  // The airplane's propeller or the helicopter's rotor; none for the others.
  const TPictureCollectionItem* FOverlay = nullptr;
};
