// The play scene: a busy frame of a real game on the real packs, in the main window. A game
// is started as the menu starts it, then its tables are kept full (50 bullets of every kind
// and side, 10 monsters, 5 hunters, 5 bonuses) under the sky and both hill layers, with the
// duck firing, explosions and falls on the way, the in-game display and the "Exit to menu?"
// question open over it. A frame is the sprites' move with every collision test and the
// cull, the black fill and the draw of the tree, the question's and the display's texts,
// and the picture presented. It runs twice: on the fake platform (its presenter keeps a
// copy of the picture) and on SDL with the dummy video driver (the window's own presenter
// and SDL_ttf text), each next to a plain copy of the 800 x 600 surface timed in the same
// run. Sound and music are off: the figures are the picture's.
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "game/Bonus.h"
#include "game/Bullet.h"
#include "game/GroundGun.h"
#include "game/Monster.h"
#include "game/ObjectTables.h"
#include "game/Player.h"
#include "platform/fake/FakePlatform.h"
#include "platform/sdl/SdlPlatform.h"
#include "shell/MainForm.h"
#include "tools/bench/Bench.h"

namespace {

constexpr int32_t KFrameMs = 11;  // 85 frames a second, the speed the game is tuned for

class TPlayScene {
 public:
  TPlayScene(TPlatform& Platform, const std::string& GameDir) : Form(Platform) {
    Form.DataRoot = GameDir;
    std::string Error;
    if (!Form.FormCreate(Error)) {
      std::printf("  the game cannot start here: %s\n", Error.c_str());
      return;
    }
    Ok = true;
    Form.StopMusic();
    Form.Options.MusicOn = false;
    Form.Options.SoundOn = false;
    // Frames as fast as they go: no waiting for the monitor's beat.
    Form.MDXDraw.SetOptions(Form.MDXDraw.RequestedOptions() & ~doWaitVBlank);
    // The main menu's Play, then the level banner closed.
    Form.PressButton(1);
    Form.CloseDialog();
    Form.Rand.SetSeed(2026);
    // Play calibration whatever the timer measured.
    Form.Shell.SpeedFactor = 1.0;
    Form.Shell.FrameMs = KFrameMs;
    TGameState& G = Form.GameState;
    G.Score = 123450;
    G.Level = 7;
    G.Player->X = 200;
    G.Player->Y = 260;
    G.Player->TakeSlot(bnMultiGun);
    G.Player->FireHeld = true;
    Form.OpenDialog(dkExitToMenu);
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

  // Microseconds of each part of the last frame.
  struct TParts {
    double Move = 0, Draw = 0, Text = 0, Present = 0;
  };

  // One frame of play under the question: move (with every sprite's collision search) and
  // cull; clear and draw the tree; the question's and the display's texts; free the dead;
  // present.
  TParts Frame() {
    using TClock = std::chrono::steady_clock;
    const auto T0 = TClock::now();
    Form.MDXSpriteEngine.Move(KFrameMs);
    CullSprites(Form);
    const auto T1 = TClock::now();
    Form.MDXDraw.Surface()->Fill(0);
    Form.MDXSpriteEngine.Draw();
    const auto T2 = TClock::now();
    Form.DialogFrame(KFrameMs);
    Form.MDXSpriteEngine.FreeDead();
    Form.MDXDraw.Canvas().Release();
    const auto T3 = TClock::now();
    Form.MDXDraw.Flip();
    const auto T4 = TClock::now();
    auto Us = [](TClock::time_point A, TClock::time_point B) {
      return std::chrono::duration<double, std::micro>(B - A).count();
    };
    return {Us(T0, T1), Us(T1, T2), Us(T2, T3), Us(T3, T4)};
  }

  TMForm Form;
  bool Ok = false;
};

double Median(std::vector<double>& V) {
  if (V.empty()) return 0;
  std::nth_element(V.begin(), V.begin() + static_cast<long>(V.size() / 2), V.end());
  return V[V.size() / 2];
}

// Runs the scene's frames and prints the whole frame's median, its parts' medians and the
// plain copy of the surface, timed frame by frame in turn with the scene.
void MeasureScene(TPlayScene& Scene, const char* Title, int32_t Frames) {
  // Let the scene settle into its mix of flights, explosions and falls first.
  for (int32_t I = 0; I < 200; ++I) {
    Scene.Frame();
    Scene.Refill();
  }
  TDirectDrawSurface& Back = *Scene.Form.MDXDraw.Surface();
  TDirectDrawSurface Copy(Back.Width(), Back.Height());
  std::vector<double> Whole, Move, Draw, Text, Present, Floor;
  int64_t LiveSum = 0;
  for (int32_t I = 0; I < std::max(Frames, 1); ++I) {
    Scene.Refill();
    LiveSum += Scene.Live();
    const auto T0 = std::chrono::steady_clock::now();
    const TPlayScene::TParts P = Scene.Frame();
    const auto T1 = std::chrono::steady_clock::now();
    std::memcpy(Copy.Pixels(), Back.Pixels(),
                static_cast<size_t>(Back.Width()) * Back.Height() * 4);
    const auto T2 = std::chrono::steady_clock::now();
    Whole.push_back(std::chrono::duration<double, std::micro>(T1 - T0).count());
    Floor.push_back(std::chrono::duration<double, std::micro>(T2 - T1).count());
    Move.push_back(P.Move);
    Draw.push_back(P.Draw);
    Text.push_back(P.Text);
    Present.push_back(P.Present);
  }
  const double Frame = Median(Whole), Copied = Median(Floor);
  std::printf("  %s (%.1f of 70 objects live at the start of a frame, %d sprites in the tree)\n",
              Title, static_cast<double>(LiveSum) / std::max(Frames, 1),
              Scene.Form.MDXSpriteEngine.Engine().SpriteCount());
  PrintFigure("move, collide and cull", Median(Move));
  PrintFigure("fill and draw the sprite tree", Median(Draw));
  PrintFigure("question and display texts", Median(Text));
  PrintFigure("present", Median(Present));
  PrintFigure("whole frame", Frame);
  PrintFigure("plain copy of the 800x600 surface (floor)", Copied);
  PrintRatio("whole frame / plain copy", Copied > 0 ? Frame / Copied : 0);
  PrintRatio("whole frame / 600 us", Frame / 600.0, "< 1");
}

void RunPlayScene(const TBenchOptions& Options) {
  {
    TFakePlatform Platform;
    TPlayScene Scene(Platform, TB_BENCH_GAME_DIR "/");
    if (Scene.Ok) MeasureScene(Scene, "fake platform", Options.Frames);
  }
  // SDL reads the game's font aliases from the playable folder, as the game does when it
  // runs there; the driver and the folder are put back afterwards.
  const char* Driver = std::getenv("SDL_VIDEODRIVER");
  const std::string Saved = Driver ? Driver : "";
  char Here[4096];
  const bool Back = getcwd(Here, sizeof Here) != nullptr;
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  if (chdir(TB_BENCH_GAME_DIR) == 0) {
    auto Platform = std::make_unique<TSdlPlatform>();
    {
      TPlayScene Scene(*Platform, "");
      if (Scene.Ok) MeasureScene(Scene, "SDL, dummy video driver", Options.Frames);
    }
    Platform.reset();
  }
  if (Back && chdir(Here) != 0) std::perror("back to the working directory");
  if (Driver)
    setenv("SDL_VIDEODRIVER", Saved.c_str(), 1);
  else
    unsetenv("SDL_VIDEODRIVER");
}

}  // namespace

void AddPlaySceneSections(std::vector<TBenchSection>& Sections) {
  Sections.push_back({"play", RunPlayScene});
}
