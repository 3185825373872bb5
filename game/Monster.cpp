// The flying enemies: their kinds, courses, shots, overlays and deaths.
#include "game/Monster.h"

#include <cmath>

#include "engine/DXImageList.h"
#include "game/ObjectTables.h"

namespace {

struct TMonsterRow {
  const char* Image;
  int32_t Energy;
  int32_t SpeedX;
  int32_t StartY, StartYRange;  // start height: StartY + a random number below the range
  int32_t AnimRate;
  int32_t Shots, ShotsRange;  // Shots + a random number below the range (0 = no draw)
};

constexpr TMonsterRow KMonsterRows[4] = {
    {"MAirplane", 2, -5, 46, 354, 0, 0, 0},
    {"MBird", 4, -2, 150, 300, 3, 0, 0},
    {"MDog", 10, -1, 46, 200, 3, 5, 0},
    {"MHelicopter", 10, -3, 70, 330, 0, 1, 5},
};

const TMonsterRow& RowOf(uint8_t Kind) {
  return KMonsterRows[Kind < 4 ? Kind : 0];
}

// The start height is the monster's first random number; the base construction takes it.
int32_t StartY(IGameContext& Ctx, uint8_t Kind) {
  const TMonsterRow& Row = RowOf(Kind);
  const int32_t Offset = Ctx.Random().Below(Row.StartYRange);
  return Row.StartY + Offset;
}

// The bird's wave: amplitude 150 around Y 300, wavelength 2 pi x 150 pixels.
constexpr double KWaveRadius = 150;
constexpr double KWaveMiddle = 300;
// A monster fires only once it is left of this: it enters at 900, off the screen.
constexpr double KFireEdge = 815;

}  // namespace

TMonster::TMonster(IGameContext& Context, int32_t InSlot, int32_t AtX, int32_t AtZ, uint8_t InKind)
    : TMyImageSprite(Context, 2, RowOf(InKind).Image, AtX, StartY(Context, InKind), AtZ),
      Slot(InSlot),
      Kind(InKind) {
  Visible = true;
  const TMonsterRow& Row = RowOf(Kind);
  SpeedX = Row.SpeedX;
  SpeedY = 0;
  Energy = Row.Energy;
  AnimRate = Row.AnimRate;
  ShotsLeft = Row.Shots;
  if (Row.ShotsRange > 0) {
    const int32_t Extra = Ctx.Random().Below(Row.ShotsRange);
    ShotsLeft += Extra;
  }
  if (Kind == mkBird) {
    const int32_t WaveOffset = Ctx.Random().Below(800);
    Phase = WaveOffset;
  }
  PixelExact = false;
  MaxEnergy = Energy;
  if (Kind == mkAirplane) FOverlay = &Ctx.ImageList2().Items().Find("MAirplaneAnim");
  if (Kind == mkHelicopter) FOverlay = &Ctx.ImageList2().Items().Find("MHelicopterAnim");
  FireCooldown = 0;
}

void TMonster::Damage(int32_t Amount) {
  Energy -= Amount;
  if (Energy > 0) return;
  if (!Dying) {
    TGameState& G = Ctx.Game();
    G.Score += 5 * MaxEnergy;
    --G.MonstersLeft;
  }
  Die();
}

void TMonster::Die() {
  if (Dying) return;
  switch (Kind) {
    case mkAirplane:
    case mkHelicopter:
      Ctx.PlayCue("Explosion2");
      PlayImageOnce("Explosion", 20);
      break;
    case mkBird:
      Y += 50;
      Ctx.PlayCue("BirdKill");
      // Keeps its rate and loops the falling picture.
      ShowImage("MBirdFall");
      break;
    case mkDog:
      Ctx.PlayCue("DogKill");
      ShowImage("MDogFall");
      // The falling dog keeps the speed it had.
      AnimRate = 0;
      break;
    default:
      break;
  }
  Dying = true;
}

void TMonster::StartEating() {
  if (Kind != mkBird) return;
  PlayImage("MBirdEat", 6);
  Eating = true;
}

void TMonster::StopEating() {
  if (Kind != mkBird) return;
  PlayImage("MBird", 3);
  FramePos = 0;
  Eating = false;
}

void TMonster::MoveSelf(int32_t Ticks) {
  TMyImageSprite::MoveSelf(Ticks);
  const double Speed = Ctx.SpeedFactor();
  const int32_t Ms = Ctx.FrameMs();
  X += SpeedX * Speed;
  Y += SpeedY * Speed;
  switch (Kind) {
    case mkAirplane:
      // 16 propeller frames a second of time.
      RotorPos += (1 / (1000.0 / Ms)) * 16;
      if (RotorPos > 3) RotorPos = 0;
      break;
    case mkBird:
      if (!Dying) {
        Y = std::sin((Phase + X) / KWaveRadius) * KWaveRadius + KWaveMiddle;
      } else {
        Y += 2 * Speed;
      }
      if (Eating && FramePos >= 2) StopEating();
      break;
    case mkDog:
      if (Dying) Y += 1 * Speed;
      break;
    case mkHelicopter:
      RotorPos += (1 / (1000.0 / Ms)) * 12;
      if (RotorPos > 2) RotorPos = 0;
      break;
    default:
      break;
  }
  if (FireCooldown > 0) FireCooldown -= Ms;
  // One chance in 100 a frame, drawn only when the monster could fire at all.
  if (!Dying && X < KFireEdge && ShotsLeft > 0 && FireCooldown <= 0) {
    const int32_t Chance = Ctx.Random().Below(100);
    if (Chance == 1) {
      --ShotsLeft;
      Fire();
    }
  }
}

void TMonster::Fire() {
  switch (Kind) {
    case mkDog:
      AddBullet(Ctx, Trunc(X + 7), Trunc(Y + 130), 9, 0, 0, bkBomb, bsEnemy, false);
      FireCooldown = 1500;
      break;
    case mkHelicopter:
      // Straight left.
      AddBullet(Ctx, Trunc(X - 24), Trunc(Y + 43), 9, 8, -128, bkRocket, bsEnemy, false);
      FireCooldown = 1000;
      break;
    default:
      break;
  }
}

void TMonster::DrawSelf() {
  TMyImageSprite::DrawSelf();
  // The propeller or rotor turns over the body until the monster starts dying.
  TDirectDrawSurface* Surface = Engine() != nullptr ? Engine()->Surface() : nullptr;
  if (Dying || FOverlay == nullptr || Surface == nullptr) return;
  const bool Plane = Kind == mkAirplane;
  const double Dx = Plane ? -6 : -15;
  const double Dy = Plane ? 10 : -16;
  FOverlay->Draw(*Surface, RoundEven(X + Dx), RoundEven(Y + Dy), Trunc(RotorPos));
}
