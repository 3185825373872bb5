// The duck: steering, the play area, lives and respawning, and its assistant.
#include "game/Player.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "engine/DXImageList.h"
#include "game/Bonus.h"
#include "game/Bullet.h"
#include "game/CountDown.h"
#include "game/GroundGun.h"
#include "game/Monster.h"
#include "game/ObjectTables.h"

namespace {

constexpr double KStartX = 30, KStartY = 221;
constexpr int32_t KBlinkMs = 100;
constexpr int32_t KBlinkFlips = 15;
constexpr int32_t KDeathMs = 1500;
// The play area the duck is kept in while it can be steered.
constexpr double KAreaLeft = -10, KAreaRight = 815, KAreaTop = 44, KAreaBottom = 570;
// The assistant's picture is 55 x 48; its propeller stands left of it.
constexpr double KHeroW = 55, KHeroH = 48;

}  // namespace

TPlayer::TPlayer(IGameContext& Context) : TMyImageSprite(Context, 2, "Player", 30, 221, 10) {
  PixelExact = false;
  if (Image() != nullptr) FrameCount = Image()->PatternCount();
  TGameState& G = Ctx.Game();
  G.Lives = 3;
  G.Score = 0;
  AnimLo = 1;
  AnimHi = 3;
  AnimRate = 3;
}

void TPlayer::Respawn() {
  State = psRespawning;
  LevelEnd = false;
  if (Ctx.Game().Lives == 0) {
    Visible = false;
    Ctx.PlayCue("GameOver");
    Ctx.OpenGameOverBanner();
    return;
  }
  ShowImage("Player");
  FramePos = 1.0;
  X = KStartX;
  Y = KStartY;
  AlphaBlend = false;
  Alpha = 0;
  Visible = true;
  BlinkCount = 0;
  BlinkTime = KBlinkMs;
  HideAtAnimEnd = false;
  Energy = 1;
  if (SlotOn[4]) ResetHero();
}

void TPlayer::BecomeAlive() {
  State = psAlive;
  ShowImage("Player");
  AlphaBlend = false;
  Alpha = 0;
  Visible = true;
  HideAtAnimEnd = false;
}

void TPlayer::BeginLevelEnd() {
  Ctx.PlayCue("Reborn");
  LevelEnd = true;
  DropWeapons();
  BlinkCount = 0;
}

void TPlayer::Damage(int32_t Amount) {
  Energy -= Amount;
  if (Energy <= 0) Explode();
}

void TPlayer::Explode() {
  State = psDying;
  Ctx.PlayCue("PlayerKill");
  DeathTime = KDeathMs;
  TGameState& G = Ctx.Game();
  if (G.Lives > 0) --G.Lives;
  // The explosion picture is smaller than the duck: centre it on the body.
  X += 45;
  Y += 5;
  PlayImage("PlayerExplosion", 4);
  DropWeapons();
  ReleasePlayerMegaBombs(Ctx);
}

void TPlayer::Swallowed() {
  State = psDying;
  Ctx.PlayCue("PlayerKill");
  DeathTime = KDeathMs;
  TGameState& G = Ctx.Game();
  if (G.Lives > 0) --G.Lives;
  DropWeapons();
  ReleasePlayerMegaBombs(Ctx);
  Visible = false;
}

void TPlayer::AddScore(int32_t Points) {
  Ctx.Game().Score += Points;
}

void TPlayer::AddLife() {
  TGameState& G = Ctx.Game();
  if (G.Lives < 3) ++G.Lives;
}

void TPlayer::MegaBlast() {
  TGameState& G = Ctx.Game();
  for (int32_t I = 1; I <= KHunterSlots; ++I) {
    const size_t S = static_cast<size_t>(I);
    if (G.HunterUsed[S] && !G.Hunters[S]->Dying) G.Hunters[S]->Damage(10);
  }
  for (int32_t I = 1; I <= KMonsterSlots; ++I) {
    const size_t S = static_cast<size_t>(I);
    if (G.MonsterUsed[S] && !G.Monsters[S]->Dying) G.Monsters[S]->Damage(10);
  }
}

void TPlayer::ResetHero() {
  SlotOn[4] = true;
  HeroAngle = 3.6;
  HeroRadius = 100;
  HeroX = -70;
  HeroY = 450;
  HeroDriftX = HeroDriftY = 0;
  HeroExploding = false;
  HeroFireDelay = 200;
  HeroLost = false;
}

void TPlayer::HeroShotDown() {
  Ctx.PlayCue("HeroKill");
  HeroBlastPos = 0;
  HeroExploding = true;
  HeroLost = true;
}

void TPlayer::HeroFire() {
  Ctx.PlayCue("Laser");
  AddBullet(Ctx, Trunc(HeroX + 30), Trunc(HeroY), 11, 10, 0, bkGunBullet, bsPlayer, false);
  HeroFireDelay = 200;
}

// ---- Moving ---------------------------------------------------------------------------------

void TPlayer::MoveSelf(int32_t Ticks) {
  TMyImageSprite::MoveSelf(Ticks);
  Collide();
  const double Speed = Ctx.SpeedFactor();
  const int32_t Ms = Ctx.FrameMs();
  const bool Steerable = State == psRespawning || State == psAlive;

  if (SlotOn[4]) MoveHero();
  SteerByMouse();

  // The heavy weapons show the duck with its launcher.
  const bool Heavy = SlotOn[3] || SlotOn[8] || SlotOn[9];
  AnimLo = Heavy ? 5 : 1;
  AnimHi = Heavy ? 7 : 3;

  if (Steerable) {
    if (MoveLeft) X -= 8 * Speed;
    if (MoveRight) X += 8 * Speed;
    if (MoveUp) Y -= 6 * Speed;
    if (MoveDown) Y += 6 * Speed;
    if (FireHeld) {
      FireWeapons();
      const int32_t Firing = Heavy ? 4 : 0;
      AnimLo = AnimHi = Firing;
      FramePos = Firing;
    }
    if (X + Width > KAreaRight) X = KAreaRight - Width;
    if (X < KAreaLeft) X = KAreaLeft;
    if (Y + Height > KAreaBottom) Y = KAreaBottom - Height;
    if (Y < KAreaTop) Y = KAreaTop;
  }

  if (LevelEnd) Blink();
  if (State == psRespawning && Blink() && BlinkCount >= KBlinkFlips) {
    Visible = true;
    BecomeAlive();
  }
  if (State == psDying) {
    if (!CountDown(DeathTime, 0, Ms)) Respawn();
    // The wreck drifts right and down (also from the start point in the move
    // that respawns).
    X += 6 * Speed;
    Y += 6 * Speed;
  }

  TickSlots();
  if (!CountDown(FireCooldown, 0, Ms)) FireCooldown = 0;

  if (FramePos < AnimLo) FramePos = AnimLo;
  if (FramePos > AnimHi) FramePos = AnimLo;
}

bool TPlayer::Blink() {
  BlinkTime -= Ctx.FrameMs();
  if (BlinkTime > 0) return false;
  BlinkTime = KBlinkMs;
  ++BlinkCount;
  Visible = !Visible;
  return true;
}

void TPlayer::MoveHero() {
  TGameState& G = Ctx.Game();
  const double Speed = Ctx.SpeedFactor();
  const int32_t Ms = Ctx.FrameMs();

  // The assistant is hit only once it has caught up with its place: while it
  // still flies in (or explodes, drifting off) it trails its target by 10
  // pixels or more.
  const TQuad Inner = BoxQuad(HeroX + 5, HeroY + 5, HeroX + 50, HeroY + 43);
  for (int32_t I = 1; I <= KMonsterSlots; ++I) {
    const size_t S = static_cast<size_t>(I);
    if (State != psAlive || !G.MonsterUsed[S] || G.Monsters[S]->Dying || HeroTargetX - HeroX >= 10)
      continue;
    const TMonster& M = *G.Monsters[S];
    if (QuadsOverlap(Inner, BoxQuad(M.X, M.Y, M.X + M.Width, M.Y + M.Height))) {
      HeroShotDown();
      ReleaseMonster(Ctx, I);
    }
  }
  const TQuad Full = BoxQuad(HeroX, HeroY, HeroX + KHeroW, HeroY + KHeroH);
  for (int32_t J = 1; J <= KBulletSlots; ++J) {
    const size_t S = static_cast<size_t>(J);
    if (State != psAlive || !G.BulletUsed[S] || G.Bullets[S]->Side != bsEnemy ||
        G.Bullets[S]->Exploding || HeroTargetX - HeroX >= 10)
      continue;
    const TBullet& B = *G.Bullets[S];
    if (QuadsOverlap(Full, BoxQuad(B.X, B.Y, B.X + B.Width, B.Y + B.Height))) {
      HeroShotDown();
      ReleaseBullet(Ctx, J);
    }
  }

  CenterX = Width / 2.0 + X;
  CenterY = Height / 2.0 + Y;
  constexpr double TwoPi = 2 * std::numbers::pi;
  if (HeroAngle > TwoPi) HeroAngle -= TwoPi;
  if (HeroAngle < 0) HeroAngle += TwoPi;
  HeroTargetX = std::cos(HeroAngle) * HeroRadius + CenterX - 27.5 + HeroDriftX;
  HeroTargetY = CenterY - std::sin(HeroAngle) * HeroRadius - 24 + HeroDriftY;
  if (HeroTargetX < 0) HeroTargetX = 0;
  if (HeroExploding) {
    HeroTargetX += 40;
    HeroTargetY += 2;
    HeroDriftX += 8 * Speed;
    HeroDriftY += 8 * Speed;
  } else {
    HeroDriftX = HeroDriftY = 0;
  }
  const double StepX = (HeroTargetX - HeroX) / 10 * Speed;
  const double StepY = (HeroTargetY - HeroY) / 10 * Speed;
  HeroX += StepX;
  HeroY += StepY;

  HeroAnimPos += Ms / 1000.0 * 6;
  if (HeroAnimPos > 3) HeroAnimPos = 0;
  if (HeroExploding) {
    HeroBlastPos += Ms / 1000.0 * 4;
    if (HeroBlastPos > 3) {
      HeroBlastPos = 0;
      SlotOn[4] = false;  // gone
    }
  }

  if (State == psAlive && !LevelEnd && !HeroExploding) {
    if (HeroFireDelay > 0) {
      HeroFireDelay -= Ms;
    } else {
      const int32_t Roll = Ctx.Random().Below(24);
      if (Roll == 1) HeroFire();
    }
  }
}

// The system pointer is parked on the duck every move; only how far the user
// moved it since then steers, limited to 20 pixels a frame.
void TPlayer::SteerByMouse() {
  TGameState& G = Ctx.Game();
  const double Speed = Ctx.SpeedFactor();
  int32_t Px = 0, Py = 0;
  Ctx.GetCursorPos(Px, Py);
  const double Limit = 20 * Speed;
  auto Limited = [Limit](int64_t D) -> double {
    if (D < -Limit) return RoundEven(-Limit);
    if (D > Limit) return RoundEven(Limit);
    return static_cast<double>(D);
  };
  const double Dx = Limited(static_cast<int64_t>(Px) - G.LastCursorX);
  const double Dy = Limited(static_cast<int64_t>(Py) - G.LastCursorY);
  if (State == psRespawning || State == psAlive) {
    X += Dx / 1.5;
    Y += Dy / 1.8;
    int32_t Left = 0, Top = 0;
    Ctx.ClientOrigin(Left, Top);
    Ctx.SetCursorPos(Trunc(Left + X + Width / 2.0), Trunc(Top + Y + Height / 2.0));
  }
  Ctx.GetCursorPos(G.LastCursorX, G.LastCursorY);
}

// ---- Contacts -------------------------------------------------------------------------------

void TPlayer::CollideWith(TSprite& Other, bool&) {
  // Released earlier in this frame (a bonus shot away, a monster the assistant rammed):
  // gone, though its sprite is freed only at the frame's end.
  if (Other.IsDead()) return;
  if (auto* Hunter = dynamic_cast<TGroundGun*>(&Other)) {
    if (!Hunter->Dying && State == psAlive) {
      Explode();
      Hunter->Die();  // no points for flying into it
    }
    return;
  }
  if (auto* Monster = dynamic_cast<TMonster*>(&Other)) {
    if (Monster->Dying || State != psAlive) return;
    if (Monster->Kind != mkBird) {
      Explode();
      return;
    }
    // A bird only catches the duck with its beak.
    if (X - Monster->X < 110 && std::abs(Y + Height / 2.0 - Monster->Y - 60.5) < 30) {
      Swallowed();
      Monster->StartEating();
    }
    return;
  }
  if (auto* Bonus = dynamic_cast<TBonus*>(&Other)) {
    if (State != psDying) TakeBonus(*Bonus);
  }
}

void TPlayer::TakeBonus(TBonus& Bonus) {
  Ctx.PlayCue("Bonus");
  switch (Bonus.Kind) {
    case 1:
      AddScore(100);
      break;
    case 4:
      break;  // nothing but the cue
    case 6:
      AddLife();
      break;
    default:
      TakeSlot(Bonus.Kind);  // a weapon, the mega bomb or the assistant
      break;
  }
  Bonus.Taken = true;
}

// ---- Drawing --------------------------------------------------------------------------------

void TPlayer::DrawSelf() {
  TMyImageSprite::DrawSelf();
  if (!SlotOn[4] || State == psDying) return;
  TDirectDrawSurface* Surface = Engine() != nullptr ? Engine()->Surface() : nullptr;
  TPictureCollection* Pictures = PicturesOf(Ctx, 2);
  if (Surface == nullptr || Pictures == nullptr) return;
  if (!HeroExploding) {
    Pictures->Find("Hero").Draw(*Surface, RoundEven(HeroX), RoundEven(HeroY), 0);
    Pictures->Find("HeroAnim")
        .Draw(*Surface, RoundEven(HeroX - 48), RoundEven(HeroY - 8), Trunc(HeroAnimPos));
  } else {
    Pictures->Find("HeroExplosion")
        .Draw(*Surface, RoundEven(HeroX), RoundEven(HeroY), Trunc(HeroBlastPos));
  }
}

// ---- Hit tests ------------------------------------------------------------------------------

bool PointInQuad(TPointD P, TPointD A, TPointD B, TPointD C, TPointD D) {
  const TPointD Corners[4] = {A, B, C, D};
  TPointD Unit[4];
  for (int32_t I = 0; I < 4; ++I) {
    const double Vx = Corners[I].X - P.X;
    const double Vy = Corners[I].Y - P.Y;
    const double Length = std::hypot(Vx, Vy);
    // P on a corner: on the outline, like a point on an edge (whose two corners
    // lie 180 degrees apart). The angle to a corner at P has no direction to
    // measure.
    if (Length == 0) return true;
    Unit[I] = {Vx / Length, Vy / Length};
  }
  double Sum = 0;
  for (int32_t I = 0; I < 4; ++I) {
    const TPointD& U = Unit[I];
    const TPointD& V = Unit[(I + 1) % 4];
    // Rounding can carry the dot product of two unit vectors a hair past +-1.
    const double Dot = std::clamp(U.X * V.X + U.Y * V.Y, -1.0, 1.0);
    Sum += std::acos(Dot) * 57.29577951308232;
  }
  return Sum >= 355;
}

bool QuadsOverlap(const TQuad& Q1, const TQuad& Q2) {
  for (const TPointD& P : Q1)
    if (PointInQuad(P, Q2[0], Q2[1], Q2[2], Q2[3])) return true;
  for (const TPointD& P : Q2)
    if (PointInQuad(P, Q1[0], Q1[1], Q1[2], Q1[3])) return true;
  return false;
}

TQuad BoxQuad(double Left, double Top, double Right, double Bottom) {
  return {TPointD{Left, Top}, TPointD{Left, Bottom}, TPointD{Right, Top}, TPointD{Right, Bottom}};
}
