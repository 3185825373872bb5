#pragma once
// A horizontal strip of copies of one picture that drifts at a fixed speed and jumps back by
// one picture width once it has drifted a full width to the left: the sky, and during play
// the two hill layers. The front hills' speed is the ground's: hunters, bonuses and rocket
// explosions add it to their X every frame to keep their place on the ground.

#include <cstdint>
#include <string>

#include "engine/DXSprite.h"
#include "game/GameContext.h"

class TScrollBackground final : public TBackgroundSprite {
 public:
  // Below the engine root of Ctx: a map of Columns x Rows cells of the named picture of
  // list ImageList, at (0, 0), Z 2, standing still.
  TScrollBackground(IGameContext& Ctx, uint8_t ImageList, const std::string& Name, int32_t Columns,
                    int32_t Rows);

  void DrawSelf() override;
  void MoveSelf(int32_t Ticks) override;

  // Binds the named picture of the list ImageList chooses; Width and Height become one
  // cell's. Position and speed stay. An unknown name raises "Image '%s' not found".
  void ShowImage(const std::string& Name);
  void ShowImageFrom(const std::string& Name, uint8_t List);
  // Queues the strip for destruction at the end of the frame, once however often called.
  void Kill();

  uint8_t ImageList = 0;
  int32_t SpeedX = 0;  // pixels per reference frame; negative drifts left
  int32_t SpeedY = 0;  // always 0 in this game
  bool Killed = false;

 private:
  IGameContext& Ctx;
};

// The hill layers of a game: 1 the front hills (the ground), 2 the back hills.
struct THillRow {
  const char* Name;
  int32_t Columns;
  int32_t X, Y, Z;
  int32_t SpeedX;
};
constexpr THillRow KHillRows[3] = {
    {"", 0, 0, 0, 0, 0},
    {"Hills1", 2, 0, 494, 11, -4},
    {"Hills2", 2, 0, 444, 4, -3},
};
// Makes both hill layers of KHillRows and keeps them in the game state's HillLayers.
void CreateHillLayers(IGameContext& Ctx);

// The sky: one strip for the whole run, still behind the menus, drifting during play.
constexpr int32_t KSkyColumns = 4;
constexpr int32_t KSkyZ = 2;
constexpr int32_t KSkyPlaySpeedX = -1;

// The ground's speed: the front hill layer's SpeedX, 0 while no game has hills.
int32_t GroundSpeedX(IGameContext& Ctx);
