#pragma once
// What a game sprite needs from its surroundings. The main window implements it for the
// running program; tests implement it on the fake platform. game/ never includes shell/.

#include <cstdint>
#include <string>

#include "game/GameState.h"
#include "game/Random.h"

class TDXImageList;
class TPictureCollection;
class TSpriteEngine;

class IGameContext {
 public:
  virtual ~IGameContext() = default;

  // The image lists pictures are found in by name: 1 menus and dialogs, 2 play.
  virtual TDXImageList& ImageList1() = 0;
  virtual TDXImageList& ImageList2() = 0;
  // The root of the sprite tree; every game sprite hangs directly below it, and draws on
  // its surface.
  virtual TSpriteEngine& SpriteEngine() = 0;
  // Restarts the named sound effect from its beginning, when sound is on. An unknown name
  // raises "Wave '%s' not found" (with sound on).
  virtual void PlayCue(const std::string& Name) = 0;
  // This frame's calibration: the multiplier of every per-frame distance (1.0 at 85 frames
  // per second) and the frame's length in whole milliseconds (never 0).
  virtual double SpeedFactor() const = 0;
  virtual int32_t FrameMs() const = 0;
  // The program's one generator.
  virtual TRandom& Random() = 0;
  virtual TGameState& Game() = 0;
  // Requests to the shell: the banners that stop the game while they show.
  virtual void OpenLevelBanner() = 0;
  virtual void OpenGameOverBanner() = 0;
  // The system mouse pointer, in screen units of the game's 800 x 600 picture (the
  // platform undoes the full-screen letterbox), and the window's client origin on the
  // screen (0, 0 in full screen).
  virtual void GetCursorPos(int32_t& X, int32_t& Y) = 0;
  virtual void SetCursorPos(int32_t X, int32_t Y) = 0;
  virtual void ClientOrigin(int32_t& X, int32_t& Y) = 0;
};

// The collection that ImageList value List names (1 or 2); nullptr for any other value.
TPictureCollection* PicturesOf(IGameContext& Ctx, uint8_t List);
