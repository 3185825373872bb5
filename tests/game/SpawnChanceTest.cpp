// The level tables and the per-frame chances of the spawn checks, computed exactly as the
// checks compute them: trunc for hunters, round with ties to even for monsters, whole-number
// division by the count of allowed kinds, and the floating-point weight of a bonus slot.

#include <gtest/gtest.h>

#include <vector>

#include "game/GameState.h"
#include "game/Monster.h"
#include "game/Spawning.h"

namespace {

std::vector<int> On(const auto& Flags, size_t From) {
  std::vector<int> Result;
  for (size_t I = From; I < Flags.size(); ++I)
    if (Flags[I]) Result.push_back(static_cast<int>(I));
  return Result;
}

struct TLevelRow {
  int32_t Level;
  std::vector<int> Enemies;  // 0..3 monsters, 5..7 hunters
  std::vector<int> Slots;    // bonus slots 1..10
  int32_t EnemyCount;
  int32_t SlotCount;
};

TEST(LevelSpawns, EachLevelAllowsItsKindsAndSlots) {
  const std::vector<TLevelRow> Rows = {
      {1, {0}, {2, 4, 5, 6, 10}, 1, 4},
      {2, {0, 1}, {2, 4, 5, 6, 7, 10}, 2, 5},
      {3, {0, 1, 6}, {2, 3, 4, 5, 6, 7, 10}, 3, 6},
      {4, {0, 1, 2, 6}, {2, 3, 4, 5, 6, 7, 8, 10}, 4, 7},
      {5, {0, 1, 2, 6, 7}, {2, 3, 4, 5, 6, 7, 8, 9, 10}, 5, 7},
      {6, {0, 1, 2, 3, 6, 7}, {2, 3, 4, 5, 6, 7, 8, 9, 10}, 6, 7},
      {7, {0, 1, 2, 3, 5, 6, 7}, {2, 3, 4, 5, 6, 7, 8, 9, 10}, 7, 7},
      {30, {0, 1, 2, 3, 5, 6, 7}, {2, 3, 4, 5, 6, 7, 8, 9, 10}, 7, 7},
      // Outside the tables: their last rows.
      {0, {0, 1, 2, 3, 5, 6, 7}, {2, 3, 4, 5, 6, 7, 8, 9, 10}, 7, 7},
  };
  for (const TLevelRow& Row : Rows) {
    SCOPED_TRACE(Row.Level);
    TGameState G;
    // What the previous level allowed must not linger.
    G.EnemyKindOn.fill(true);
    G.BonusSlotOn.fill(true);
    SetLevelSpawns(G, Row.Level);
    EXPECT_EQ(On(G.EnemyKindOn, 0), Row.Enemies);
    EXPECT_EQ(On(G.BonusSlotOn, 1), Row.Slots);
    EXPECT_EQ(G.EnemyKindCount, Row.EnemyCount);
    EXPECT_EQ(G.BonusSlotCount, Row.SlotCount);
  }
}

TEST(DifficultyFactor, FallsByATenthPerLevelAfterTenDownToAFifth) {
  EXPECT_EQ(DifficultyFactor(1), 1.0);
  EXPECT_EQ(DifficultyFactor(10), 1.0);
  EXPECT_DOUBLE_EQ(DifficultyFactor(11), 0.9);
  EXPECT_DOUBLE_EQ(DifficultyFactor(17), 0.3);
  // 1.0 - 8 x 0.1 lies a hair below 0.2 in floating point: the floor takes over.
  EXPECT_EQ(DifficultyFactor(18), 0.2);
  EXPECT_EQ(DifficultyFactor(30), 0.2);
  EXPECT_EQ(DifficultyFactor(1000), 0.2);
}

struct TChanceRow {
  int32_t Level;
  double Speed;
  int32_t Airplane, Dog, Hunter;
};

TEST(SpawnChances, MatchTheWorkedValuesAndRoundEachItsOwnWay) {
  const std::vector<TChanceRow> Rows = {
      // 85 frames per second.
      {1, 1.0, 100, 40, 140},
      {2, 1.0, 50, 20, 70},
      {3, 1.0, 33, 13, 46},
      {7, 1.0, 14, 5, 20},
      {10, 1.0, 14, 5, 20},
      // 100 / 0.9 = 111.1, 40 / 0.9 = 44.4, 140 / 0.9 = 155.5 (trunc: 155).
      {11, 1.0, 15, 6, 22},
      // 500 / 7, 200 / 7 and 700 / 7.
      {18, 1.0, 71, 28, 100},
      {30, 1.0, 71, 28, 100},
      // 60 Hz: 141.67 rounds up to 142, 56.67 to 57; the hunters' 198.3 truncates.
      {1, 85.0 / 60, 142, 57, 198},
      // Exact halves: 12.5 rounds to 12 and 2.5 to 2 (ties to even); 17.5 truncates.
      {1, 0.125, 12, 5, 17},
      {1, 0.0625, 6, 2, 8},
      // 37.5 rounds to 38; 52.5 truncates to 52.
      {1, 0.375, 38, 15, 52},
  };
  for (const TChanceRow& Row : Rows) {
    SCOPED_TRACE(testing::Message() << "level " << Row.Level << " speed " << Row.Speed);
    TGameState G;
    SetLevelSpawns(G, Row.Level);
    const int32_t N = G.EnemyKindCount;
    EXPECT_EQ(MonsterChance(mkAirplane, Row.Level, Row.Speed, N), Row.Airplane);
    EXPECT_EQ(MonsterChance(mkBird, Row.Level, Row.Speed, N), Row.Airplane);
    EXPECT_EQ(MonsterChance(mkHelicopter, Row.Level, Row.Speed, N), Row.Airplane);
    EXPECT_EQ(MonsterChance(mkDog, Row.Level, Row.Speed, N), Row.Dog);
    EXPECT_EQ(HunterChance(Row.Level, Row.Speed, N), Row.Hunter);
  }
}

TEST(SpawnChances, LevelEighteenAndThirtyAreEqualAtEveryFrameRate) {
  for (const double Speed : {85.0 / 60, 1.0, 85.0 / 144}) {
    for (uint8_t K = mkAirplane; K <= mkHelicopter; ++K)
      EXPECT_EQ(MonsterChance(K, 18, Speed, 7), MonsterChance(K, 30, Speed, 7));
    EXPECT_EQ(HunterChance(18, Speed, 7), HunterChance(30, Speed, 7));
  }
  // Level 17 is still slower.
  EXPECT_LT(MonsterChance(mkAirplane, 17, 1.0, 7), MonsterChance(mkAirplane, 18, 1.0, 7));
}

TEST(BonusWeights, ShareFiveHundredBetweenTheCountedSlots) {
  // Level 1: 500 div 4 = 125; x weight x 0.8.
  EXPECT_NEAR(BonusWeight(2, 4, 1.0), 20.0, 1e-9);
  EXPECT_NEAR(BonusWeight(4, 4, 1.0), 5.0, 1e-9);
  EXPECT_NEAR(BonusWeight(6, 4, 1.0), 30.0, 1e-9);
  EXPECT_NEAR(BonusWeight(10, 4, 1.0), 10.0, 1e-9);
  // Level 4 on: 500 div 7 = 71 (whole-number division first).
  EXPECT_NEAR(BonusWeight(6, 7, 1.0), 71 * 0.3 * 0.8, 1e-9);
  EXPECT_NEAR(BonusWeight(9, 7, 85.0 / 60), 71 * 0.1 * 0.8 * (85.0 / 60), 1e-9);
  // Slots 1 and 5 never drop: their weight lies below every draw.
  EXPECT_LT(BonusWeight(1, 4, 1.0), 0.0);
  EXPECT_LT(BonusWeight(5, 7, 2.0), 0.0);
}

}  // namespace
