// The four object tables: adding in the first free slot, releasing, and culling
// what has left the play area or finished its last animation.
#include "game/ObjectTables.h"

#include "game/Bonus.h"
#include "game/Bullet.h"
#include "game/GroundGun.h"
#include "game/Monster.h"

namespace {

// The first free slot of a table numbered from 1; 0 when it is full.
template <size_t N>
int32_t FirstFree(const std::array<bool, N>& Used) {
  for (size_t I = 1; I < N; ++I)
    if (!Used[I]) return static_cast<int32_t>(I);
  return 0;
}

template <class T, size_t N>
void Release(std::array<T*, N>& Table, std::array<bool, N>& Used, int32_t I) {
  if (I < 1 || static_cast<size_t>(I) >= N) return;
  const size_t S = static_cast<size_t>(I);
  // A free slot's reference is stale: releasing it again must not touch its
  // sprite.
  if (!Used[S]) return;
  Used[S] = false;
  Table[S]->Kill();
}

// The play area: 20 pixels past the left, top and bottom edges of the surface,
// and far to the right, where every newcomer enters at X = 900.
bool OutsidePlayArea(const TSprite& S) {
  return S.X > 1400 || S.X + S.Width < -20 || S.Y < -20 || S.Y + S.Height > 680;
}

}  // namespace

void AddBullet(IGameContext& Ctx, int32_t X, int32_t Y, int32_t Z, int32_t Speed, int32_t Angle,
               uint8_t Kind, uint8_t Side, bool Diagonal) {
  TGameState& G = Ctx.Game();
  const int32_t I = FirstFree(G.BulletUsed);
  if (I == 0) return;
  const size_t S = static_cast<size_t>(I);
  G.Bullets[S] = new TBullet(Ctx, I, X, Y, Z, Speed, Angle, Kind, Side, Diagonal);
  G.BulletUsed[S] = true;
}

void AddHunter(IGameContext& Ctx, int32_t X, int32_t Y, int32_t Z, uint8_t Kind) {
  TGameState& G = Ctx.Game();
  const int32_t I = FirstFree(G.HunterUsed);
  if (I == 0) return;
  const size_t S = static_cast<size_t>(I);
  G.Hunters[S] = new TGroundGun(Ctx, Kind, I, X, Y, Z);
  G.HunterUsed[S] = true;
  G.HunterTimer = 0;
}

void AddMonster(IGameContext& Ctx, int32_t X, int32_t Z, uint8_t Kind) {
  TGameState& G = Ctx.Game();
  const int32_t I = FirstFree(G.MonsterUsed);
  if (I == 0) return;
  const size_t S = static_cast<size_t>(I);
  G.Monsters[S] = new TMonster(Ctx, I, X, Z, Kind);
  G.MonsterUsed[S] = true;
  G.MonsterTimer = 0;
}

void AddBonus(IGameContext& Ctx, int32_t X, int32_t Y, int32_t Z, uint8_t Kind) {
  TGameState& G = Ctx.Game();
  const int32_t I = FirstFree(G.BonusUsed);
  if (I == 0) return;
  const size_t S = static_cast<size_t>(I);
  G.Bonuses[S] = new TBonus(Ctx, X, Y, Z, I, Kind);
  G.BonusUsed[S] = true;
  G.BonusTimer = 0;
}

void ReleaseBullet(IGameContext& Ctx, int32_t I) {
  TGameState& G = Ctx.Game();
  Release(G.Bullets, G.BulletUsed, I);
}

void ReleaseHunter(IGameContext& Ctx, int32_t I) {
  TGameState& G = Ctx.Game();
  if (I < 1 || I > KHunterSlots || !G.HunterUsed[static_cast<size_t>(I)]) return;
  // An explosion that follows this hunter stays where it is: the hunter's
  // sprite is freed at the end of the frame, and its slot may soon hold another
  // hunter.
  for (int32_t J = 1; J <= KBulletSlots; ++J) {
    const size_t S = static_cast<size_t>(J);
    if (G.BulletUsed[S] && G.Bullets[S]->StuckTo == I) G.Bullets[S]->StuckTo = 0;
  }
  Release(G.Hunters, G.HunterUsed, I);
}

void ReleaseMonster(IGameContext& Ctx, int32_t I) {
  TGameState& G = Ctx.Game();
  Release(G.Monsters, G.MonsterUsed, I);
}

void ReleaseBonus(IGameContext& Ctx, int32_t I) {
  TGameState& G = Ctx.Game();
  Release(G.Bonuses, G.BonusUsed, I);
}

void ReleaseAllBullets(IGameContext& Ctx) {
  for (int32_t I = 1; I <= KBulletSlots; ++I) ReleaseBullet(Ctx, I);
}

void ReleaseAllHunters(IGameContext& Ctx) {
  for (int32_t I = 1; I <= KHunterSlots; ++I) ReleaseHunter(Ctx, I);
}

void ReleaseAllMonsters(IGameContext& Ctx) {
  for (int32_t I = 1; I <= KMonsterSlots; ++I) ReleaseMonster(Ctx, I);
}

void ReleaseAllBonuses(IGameContext& Ctx) {
  for (int32_t I = 1; I <= KBonusSlots; ++I) ReleaseBonus(Ctx, I);
}

void ReleasePlayerMegaBombs(IGameContext& Ctx) {
  TGameState& G = Ctx.Game();
  for (int32_t I = 1; I <= KBulletSlots; ++I) {
    const size_t S = static_cast<size_t>(I);
    if (G.BulletUsed[S] && G.Bullets[S]->Kind == bkMegaBomb && G.Bullets[S]->Side == bsPlayer)
      ReleaseBullet(Ctx, G.Bullets[S]->Slot);
  }
}

void CullSprites(IGameContext& Ctx) {
  TGameState& G = Ctx.Game();
  for (int32_t I = 1; I <= KBulletSlots; ++I) {
    const size_t S = static_cast<size_t>(I);
    if (G.BulletUsed[S] && (OutsidePlayArea(*G.Bullets[S]) || !G.Bullets[S]->Visible))
      ReleaseBullet(Ctx, I);
  }
  for (int32_t I = 1; I <= KHunterSlots; ++I) {
    const size_t S = static_cast<size_t>(I);
    if (G.HunterUsed[S] && (OutsidePlayArea(*G.Hunters[S]) || !G.Hunters[S]->Visible))
      ReleaseHunter(Ctx, I);
  }
  for (int32_t I = 1; I <= KMonsterSlots; ++I) {
    const size_t S = static_cast<size_t>(I);
    if (G.MonsterUsed[S] && (OutsidePlayArea(*G.Monsters[S]) || !G.Monsters[S]->Visible))
      ReleaseMonster(Ctx, I);
  }
  for (int32_t I = 1; I <= KBonusSlots; ++I) {
    const size_t S = static_cast<size_t>(I);
    if (G.BonusUsed[S] && (OutsidePlayArea(*G.Bonuses[S]) || G.Bonuses[S]->Taken))
      ReleaseBonus(Ctx, I);
  }
}
