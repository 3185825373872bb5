#pragma once
// A test game with a duck in it.

#include "TestGame.h"
#include "game/Bullet.h"
#include "game/ObjectTables.h"
#include "game/Player.h"

struct TDuckGame {
  TTestGame G;
  TPlayer& P;
  explicit TDuckGame(uint32_t Seed = 20261210) : G(Seed), P(*new TPlayer(G)) {
    G.State.Player = &P;
    P.Respawn();
  }
  // Skips the blinking entry.
  TDuckGame& Alive() {
    P.BecomeAlive();
    return *this;
  }
  void Step(int32_t Frames = 1) { G.Step(Frames); }
  int32_t LiveBullets() const {
    int32_t N = 0;
    for (int32_t I = 1; I <= KBulletSlots; ++I) N += G.State.BulletUsed[static_cast<size_t>(I)];
    return N;
  }
  TBullet& Bullet(int32_t I) { return *G.State.Bullets[static_cast<size_t>(I)]; }
};
