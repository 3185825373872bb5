#include "game/Spawning.h"

#include <algorithm>
#include <limits>

#include "engine/DXTypes.h"
#include "game/GroundGun.h"
#include "game/Monster.h"
#include "game/ObjectTables.h"
#include "game/Player.h"
#include "game/Weapons.h"

namespace {

// Enemy kinds per level: rows 1..6, then the row of level 7 and every later level.
// Columns: airplane, bird, dog, helicopter, (unused), hunter 1, hunter 2, hunter 3.
constexpr bool x = true, o = false;
constexpr std::array<std::array<bool, 8>, 8> KLevelEnemyKinds = {{
    {o, o, o, o, o, o, o, o},  // unused
    {x, o, o, o, o, o, o, o},  // 1
    {x, x, o, o, o, o, o, o},  // 2
    {x, x, o, o, o, o, x, o},  // 3
    {x, x, x, o, o, o, x, o},  // 4
    {x, x, x, o, o, o, x, x},  // 5
    {x, x, x, x, o, o, x, x},  // 6
    {x, x, x, x, o, x, x, x},  // 7 and later
}};
constexpr int32_t KEnemyRows = 7;

// Bonus slots 1..10 per level: rows 1..4, then the row of level 5 and every later level.
constexpr std::array<std::array<bool, 11>, 6> KLevelBonusSlots = {{
    {o, o, o, o, o, o, o, o, o, o, o},  // unused
    {o, o, x, o, x, x, x, o, o, o, x},  // 1: score, assistant, nothing, single gun, life
    {o, o, x, o, x, x, x, x, o, o, x},  // 2: + multi gun
    {o, o, x, x, x, x, x, x, o, o, x},  // 3: + rocket
    {o, o, x, x, x, x, x, x, x, o, x},  // 4: + triple rocket
    {o, o, x, x, x, x, x, x, x, x, x},  // 5 and later: + mega bomb
}};
constexpr int32_t KBonusRows = 5;

// The base chances: hunters out of 20000 a frame, monsters out of 10000.
constexpr int32_t KDogChance = 40;
constexpr int32_t KMonsterBaseChance = 100;
constexpr int32_t KHunterBaseChance = 140;

// Layers: hunters and monsters 6, bonuses 9.
constexpr int32_t KEnemyZ = 6;
constexpr int32_t KBonusZ = 9;
// A bonus enters at a random height from 100 to 469.
constexpr int32_t KBonusTopY = 100;
constexpr int32_t KBonusYRange = 370;

// The assistant's bonus slot: a lost assistant forces its drop.
constexpr int32_t KHeroSlot = 4;

// A class's timer grows every frame, however long nothing spawns; it stops at the top of
// its range rather than wrapping round to a negative time.
void Grow(int32_t& Timer, int32_t Ms) {
  Timer = static_cast<int32_t>(
      std::min<int64_t>(static_cast<int64_t>(Timer) + Ms, std::numeric_limits<int32_t>::max()));
}

}  // namespace

double DifficultyFactor(int32_t Level) {
  if (Level <= 10) return 1.0;
  const double Factor = 1.0 - (Level - 10) * 0.1;
  return Factor < 0.2 ? 0.2 : Factor;
}

void SetLevelSpawns(TGameState& Game, int32_t Level) {
  const int32_t EnemyRow = Level >= 1 && Level < KEnemyRows ? Level : KEnemyRows;
  const int32_t BonusRow = Level >= 1 && Level < KBonusRows ? Level : KBonusRows;
  Game.EnemyKindOn.fill(false);
  Game.BonusSlotOn.fill(false);
  for (size_t K = 0; K < Game.EnemyKindOn.size(); ++K)
    Game.EnemyKindOn[K] = KLevelEnemyKinds[EnemyRow][K];
  for (size_t S = 1; S < Game.BonusSlotOn.size(); ++S)
    Game.BonusSlotOn[S] = KLevelBonusSlots[BonusRow][S];
  Game.EnemyKindCount =
      static_cast<int32_t>(std::count(Game.EnemyKindOn.begin(), Game.EnemyKindOn.end(), true));
  // Slots 9 and 10 (mega bomb and life) do not share the weight.
  Game.BonusSlotCount = static_cast<int32_t>(
      std::count(Game.BonusSlotOn.begin() + 1, Game.BonusSlotOn.begin() + 9, true));
}

int32_t HunterChance(int32_t Level, double SpeedFactor, int32_t EnemyKindCount) {
  if (EnemyKindCount <= 0) return 0;
  return Trunc(KHunterBaseChance / DifficultyFactor(Level) * SpeedFactor) / EnemyKindCount;
}

int32_t MonsterChance(uint8_t Kind, int32_t Level, double SpeedFactor, int32_t EnemyKindCount) {
  if (EnemyKindCount <= 0) return 0;
  const int32_t Base = Kind == mkDog ? KDogChance : KMonsterBaseChance;
  return RoundEven(Base / DifficultyFactor(Level) * SpeedFactor) / EnemyKindCount;
}

double BonusWeight(int32_t Slot, int32_t BonusSlotCount, double SpeedFactor) {
  if (Slot < 1 || Slot > 10 || BonusSlotCount <= 0) return -1.0;
  return (500 / BonusSlotCount) * KBonusChance[Slot] * 0.8 * SpeedFactor;
}

void SpawnHunters(IGameContext& Ctx) {
  TGameState& G = Ctx.Game();
  Grow(G.HunterTimer, Ctx.FrameMs());
  if (G.HunterTimer <= KHunterQuietMs || G.LevelEnding) return;
  for (uint8_t K = hkHunter1; K <= hkHunter3; ++K) {
    if (!G.EnemyKindOn[5 + K]) continue;
    const int32_t R = Ctx.Random().Below(20000);
    const int32_t V = HunterChance(G.Level, Ctx.SpeedFactor(), G.EnemyKindCount);
    if (V > R) AddHunter(Ctx, KSpawnX, KHunterStartY[K], KEnemyZ, K);
  }
}

void SpawnMonsters(IGameContext& Ctx) {
  TGameState& G = Ctx.Game();
  Grow(G.MonsterTimer, Ctx.FrameMs());
  if (G.MonsterTimer <= KMonsterQuietMs || G.MonstersLeft <= 0 || G.LevelEnding) return;
  for (uint8_t K = mkAirplane; K <= mkHelicopter; ++K) {
    if (!G.EnemyKindOn[K]) continue;
    const int32_t R = Ctx.Random().Below(10000);
    const int32_t V = MonsterChance(K, G.Level, Ctx.SpeedFactor(), G.EnemyKindCount);
    if (V > R) AddMonster(Ctx, KSpawnX, KEnemyZ, K);
  }
}

void SpawnBonuses(IGameContext& Ctx) {
  TGameState& G = Ctx.Game();
  Grow(G.BonusTimer, Ctx.FrameMs());
  if (G.BonusTimer <= KBonusQuietMs || G.LevelEnding) return;
  for (int32_t S = 1; S <= 10; ++S) {
    if (!G.BonusSlotOn[S]) continue;
    const int32_t R = Ctx.Random().Below(20000);
    const double W = BonusWeight(S, G.BonusSlotCount, Ctx.SpeedFactor());
    const bool HeroForced = S == KHeroSlot && G.Player != nullptr && G.Player->HeroLost;
    if (W >= R || HeroForced) {
      const int32_t Y = KBonusTopY + Ctx.Random().Below(KBonusYRange);
      AddBonus(Ctx, KSpawnX, Y, KBonusZ, static_cast<uint8_t>(KindOfSlot(S)));
      // Any drop, even one the full table refused, settles a lost assistant.
      if (G.Player != nullptr) G.Player->HeroLost = false;
    }
  }
}
