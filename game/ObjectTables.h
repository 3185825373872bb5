#pragma once
// The game's four tables of objects: bullets (1..50), hunters (1..5), monsters (1..10) and
// bonuses (1..5). An add takes the first free slot from 1 upwards, and a full table drops
// the request without notice. An object leaves the game only through its table's release,
// which frees the slot and kills the sprite; the engine destroys it at the end of the frame.

#include <cstdint>

#include "game/GameContext.h"

// Bullet kinds and sides.
enum TBulletKind : uint8_t {
  bkGunBullet = 0,
  bkBomb = 1,
  bkMegaBomb = 2,
  bkRocket = 3,
};
enum TBulletSide : uint8_t {
  bsPlayer = 0,
  bsEnemy = 1,
};

// Angle in 256ths of a turn (0 right, positive turning down the screen); Diagonal draws the
// picture 32 units further turned than the flight.
void AddBullet(IGameContext& Ctx, int32_t X, int32_t Y, int32_t Z, int32_t Speed, int32_t Angle,
               uint8_t Kind, uint8_t Side, bool Diagonal);
// These three also restart their class's spawn timer, but only when an object was made.
void AddHunter(IGameContext& Ctx, int32_t X, int32_t Y, int32_t Z, uint8_t Kind);
void AddMonster(IGameContext& Ctx, int32_t X, int32_t Z, uint8_t Kind);
void AddBonus(IGameContext& Ctx, int32_t X, int32_t Y, int32_t Z, uint8_t Kind);

void ReleaseBullet(IGameContext& Ctx, int32_t I);
void ReleaseHunter(IGameContext& Ctx, int32_t I);
void ReleaseMonster(IGameContext& Ctx, int32_t I);
void ReleaseBonus(IGameContext& Ctx, int32_t I);

void ReleaseAllBullets(IGameContext& Ctx);
void ReleaseAllHunters(IGameContext& Ctx);
void ReleaseAllMonsters(IGameContext& Ctx);
void ReleaseAllBonuses(IGameContext& Ctx);

// Every mega bomb of the player still in flight (or exploding) goes.
void ReleasePlayerMegaBombs(IGameContext& Ctx);

// Releases what has left the play area (X beyond 1400, 20 pixels past the left, top or
// bottom edge), what finished its last animation (invisible) and the bonuses taken.
void CullSprites(IGameContext& Ctx);
