#include "game/GameFlow.h"

#include <algorithm>

#include "game/Bonus.h"
#include "game/Bullet.h"
#include "game/GroundGun.h"
#include "game/Monster.h"
#include "game/ObjectTables.h"
#include "game/Player.h"
#include "game/ScrollBackground.h"
#include "game/Spawning.h"

namespace {

// The display's sprites: the panel strip on layer 9, its icons on layer 10.
constexpr int32_t KHudFrameZ = 9;
constexpr int32_t KHudIconZ = 10;
constexpr int32_t KLifeIconX = 28;
constexpr int32_t KLifeIconStep = 51;
constexpr int32_t KLifeIconY = 4;
constexpr int32_t KAssistantIconX = 192;
constexpr int32_t KWeaponIconX = 267;
constexpr int32_t KWeaponIconY = 6;

// The duck's default gun: bonus slot 1, held at every level.
constexpr int32_t KDefaultGunSlot = 1;

void KillSprite(TMyImageSprite*& Sprite) {
  if (Sprite != nullptr) Sprite->Kill();
  Sprite = nullptr;
}

}  // namespace

int32_t LevelQuota(int32_t Level) {
  return Level >= 5 ? 50 : 10 * Level;
}

void CreateHills(IGameContext& Ctx, IGameScreen& Screen) {
  if (TScrollBackground* Sky = Screen.Sky()) {
    Sky->ShowImageFrom("SkyTile", 2);
    Sky->SpeedX = KSkyPlaySpeedX;
  }
  CreateHillLayers(Ctx);
}

void FreeHills(IGameContext& Ctx) {
  TGameState& G = Ctx.Game();
  for (int32_t K = 1; K <= 2; ++K) {
    if (G.HillLayers[K] != nullptr) G.HillLayers[K]->Kill();
    G.HillLayers[K] = nullptr;
  }
}

void StartGame(IGameContext& Ctx, IGameScreen& Screen) {
  TGameState& G = Ctx.Game();
  // A fresh state; the spawn timers go on from the last game.
  G.Reset();
  Screen.EnterPlayScreen();
  CreateHills(Ctx, Screen);
  G.Player = new TPlayer(Ctx);  // Lives 3, Score 0
  G.Player->Respawn();
  G.HudFrame = new TMyImageSprite(Ctx, 2, "Panels", 0, 0, KHudFrameZ);
  for (int32_t I = 1; I <= 3; ++I)
    G.HudLifeIcons[I] = new TMyImageSprite(
        Ctx, 2, "PanelLife", KLifeIconX + KLifeIconStep * (I - 1), KLifeIconY, KHudIconZ);
  G.HudAssistantIcon =
      new TMyImageSprite(Ctx, 2, "PanelHero", KAssistantIconX, KLifeIconY, KHudIconZ);
  G.HudWeaponIcon = new TMyImageSprite(Ctx, 2, "Null", KWeaponIconX, KWeaponIconY, KHudIconZ);
  Screen.DrawHud();
  StartLevel(Ctx, 1);
}

void StartLevel(IGameContext& Ctx, int32_t N) {
  TGameState& G = Ctx.Game();
  G.Level = N;
  G.LevelEnding = false;
  SetLevelSpawns(G, N);
  G.MonstersLeft = LevelQuota(N);
  G.Player->ResetHero();
  G.Player->SlotOn[KDefaultGunSlot] = true;
  ReleaseAllBonuses(Ctx);
  ReleaseAllBullets(Ctx);
  ReleaseAllHunters(Ctx);
  ReleaseAllMonsters(Ctx);
  Ctx.OpenLevelBanner();
}

void EndLevel(IGameContext& Ctx) {
  TGameState& G = Ctx.Game();
  G.LevelEnding = true;
  ReleaseAllBonuses(Ctx);
  ReleaseAllBullets(Ctx);
  for (int32_t I = 1; I <= KMonsterSlots; ++I)
    if (G.MonsterUsed[I]) G.Monsters[I]->Die();
  for (int32_t I = 1; I <= KHunterSlots; ++I)
    if (G.HunterUsed[I]) G.Hunters[I]->Die();
}

void GameTick(IGameContext& Ctx, IGameScreen& Screen, int32_t LagCount,
              const TGameControls& Controls) {
  TGameState& G = Ctx.Game();
  // 1. Every sprite moves; the duck steers by the controls of the previous frame.
  Ctx.SpriteEngine().Move(LagCount);
  TPlayer& Player = *G.Player;
  // 2.-3. This frame's controls, for the next move. A dying duck keeps its last ones.
  Player.FireHeld = Controls.Fire;
  if (Player.State != psDying) {
    Player.MoveLeft = Controls.Left;
    Player.MoveRight = Controls.Right;
    Player.MoveUp = Controls.Up;
    Player.MoveDown = Controls.Down;
  }
  // 4. The quota is met (two kills in the last frame may take it below 0): once.
  if (G.MonstersLeft <= 0 && !Player.LevelEnd) {
    EndLevel(Ctx);
    Player.BeginLevelEnd();
  }
  // 5. The end-of-level blinking is over: the next level.
  if (Player.LevelEnd && Player.BlinkCount >= KLevelEndBlinks) {
    Player.Respawn();
    StartLevel(Ctx, G.Level + 1);
  }
  // 6. Newcomers.
  SpawnHunters(Ctx);
  SpawnMonsters(Ctx);
  SpawnBonuses(Ctx);
  // 7.-8. The display, then what has left the play area.
  Screen.DrawHud();
  CullSprites(Ctx);
  // 9. Esc wins over P pressed in the same frame: only one dialog opens.
  if (Controls.EscapePressed) Screen.OpenExitToMenu();
  if (Controls.PausePressed) Screen.OpenPause();
}

void EndGame(IGameContext& Ctx, IGameScreen& Screen) {
  TGameState& G = Ctx.Game();
  Screen.LeavePlayScreen();
  FreeHills(Ctx);
  if (G.Player != nullptr) G.Player->Kill();
  G.Player = nullptr;
  KillSprite(G.HudFrame);
  for (int32_t I = 1; I <= 3; ++I) KillSprite(G.HudLifeIcons[I]);
  KillSprite(G.HudAssistantIcon);
  KillSprite(G.HudWeaponIcon);
  ReleaseAllBullets(Ctx);
  ReleaseAllHunters(Ctx);
  ReleaseAllMonsters(Ctx);
  ReleaseAllBonuses(Ctx);
  Ctx.SpriteEngine().FreeDead();
}
