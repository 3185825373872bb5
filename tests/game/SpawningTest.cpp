// The three spawn checks on a real game world: which kinds each level brings, when the
// checks draw their random numbers, the timers, and the assistant's forced drop.

#include <gtest/gtest.h>

#include <map>

#include "TestGame.h"
#include "game/Bonus.h"
#include "game/GroundGun.h"
#include "game/Monster.h"
#include "game/ObjectTables.h"
#include "game/Player.h"
#include "game/Spawning.h"

namespace {

class Spawning : public testing::Test {
 protected:
  void SetUp() override {
    if (!GamePacksBuilt()) GTEST_SKIP() << "the packs are not built";
    G.Player = new TPlayer(Game);
  }

  void AtLevel(int32_t Level) {
    G.Level = Level;
    G.MonstersLeft = 50;
    SetLevelSpawns(G, Level);
  }

  // Runs the three checks for Frames frames and counts what they made by kind; every newcomer
  // is released at once, so no table ever fills.
  void Run(int32_t Frames) {
    for (int32_t F = 0; F < Frames; ++F) {
      SpawnHunters(Game);
      SpawnMonsters(Game);
      SpawnBonuses(Game);
      for (int32_t I = 1; I <= KHunterSlots; ++I)
        if (G.HunterUsed[I]) ++Hunters[G.Hunters[I]->Kind];
      for (int32_t I = 1; I <= KMonsterSlots; ++I)
        if (G.MonsterUsed[I]) ++Monsters[G.Monsters[I]->Kind];
      for (int32_t I = 1; I <= KBonusSlots; ++I)
        if (G.BonusUsed[I]) ++Bonuses[G.Bonuses[I]->Kind];
      ReleaseAllHunters(Game);
      ReleaseAllMonsters(Game);
      ReleaseAllBonuses(Game);
      Game.Sprites.FreeDead();
    }
  }

  TTestGame Game;
  TGameState& G = Game.State;
  std::map<int, int> Hunters, Monsters, Bonuses;
};

TEST_F(Spawning, LevelOneBringsOnlyAirplanesAtAboutTheirRate) {
  AtLevel(1);
  // 60 s at 85 frames per second. After each spawn the class waits 1000 ms (91 frames),
  // then spawns with 1 % a frame (100 frames on average): about one airplane every
  // 191 frames, some 27 in the minute.
  Run(85 * 60);
  EXPECT_EQ(Hunters.size(), 0u);
  ASSERT_EQ(Monsters.size(), 1u);
  EXPECT_NEAR(Monsters[mkAirplane], 5100 / 191, 9);
  // Bonuses only from the level's slots: score, assistant, single gun, life.
  for (const auto& [Kind, Count] : Bonuses)
    EXPECT_TRUE(Kind == bnScore || Kind == bnHero || Kind == bnSingleGun || Kind == bnLife) << Kind;
}

TEST_F(Spawning, LevelTwoHasBirdsButStillNoHunter) {
  AtLevel(2);
  Run(85 * 120);
  EXPECT_EQ(Hunters.size(), 0u);
  EXPECT_GT(Monsters[mkAirplane], 0);
  EXPECT_GT(Monsters[mkBird], 0);
  EXPECT_EQ(Monsters.size(), 2u);
}

TEST_F(Spawning, LevelSevenBringsEveryKind) {
  AtLevel(7);
  Run(85 * 300);
  EXPECT_EQ(Hunters.size(), 3u);
  EXPECT_EQ(Monsters.size(), 4u);
  // The dog's chance is 5 of 10000 against 14 for the others.
  EXPECT_LT(Monsters[mkDog], Monsters[mkBird]);
}

TEST_F(Spawning, EachCheckDrawsOnlyForTheKindsItAllows) {
  AtLevel(3);  // airplane, bird, hunter 2; bonus slots 2, 3, 4, 5, 6, 7, 10
  // Quiet: nothing is drawn, the timers grow.
  G.HunterTimer = 1500 - Game.Ms;
  G.MonsterTimer = G.BonusTimer = 1000 - Game.Ms;
  TRandom Twin = Game.Rand;
  SpawnHunters(Game);
  SpawnMonsters(Game);
  SpawnBonuses(Game);
  EXPECT_EQ(Game.Rand.Below(1 << 30), Twin.Below(1 << 30));
  EXPECT_EQ(G.HunterTimer, 1500);
  // Ready: one draw per allowed kind and slot (as long as nothing spawns).
  Twin = Game.Rand;
  SpawnHunters(Game);
  SpawnMonsters(Game);
  SpawnBonuses(Game);
  ASSERT_FALSE(G.HunterUsed[1] || G.MonsterUsed[1] || G.BonusUsed[1]) << "pick another seed";
  for (int32_t I = 0; I < 1 + 2 + 7; ++I) Twin.Below(I < 1 ? 20000 : I < 3 ? 10000 : 20000);
  EXPECT_EQ(Game.Rand.Below(1 << 30), Twin.Below(1 << 30));
  // The quota met, or the level ending: monsters draw nothing; ending stops all three.
  G.MonstersLeft = 0;
  Twin = Game.Rand;
  SpawnMonsters(Game);
  EXPECT_EQ(Game.Rand.Below(1 << 30), Twin.Below(1 << 30));
  G.LevelEnding = true;
  G.MonstersLeft = 10;
  Twin = Game.Rand;
  SpawnHunters(Game);
  SpawnMonsters(Game);
  SpawnBonuses(Game);
  EXPECT_EQ(Game.Rand.Below(1 << 30), Twin.Below(1 << 30));
}

TEST_F(Spawning, AFullMonsterTableKeepsTheTimerGrowing) {
  AtLevel(1);
  for (int32_t I = 0; I < KMonsterSlots; ++I) AddMonster(Game, 900, 6, mkAirplane);
  G.MonsterTimer = 5000;
  Game.Speed = 200.0;  // v = 20000: every draw wins
  SpawnMonsters(Game);
  EXPECT_EQ(G.MonsterTimer, 5000 + Game.Ms);
  ReleaseMonster(Game, 4);
  SpawnMonsters(Game);
  EXPECT_TRUE(G.MonsterUsed[4]);
  EXPECT_EQ(G.MonsterTimer, 0);
}

// A seed whose first draw below 20000 is at most Most, and whose third is above Least:
// at level 1 the score bonus (slot 2, weight 20) drops, then the position draw, then the
// assistant's own draw (weight 5) would not win.
uint32_t SeedWhereScoreDropsFirst() {
  for (uint32_t Seed = 1;; ++Seed) {
    TRandom R(Seed);
    const int32_t Slot2 = R.Below(20000);
    R.Below(370);
    const int32_t Slot4 = R.Below(20000);
    if (Slot2 <= 20 && Slot4 > 5) return Seed;
  }
}

TEST_F(Spawning, ALostAssistantForcesItsBonusAtTheNextCheck) {
  AtLevel(1);
  G.Player->HeroLost = true;
  // A seed on which no slot before the assistant's drops on its own.
  for (uint32_t Seed = 1;; ++Seed) {
    TRandom R(Seed);
    if (R.Below(20000) > 20) {
      Game.Rand.SetSeed(Seed);
      break;
    }
  }
  G.BonusTimer = 900;  // not yet: nothing is forced before the check runs
  SpawnBonuses(Game);
  EXPECT_TRUE(G.Player->HeroLost);
  EXPECT_FALSE(G.BonusUsed[1]);
  G.BonusTimer = 1001;
  SpawnBonuses(Game);
  ASSERT_TRUE(G.BonusUsed[1]);
  EXPECT_EQ(G.Bonuses[1]->Kind, bnHero);
  EXPECT_EQ(G.Bonuses[1]->X, 900);
  EXPECT_GE(G.Bonuses[1]->Y, 100);
  EXPECT_LT(G.Bonuses[1]->Y, 470);
  EXPECT_FALSE(G.Player->HeroLost);
}

TEST_F(Spawning, AnEarlierDropInTheSameFrameSkipsTheForcedOne) {
  AtLevel(1);
  G.Player->HeroLost = true;
  Game.Rand.SetSeed(SeedWhereScoreDropsFirst());
  G.BonusTimer = 1001;
  SpawnBonuses(Game);
  ASSERT_TRUE(G.BonusUsed[1]);
  EXPECT_EQ(G.Bonuses[1]->Kind, bnScore);
  EXPECT_FALSE(G.BonusUsed[2]) << "the assistant's bonus was forced anyway";
  EXPECT_FALSE(G.Player->HeroLost);
}

TEST_F(Spawning, AFullBonusTableStillSettlesTheLostAssistant) {
  AtLevel(1);
  for (int32_t I = 0; I < KBonusSlots; ++I) AddBonus(Game, 900, 200, 9, bnLife);
  G.Player->HeroLost = true;
  G.BonusTimer = 1001;
  SpawnBonuses(Game);
  EXPECT_FALSE(G.Player->HeroLost);
  EXPECT_EQ(G.BonusTimer, 1001 + Game.Ms);
}

}  // namespace
