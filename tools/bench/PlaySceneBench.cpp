// The play scene: one frame of a full game on the real packs, in the main window on the
// fake platform. The tables are kept full (50 bullets of every kind and side, 10 monsters,
// 5 hunters, 5 bonuses) under the sky and both hill layers, with the duck firing; a frame is
// the sprites' move with every collision test, the cull, the black fill and the draw.
#include <cstring>
#include <string>

#include "game/Bonus.h"
#include "game/Bullet.h"
#include "game/GroundGun.h"
#include "game/Monster.h"
#include "game/ObjectTables.h"
#include "game/Player.h"
#include "game/ScrollBackground.h"
#include "platform/fake/FakePlatform.h"
#include "shell/MainForm.h"
#include "tools/bench/Bench.h"

namespace {

constexpr int32_t KFrameMs = 11;  // 85 frames a second, the speed the game is tuned for

class TPlayScene {
 public:
  explicit TPlayScene(const std::string& GameDir) {
    Form.DataRoot = GameDir;
    std::string Error;
    if (!Form.FormCreate(Error)) {
      std::fprintf(stderr, "play scene: %s\n", Error.c_str());
      return;
    }
    Ok = true;
    Form.Rand.SetSeed(2026);
    // Play calibration whatever the fake timer measured.
    Form.Shell.SpeedFactor = 1.0;
    Form.Shell.FrameMs = KFrameMs;
    TGameState& G = Form.GameState;
    Form.Shell.SkyBackground->ShowImageFrom("SkyTile", 2);
    Form.Shell.SkyBackground->SpeedX = KSkyPlaySpeedX;
    CreateHillLayers(Form);
    G.Player = new TPlayer(Form);
    G.Player->Respawn();
    G.Player->X = 200;
    G.Player->Y = 260;
    G.Player->TakeSlot(bnMultiGun);
    G.Player->FireHeld = true;
    Refill();
  }

  // Every table full again, the duck still blinking (it cannot be hurt, so the scene never
  // stops for a death), and the sprites of the last frame freed.
  void Refill() {
    TGameState& G = Form.GameState;
    TRandom& R = Form.Rand;
    TPlayer& P = *G.Player;
    P.State = psRespawning;
    P.BlinkCount = 0;
    P.Visible = true;
    P.SlotTime[7] = 5000;
    for (int32_t I = 1; I <= KMonsterSlots; ++I) {
      if (G.MonsterUsed[static_cast<size_t>(I)]) continue;
      const int32_t Kind = R.Below(4);
      AddMonster(Form, 900, 6, static_cast<uint8_t>(Kind));
      const int32_t X = R.Below(700);
      if (G.MonsterUsed[static_cast<size_t>(I)]) G.Monsters[static_cast<size_t>(I)]->X = 80 + X;
    }
    for (int32_t I = 1; I <= KHunterSlots; ++I) {
      if (G.HunterUsed[static_cast<size_t>(I)]) continue;
      const int32_t Kind = R.Below(3);
      AddHunter(Form, 900, KHunterStartY[Kind], 6, static_cast<uint8_t>(Kind));
      const int32_t X = R.Below(650);
      if (G.HunterUsed[static_cast<size_t>(I)]) G.Hunters[static_cast<size_t>(I)]->X = 20 + X;
    }
    for (int32_t I = 1; I <= KBonusSlots; ++I) {
      if (G.BonusUsed[static_cast<size_t>(I)]) continue;
      const int32_t Kind = R.Below(10);
      const int32_t X = R.Below(700);
      const int32_t Y = R.Below(370);
      AddBonus(Form, 100 + X, 100 + Y, 9, static_cast<uint8_t>(Kind));
    }
    // Bullets as the game makes them: mostly the duck's and its assistant's gun bullets and
    // rockets, then the hunters' turned shots, the dogs' bombs, the helicopters' rockets
    // and now and then a mega bomb.
    for (int32_t I = 1; I <= KBulletSlots; ++I) {
      if (G.BulletUsed[static_cast<size_t>(I)]) continue;
      const int32_t Roll = R.Below(100);
      const int32_t X = R.Below(700);
      const int32_t Y = R.Below(440);
      const int32_t Spread = R.Below(3);
      const int32_t BX = 60 + X, BY = 60 + Y;
      if (Roll < 55) {
        AddBullet(Form, BX, BY, 11, 10, 0, bkGunBullet, bsPlayer, false);
      } else if (Roll < 67) {
        AddBullet(Form, BX, BY, Spread == 1 ? 11 : 9, 2, (Spread - 1) * 10, bkRocket, bsPlayer,
                  false);
      } else if (Roll < 69) {
        AddBullet(Form, BX, BY, 11, 6, 0, bkMegaBomb, bsPlayer, false);
      } else if (Roll < 85) {
        AddBullet(Form, BX, 250 + Y / 2, 6, Spread == 0 ? 10 : 7, Spread == 0 ? -90 : -92,
                  bkGunBullet, bsEnemy, true);
      } else if (Roll < 90) {
        AddBullet(Form, BX, 250 + Y / 2, 6, 8, -102, bkRocket, bsEnemy, true);
      } else if (Roll < 95) {
        AddBullet(Form, BX, BY, 9, 0, 0, bkBomb, bsEnemy, false);
      } else {
        AddBullet(Form, BX, BY, 9, 8, -128, bkRocket, bsEnemy, false);
      }
    }
  }

  int32_t Live() const {
    const TGameState& G = Form.GameState;
    int32_t N = 0;
    for (const bool U : G.BulletUsed) N += U ? 1 : 0;
    for (const bool U : G.MonsterUsed) N += U ? 1 : 0;
    for (const bool U : G.HunterUsed) N += U ? 1 : 0;
    for (const bool U : G.BonusUsed) N += U ? 1 : 0;
    return N;
  }

  // One frame of play: move (with every sprite's collision search), cull, clear, draw, free.
  void Frame() {
    Form.MDXSpriteEngine.Move(KFrameMs);
    CullSprites(Form);
    TDirectDrawSurface& Back = *Form.MDXDraw.Surface();
    Back.Fill(0);
    Form.MDXSpriteEngine.Draw();
    Form.MDXSpriteEngine.FreeDead();
  }

  TFakePlatform Platform;
  TMForm Form{Platform};
  bool Ok = false;
};

void RunPlayScene(const TBenchOptions& Options) {
  TPlayScene Scene(TB_BENCH_GAME_DIR "/");
  if (!Scene.Ok) return;
  // Let the scene settle into its mix of flights, explosions and falls first.
  for (int32_t I = 0; I < 200; ++I) {
    Scene.Frame();
    Scene.Refill();
  }
  int32_t LiveSum = 0, Frames = 0;
  const double Frame = MedianMicros(
      Options.Frames,
      [&](int32_t) {
        Scene.Refill();
        LiveSum += Scene.Live();
        ++Frames;
      },
      [&](int32_t) { Scene.Frame(); });

  TDirectDrawSurface& Back = *Scene.Form.MDXDraw.Surface();
  TDirectDrawSurface Copy(Back.Width(), Back.Height());
  const double Floor = MedianMicros(Options.Frames, [&](int32_t) {
    std::memcpy(Copy.Pixels(), Back.Pixels(),
                static_cast<size_t>(Back.Width()) * Back.Height() * 4);
  });

  std::printf(
      "  the real packs: sky, 2 hill layers, the duck firing, and full tables (%.1f of 70 "
      "objects live at the start of a frame)\n",
      Frames > 0 ? static_cast<double>(LiveSum) / Frames : 0.0);
  std::printf(
      "play scene %10.1f us a frame (move, collide, cull, draw)   plain copy floor %.1f us"
      "   %.1f x the floor   (target < 1000 us)\n",
      Frame, Floor, Floor > 0 ? Frame / Floor : 0.0);
}

}  // namespace

void AddPlaySceneSections(std::vector<TBenchSection>& Sections) {
  Sections.push_back({"play", RunPlayScene});
}
