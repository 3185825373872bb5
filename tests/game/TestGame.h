#pragma once
// A game world on the fake platform for tests: the real image and sound packs of the
// playable folder, an initialized 800 x 600 display, a sprite engine, a fresh game state
// and a generator with a fixed seed. Cues are recorded (and checked against the sound
// pack), banners counted, and the pointer is the fake window's.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/DXDraws.h"
#include "engine/DXImageList.h"
#include "engine/DXSounds.h"
#include "engine/DXSprite.h"
#include "game/GameContext.h"
#include "platform/fake/FakePlatform.h"

class TTestGame final : public IGameContext {
 public:
  explicit TTestGame(uint32_t Seed = 20261210);
  ~TTestGame() override;

  TDXImageList& ImageList1() override { return List1; }
  TDXImageList& ImageList2() override { return List2; }
  TSpriteEngine& SpriteEngine() override { return Sprites.Engine(); }
  void PlayCue(const std::string& Name) override;
  double SpeedFactor() const override { return Speed; }
  int32_t FrameMs() const override { return Ms; }
  TRandom& Random() override { return Rand; }
  TGameState& Game() override { return State; }
  void OpenLevelBanner() override { ++LevelBanners; }
  void OpenGameOverBanner() override { ++GameOverBanners; }
  void GetCursorPos(int32_t& X, int32_t& Y) override { P.FakeWindow.GetCursorPos(X, Y); }
  void SetCursorPos(int32_t X, int32_t Y) override { P.FakeWindow.SetCursorPos(X, Y); }
  void ClientOrigin(int32_t& X, int32_t& Y) override { P.FakeWindow.ClientOrigin(X, Y); }

  // One move of the whole tree by one frame's milliseconds, then the dead are freed.
  void Step(int32_t Frames = 1);
  // The back surface, cleared to black.
  TDirectDrawSurface& ClearSurface();
  int32_t CueCount(const std::string& Name) const;

  TFakePlatform P;
  TDXDraw Draw{P};
  TDXImageList List1;
  TDXImageList List2;
  TDXWaveList Waves;
  // After the image lists: its sprites refer to their items and go first.
  TDXSpriteEngine Sprites;
  TGameState State;
  TRandom Rand;
  double Speed = 1.0;
  int32_t Ms = 11;  // 85 frames per second, the speed the game is tuned for
  std::vector<std::string> Cues;
  int32_t LevelBanners = 0;
  int32_t GameOverBanners = 0;
};

// Whether the playable folder holds the packs the game tests need.
bool GamePacksBuilt();
