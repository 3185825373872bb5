#pragma once
// Every projectile of both sides: the player's gun bullets, rockets and mega bombs, and the
// enemies' gun bullets, rockets and bombs. It flies straight at a fixed or growing speed,
// explodes on contact or at the ground, and deals its power to what it hits.

#include <cstdint>

#include "game/MyImageSprite.h"
#include "game/ObjectTables.h"

class TBullet final : public TMyImageSprite {
 public:
  // Made by AddBullet only, in table slot Slot. Angle in 256ths of a turn.
  TBullet(IGameContext& Ctx, int32_t Slot, int32_t X, int32_t Y, int32_t Z, int32_t Speed,
          int32_t Angle, uint8_t Kind, uint8_t Side, bool Diagonal);

  void CollideWith(TSprite& Other, bool& Done) override;
  void DrawSelf() override;
  void MoveSelf(int32_t Ticks) override;

  void Explode();
  // Sits half way between its own centre and the centre of hunter I, and follows it.
  void StickToHunter(int32_t I);

  uint8_t Side = bsPlayer;
  int32_t Slot = 0;
  int32_t Speed = 0;           // pixels per frame along the flight
  int32_t VelX = 0, VelY = 0;  // per-frame step
  int32_t Angle = 0;           // 256ths of a turn, 0 right, positive down the screen
  int32_t BoostTime = 0;       // rocket: ms to its next speed step
  uint8_t Kind = bkGunBullet;
  int32_t FlameRate = 0;  // mega bomb: flame frames per second
  double FlamePos = 0;
  int32_t HoverTime = 0;  // ms a rocket's explosion hovers
  bool DriftLeft = false;
  int32_t DriftTime = 0;  // ms to the next reversal of the drift
  bool Exploding = false;
  bool HitDone = false;   // bomb: its explosion has hurt the duck
  bool Diagonal = false;  // picture turned 32 units further than the flight
  int32_t Power = 0;
  int32_t StuckTo = 0;  // hunter slot the explosion follows; 0 none
  int32_t StuckDX = 0, StuckDY = 0;

 private:
  void ComputeVelocity();
  // Frees its table slot and kills the sprite.
  void ReleaseSelf();
};
