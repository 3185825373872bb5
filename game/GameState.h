#pragma once
// The state of a running game: score, lives, level, the player, the four object tables and
// the spawn state. Owned by the main window (or a test); two games can exist side by side.

#include <array>
#include <cstdint>

class TPlayer;
class TBullet;
class TMonster;
class TGroundGun;
class TBonus;
class TScrollBackground;
class TMyImageSprite;

// Table sizes; every table is numbered from 1, entry 0 is never used.
constexpr int32_t KBulletSlots = 50;
constexpr int32_t KHunterSlots = 5;
constexpr int32_t KMonsterSlots = 10;
constexpr int32_t KBonusSlots = 5;

struct TGameState {
  int32_t Score = 0;
  int32_t Lives = 0;  // at most 3
  int32_t Level = 0;
  TPlayer* Player = nullptr;
  std::array<TScrollBackground*, 3> HillLayers{};  // 1 front (the ground), 2 back

  // The in-game display's sprites.
  TMyImageSprite* HudFrame = nullptr;
  std::array<TMyImageSprite*, 4> HudLifeIcons{};  // 1..3
  TMyImageSprite* HudAssistantIcon = nullptr;
  TMyImageSprite* HudWeaponIcon = nullptr;

  // A slot is live exactly while its used flag is set; the reference of a free slot is
  // stale (its sprite may already be freed) and is never read.
  std::array<TBullet*, KBulletSlots + 1> Bullets{};
  std::array<bool, KBulletSlots + 1> BulletUsed{};
  std::array<TGroundGun*, KHunterSlots + 1> Hunters{};
  std::array<bool, KHunterSlots + 1> HunterUsed{};
  std::array<TMonster*, KMonsterSlots + 1> Monsters{};
  std::array<bool, KMonsterSlots + 1> MonsterUsed{};
  std::array<TBonus*, KBonusSlots + 1> Bonuses{};
  std::array<bool, KBonusSlots + 1> BonusUsed{};

  bool LevelEnding = false;  // the quota is met; no spawning until the next level
  int32_t MonstersLeft = 0;  // kills still needed; may go below 0

  // Spawning: kinds and bonus slots of the current level.
  std::array<bool, 8> EnemyKindOn{};  // 0..3 monster kinds, 4 unused, 5..7 hunter kinds
  int32_t EnemyKindCount = 0;
  std::array<bool, 11> BonusSlotOn{};  // 1..10
  int32_t BonusSlotCount = 0;          // over slots 1..8
  // Milliseconds since the last spawn of each class; kept across levels and games.
  int32_t HunterTimer = 0;
  int32_t MonsterTimer = 0;
  int32_t BonusTimer = 0;

  // Screen position of the system pointer after the player's previous move; kept across
  // games, so a new game's first move measures against where the last one left it.
  int32_t LastCursorX = 0;
  int32_t LastCursorY = 0;

  // A fresh game's state: everything back to its start value except what outlives a game
  // (the spawn timers and the pointer memory). The sprites are not touched: the game's
  // tear-down kills them through the tables first.
  void Reset() {
    TGameState Fresh;
    Fresh.HunterTimer = HunterTimer;
    Fresh.MonsterTimer = MonsterTimer;
    Fresh.BonusTimer = BonusTimer;
    Fresh.LastCursorX = LastCursorX;
    Fresh.LastCursorY = LastCursorY;
    *this = Fresh;
  }
};
