// Bullets of both sides: flight, boost, explosions and what they hit.
#include "game/Bullet.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "engine/DXImageList.h"
#include "game/Bonus.h"
#include "game/CountDown.h"
#include "game/GroundGun.h"
#include "game/Monster.h"
#include "game/Player.h"
#include "game/ScrollBackground.h"

namespace {

const char* PictureOf(uint8_t Kind, uint8_t Side) {
  switch (Kind) {
    case bkBomb:
      return "BombBullet";
    case bkMegaBomb:
      return Side == bsPlayer ? "MegaBullet" : "MegaBulletR";
    case bkRocket:
      return "RocketBulletRed";
    default:
      return "GunBulletRed";
  }
}

// Beyond this X (past the right edge) a bullet touches nothing but the duck
// with a bomb's explosion.
constexpr double KHitLimitX = 815;
constexpr double KGroundY = 580;
constexpr int32_t KMaxRocketSpeed = 7;

}  // namespace

TBullet::TBullet(IGameContext& Context, int32_t InSlot, int32_t AtX, int32_t AtY, int32_t AtZ,
                 int32_t InSpeed, int32_t InAngle, uint8_t InKind, uint8_t InSide, bool InDiagonal)
    : TMyImageSprite(Context, 2, PictureOf(InKind, InSide), AtX, AtY, AtZ) {
  switch (InKind) {
    case bkBomb:
      VelY = 1;
      AnimRate = 10;
      Power = 1;
      break;
    case bkMegaBomb:
      FlameRate = 10;
      FlamePos = 0;
      Power = 10;
      break;
    case bkRocket:
      BoostTime = 100;
      AnimRate = 5;
      Power = 3;
      break;
    default:
      Power = 1;
      break;
  }
  StuckTo = 0;
  PixelExact = false;
  Slot = InSlot;
  Side = InSide;
  Kind = InKind;
  Speed = InSpeed;
  Angle = InAngle;
  if (Kind != bkBomb) ComputeVelocity();
  Exploding = false;
  HitDone = false;
  Diagonal = InDiagonal;
}

void TBullet::ComputeVelocity() {
  const double Radians = Angle * 2 * std::numbers::pi / 256;
  VelX = Trunc(std::cos(Radians) * Speed);
  VelY = Trunc(std::sin(Radians) * Speed);
}

void TBullet::ReleaseSelf() {
  // Only this bullet's own slot: once released, the slot may hold a newer bullet.
  TGameState& G = Ctx.Game();
  const size_t S = static_cast<size_t>(Slot);
  if (Slot >= 1 && Slot <= KBulletSlots && G.BulletUsed[S] && G.Bullets[S] == this)
    ReleaseBullet(Ctx, Slot);
  else
    Kill();
}

void TBullet::Explode() {
  HoverTime = 700;
  DriftTime = 300;
  DriftLeft = true;
  if (Kind == bkMegaBomb) {
    Ctx.PlayCue("Explosion2");
    PlayImageOnce("Explosion", 10);
    // The blast is centred on the bomb's nose.
    Y -= 56;
    X -= 8;
    SetZ(12);
    HoverTime = 0;
  } else if (Kind == bkRocket || Kind == bkBomb) {
    Ctx.PlayCue("Explosion2");
    PlayImageOnce("Explosion", 10);
  } else {
    Visible = false;  // a gun bullet just vanishes
  }
  Exploding = true;
}

void TBullet::StickToHunter(int32_t I) {
  const TGroundGun& Hunter = *Ctx.Game().Hunters[static_cast<size_t>(I)];
  StuckTo = I;
  const double Bx = X + Width / 2.0, By = Y + Height / 2.0;
  const double Tx = Hunter.X + Hunter.Width / 2.0, Ty = Hunter.Y + Hunter.Height / 2.0;
  const double Mx = (Bx + Tx) / 2, My = (By + Ty) / 2;
  StuckDX = Trunc(Mx - Hunter.X - Width / 2.0);
  StuckDY = Trunc(My - Hunter.Y - Height / 2.0);
}

void TBullet::MoveSelf(int32_t Ticks) {
  TMyImageSprite::MoveSelf(Ticks);
  TGameState& G = Ctx.Game();
  const double Step = Ctx.SpeedFactor();
  const int32_t Ms = Ctx.FrameMs();

  if (Exploding) {
    if (Kind == bkRocket && FramePos >= 3 && StuckTo == 0) {
      // The blast holds its fourth frame while it rises slowly and sways, then
      // plays out.
      if (HoverTime > 0) {
        HideAtAnimEnd = false;
        HoverTime -= Ms;
        FramePos = 3;
        Y -= 0.5 * Step;
        X += (DriftLeft ? -0.5 : 0.5) * Step;
        DriftTime -= Ms;
        if (DriftTime <= 0) {
          DriftTime = 300;
          DriftLeft = !DriftLeft;
        }
      }
      if (HoverTime <= 0) HideAtAnimEnd = true;
    } else if (Kind == bkMegaBomb) {
      HideAtAnimEnd = true;
    }
  }

  if (Kind == bkMegaBomb && !Exploding) {
    FlamePos += Ms / 1000.0 * FlameRate;
    if (FlamePos > 3) FlamePos = 0;
    // The player's bomb goes off 300 pixels ahead of the duck's bomb bay.
    if (Side == bsPlayer && G.Player != nullptr && X - (G.Player->X + 43) > 300) {
      Explode();
      G.Player->MegaBlast();
    }
  }

  // A hunter whose slot was released is gone (its sprite may be freed already):
  // its release unsticks the explosion, and a stale slot is never followed.
  if (StuckTo != 0 && !G.HunterUsed[static_cast<size_t>(StuckTo)]) StuckTo = 0;
  if (StuckTo != 0) {
    const TGroundGun& Hunter = *G.Hunters[static_cast<size_t>(StuckTo)];
    X = Hunter.X + StuckDX;
    Y = Hunter.Y + StuckDY;
    return;
  }

  if (!Exploding) {
    Collide();
    if (Killed) return;  // released by what it hit
    X += VelX * Step;
    Y += VelY * Step;
    if (Kind == bkRocket && !CountDown(BoostTime, 0, Ms)) {
      BoostTime = 50;
      Speed = std::min(Speed + 1, KMaxRocketSpeed);
      ComputeVelocity();
    }
    if (Y >= KGroundY) {
      Explode();
      Y = 600 - Height;  // the explosion's picture stands on the bottom edge
    }
  } else if (Kind == bkRocket) {
    X += GroundSpeedX(Ctx) * Step;
  } else if (Kind == bkBomb) {
    Collide();  // the blast on the ground can still hurt the duck, once
  }
}

void TBullet::CollideWith(TSprite& Other, bool&) {
  // Something released earlier in this frame is gone, though its sprite is freed only at
  // the frame's end: a monster rammed by the assistant is not killed again, and a bullet
  // the assistant took does not use up a shot.
  if (Other.IsDead()) return;
  TGameState& G = Ctx.Game();
  TPlayer* Player = G.Player;
  auto* OtherPlayer = dynamic_cast<TPlayer*>(&Other);

  if (Kind == bkBomb) {
    if (Exploding && !HitDone && Visible && OtherPlayer != nullptr &&
        OtherPlayer->State == psAlive) {
      HitDone = true;
      OtherPlayer->Damage(Power);
    }
  } else if (Exploding) {
    return;
  }
  if (X > KHitLimitX) return;

  if (auto* Bonus = dynamic_cast<TBonus*>(&Other)) {
    if (Side == bsPlayer) Bonus->Push();
    return;
  }
  if (auto* Bullet = dynamic_cast<TBullet*>(&Other)) {
    if (!Exploding && !Bullet->Exploding && Side != Bullet->Side) {
      Explode();
      Bullet->Explode();
      if ((Kind == bkMegaBomb || Bullet->Kind == bkMegaBomb) && Player != nullptr)
        Player->MegaBlast();
    }
    return;
  }
  if (OtherPlayer != nullptr) {
    // A bomb's blast hurts the duck through its own rule above, once; here it would hit
    // again (and start its explosion over) every frame the duck stays in it.
    if (Side == bsEnemy && OtherPlayer->State == psAlive && !Exploding) {
      if (Kind == bkMegaBomb)
        ReleaseSelf();
      else
        Explode();
      OtherPlayer->Damage(Power);
      CanCollide = false;
    }
    return;
  }
  if (auto* Hunter = dynamic_cast<TGroundGun*>(&Other)) {
    if (Side == bsPlayer && !Hunter->Dying) {
      if (Kind != bkMegaBomb) {
        StickToHunter(Hunter->Slot);
        Explode();
      }
      Hunter->Damage(Power);
      CanCollide = false;
    }
    return;
  }
  if (auto* Monster = dynamic_cast<TMonster*>(&Other)) {
    if (Side != bsPlayer || Monster->Dying) return;
    if (Kind != bkMegaBomb) {
      // Released, not exploded: the search goes on, so a bullet that overlaps
      // two monsters in one frame hits both.
      Monster->Damage(Power);
      ReleaseSelf();
    } else if (!Exploding) {
      Monster->Die();  // a direct hit: no points
      Explode();
      if (Player != nullptr) Player->MegaBlast();
    }
    CanCollide = false;
  }
}

void TBullet::DrawSelf() {
  TDirectDrawSurface* Surface = Engine() != nullptr ? Engine()->Surface() : nullptr;
  if (Surface == nullptr) return;
  if (Kind == bkMegaBomb && !Exploding) {
    if (TPictureCollection* Pictures = PicturesOf(Ctx, 2))
      Pictures->Find("EngineFire").Draw(*Surface, Trunc(X - 45), Trunc(Y + 3), Trunc(FlamePos));
  }
  if (Angle == 0) {
    TMyImageSprite::DrawSelf();
    return;
  }
  if (Image() == nullptr) return;
  Image()->DrawRotated(*Surface, Trunc(X + Width / 2.0), Trunc(Y + Height / 2.0), Width, Height,
                       Trunc(FramePos), 0.5, 0.5, Diagonal ? Angle + 32 : Angle);
}
