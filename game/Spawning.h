#pragma once
// Enemies and bonuses come in on their own: each level allows some enemy kinds and some
// bonus slots, and three checks a frame (hunters, monsters, bonuses) give every allowed
// kind a random chance once its class has been quiet long enough. The chances are scaled
// by the frame's speed factor, so the spawns per second do not depend on the frame rate,
// and shared between the allowed kinds, so more kinds do not make a level busier. Beyond
// level 10 the enemies come more often. Everything enters at X = 900, off the right edge.

#include <array>
#include <cstdint>

#include "game/GameContext.h"

// Where every newcomer enters: just past the right edge of the 800-pixel picture.
constexpr int32_t KSpawnX = 900;
// The quiet time of each class after a spawn, in milliseconds.
constexpr int32_t KHunterQuietMs = 1500;
constexpr int32_t KMonsterQuietMs = 1000;
constexpr int32_t KBonusQuietMs = 1000;

// The drop weight of each bonus slot 1..10 (entry 0 unused); a negative weight never wins.
constexpr std::array<double, 11> KBonusChance = {0.0, -1.0, 0.2, 0.2, 0.05, -1.0,
                                                 0.3, 0.15, 0.1, 0.1, 0.1};

// 1.0 up to level 10; then 0.1 less per level, but never below 0.2 (level 18 on).
double DifficultyFactor(int32_t Level);

// The enemy kinds (0..3 monsters, 5..7 hunters) and bonus slots of a level, and their
// counts. A level outside the tables takes their last row.
void SetLevelSpawns(TGameState& Game, int32_t Level);

// The chance of one allowed kind in one frame, as the checks compute it: a hunter spawns
// when a draw of 0..19999 is below HunterChance, a monster when a draw of 0..9999 is below
// MonsterChance, a bonus when a draw of 0..19999 is at most BonusWeight.
int32_t HunterChance(int32_t Level, double SpeedFactor, int32_t EnemyKindCount);
int32_t MonsterChance(uint8_t Kind, int32_t Level, double SpeedFactor, int32_t EnemyKindCount);
double BonusWeight(int32_t Slot, int32_t BonusSlotCount, double SpeedFactor);

// The three checks, called once a frame by the game tick in this order.
void SpawnHunters(IGameContext& Ctx);
void SpawnMonsters(IGameContext& Ctx);
void SpawnBonuses(IGameContext& Ctx);
