#pragma once
// The duck the user steers, and its assistant: steering by keys, joystick and mouse inside
// the play area, the three states (respawning and blinking, alive, dying), the weapon slots
// (Weapons.cpp), picking up bonuses, and the assistant that follows, fires on its own and
// can be shot down.

#include <array>
#include <cstdint>

#include "game/MyImageSprite.h"

enum TPlayerState : uint8_t {
  psRespawning = 0,  // blinking, cannot be hurt
  psAlive = 1,
  psDying = 2,
};

class TPlayer final : public TMyImageSprite {
 public:
  // At (30, 221) in front of everything but the front hills; sets Lives 3 and Score 0.
  // The game start calls Respawn right after.
  explicit TPlayer(IGameContext& Ctx);

  void CollideWith(TSprite& Other, bool& Done) override;
  void DrawSelf() override;
  void MoveSelf(int32_t Ticks) override;

  void Respawn();
  void BecomeAlive();
  void BeginLevelEnd();
  void Damage(int32_t Amount);
  void Explode();
  void Swallowed();
  void AddScore(int32_t Points);
  void AddLife();
  // A mega bomb went off: 10 damage to every hunter and monster still standing.
  void MegaBlast();
  void ResetHero();
  void HeroShotDown();
  void HeroFire();

  // Weapons (Weapons.cpp).
  void Fire(int32_t Weapon);
  void FireWeapons();
  void TakeSlot(uint8_t Kind);
  void DropSlot(uint8_t Kind);
  void DropWeapons();
  bool HasWeapon() const;
  void TickSlots();

  bool MoveLeft = false, MoveRight = false, MoveUp = false, MoveDown = false;
  std::array<bool, 10> SlotOn{};       // 1..9; 4 is the assistant
  std::array<int32_t, 10> SlotTime{};  // ms left on the timed slots
  int32_t FireCooldown = 0;            // ms to the next shot
  uint8_t State = psRespawning;
  int32_t DeathTime = 0;   // ms left in psDying
  int32_t BlinkCount = 0;  // visibility flips of the current blinking
  int32_t BlinkTime = 0;   // ms to the next flip
  int32_t Energy = 0;
  bool LevelEnd = false;  // the end-of-level blinking runs
  bool FireHeld = false;
  int32_t AnimLo = 1, AnimHi = 3;  // frames of the flying animation

  // The assistant.
  bool HeroExploding = false;
  bool HeroLost = false;        // shot down; the bonus spawner reads and clears it
  double HeroX = 0, HeroY = 0;  // top-left corner
  double HeroDriftX = 0, HeroDriftY = 0;
  double HeroTargetX = 0, HeroTargetY = 0;
  double HeroAngle = 0;  // radians, its place round the duck's centre
  double HeroRadius = 0;
  double HeroAnimPos = 0;   // propeller frame
  double HeroBlastPos = 0;  // explosion frame
  int32_t HeroFireDelay = 0;
  double CenterX = 0, CenterY = 0;

 private:
  void MoveHero();
  void SteerByMouse();
  // One step of a blinking phase; answers whether the visibility flipped.
  bool Blink();
  void TakeBonus(TBonus& Bonus);
};

struct TPointD {
  double X = 0, Y = 0;
};
using TQuad = std::array<TPointD, 4>;

// Whether P lies in the quadrilateral A, B, C, D (corners in the order given): the angles
// A-P-B, B-P-C, C-P-D and D-P-A add up to at least 355 degrees. A point on a corner lies on
// the outline, which counts as inside, like a point on an edge.
bool PointInQuad(TPointD P, TPointD A, TPointD B, TPointD C, TPointD D);
// Some corner of one quadrilateral lies in the other.
bool QuadsOverlap(const TQuad& Q1, const TQuad& Q2);
// A box as the assistant's tests list it: top-left, bottom-left, top-right, bottom-right.
TQuad BoxQuad(double Left, double Top, double Right, double Bottom);
