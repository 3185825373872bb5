// A scripted player for recording test games: the real program (the SDL platform, its clock,
// window and fonts) with a player that reads the game's state each frame and answers with
// keys, the way a person at the keyboard would: through the key table and the window's key
// and character events. What the frame sees, bot keys included, is recorded as by
// `tallowbrackles --record`.
//
//   tb_replay_bot GOAL OUT_FILE
//     GOAL short     one short game, left through Esc and Yes
//     GOAL level3    a game played until level 3 has begun and gone on for ten seconds
//     GOAL gameover  a game played, taking every bonus in reach, until the duck has held every
//                    weapon (or seven minutes have gone by); then the duck flies into the
//                    monsters until the game is over
// It runs in the working directory (the playable folder or a copy with its own Data/Save),
// and needs a display: run it under xvfb-run.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <set>
#include <string>

#include "game/Bonus.h"
#include "game/Bullet.h"
#include "game/Monster.h"
#include "game/Player.h"
#include "platform/sdl/SdlPlatform.h"
#include "shell/MainForm.h"
#include "shell/Replay.h"

namespace {

constexpr int32_t KVkReturn = 13, KVkEscape = 27, KVkSpace = 32;
constexpr int32_t KVkLeft = 37, KVkUp = 38, KVkRight = 39, KVkDown = 40;

// The real window with the bot's key and character events put before the real ones.
class TBotWindow final : public IWindowSystem {
 public:
  explicit TBotWindow(IWindowSystem& Real) : R(Real) {}
  bool CreateMainWindow(const std::string& T, int32_t W, int32_t H, std::string& E) override {
    return R.CreateMainWindow(T, W, H, E);
  }
  void SetBordered(bool B) override { R.SetBordered(B); }
  bool SetFullScreen(bool On) override { return R.SetFullScreen(On); }
  void CentreWindow() override { R.CentreWindow(); }
  TWindowPlacement GetPlacement() override { return R.GetPlacement(); }
  void SetPlacement(const TWindowPlacement& P) override { R.SetPlacement(P); }
  void Minimise() override { R.Minimise(); }
  bool IsForeground() override { return R.IsForeground(); }
  int32_t ShowCursor(bool S) override { return R.ShowCursor(S); }
  void UseHandPointer() override { R.UseHandPointer(); }
  void ClientOrigin(int32_t& X, int32_t& Y) override { R.ClientOrigin(X, Y); }
  void GetCursorPos(int32_t& X, int32_t& Y) override { R.GetCursorPos(X, Y); }
  void SetCursorPos(int32_t X, int32_t Y) override { R.SetCursorPos(X, Y); }
  int32_t RefreshRate() override { return R.RefreshRate(); }
  int32_t PacedRate() override { return R.PacedRate(); }
  std::vector<TDisplayMode> DisplayModes() override { return R.DisplayModes(); }
  bool Present(const uint32_t* P, int32_t W, int32_t H, int32_t Pitch, bool V) override {
    return R.Present(P, W, H, Pitch, V);
  }
  bool PollEvent(TPlatformEvent& Event) override {
    if (!Queue.empty()) {
      Event = Queue.front();
      Queue.pop_front();
      return true;
    }
    return R.PollEvent(Event);
  }
  void ShowMessage(const std::string& T, const std::string& X) override { R.ShowMessage(T, X); }

  void Key(TEventKind Kind, int32_t Vk) {
    TPlatformEvent E;
    E.Kind = Kind;
    E.Key = Vk;
    Queue.push_back(E);
  }
  void Char(uint8_t Ch) {
    TPlatformEvent E;
    E.Kind = TEventKind::Char;
    E.Char = Ch;
    Queue.push_back(E);
  }
  std::deque<TPlatformEvent> Queue;

 private:
  IWindowSystem& R;
};

class TBotKeyboard final : public IKeyboard {
 public:
  explicit TBotKeyboard(IKeyboard& Real) : R(Real) {}
  void ReadKeyTable(uint8_t Table[256]) override {
    R.ReadKeyTable(Table);
    for (int32_t Vk : Held) Table[Vk & 0xFF] |= 0x80;
  }
  std::set<int32_t> Held;

 private:
  IKeyboard& R;
};

class TBotPlatform final : public TPlatform {
 public:
  explicit TBotPlatform(TPlatform& Real)
      : R(Real), BotWindow(Real.Window()), BotKeyboard(Real.Keyboard()) {}
  IWindowSystem& Window() override { return BotWindow; }
  IClock& Clock() override { return R.Clock(); }
  IKeyboard& Keyboard() override { return BotKeyboard; }
  IJoystick& Joystick() override { return R.Joystick(); }
  IAudioDevice& Audio() override { return R.Audio(); }
  IMusicPlayer& Music() override { return R.Music(); }
  IShell& Shell() override { return R.Shell(); }
  IHttpClient& Http() override { return R.Http(); }
  IFontSystem& Fonts() override { return R.Fonts(); }

  TPlatform& R;
  TBotWindow BotWindow;
  TBotKeyboard BotKeyboard;
};

enum class TGoal { Short, Level3, GameOver };

class TBot {
 public:
  TBot(TBotPlatform& P, TGoal Goal) : FP(P), FGoal(Goal) {}

  // Decides the keys for the coming frame.
  void Think(const TMForm& F) {
    ++FFrame;
    FP.BotKeyboard.Held.clear();
    const TShellState& S = F.Shell;
    if (FTap > 0) {  // a key held for a few frames, so the once-a-frame key table sees it
      --FTap;
      FP.BotKeyboard.Held.insert(FTapKey);
      return;
    }
    if (FWait > 0) {
      --FWait;
      return;
    }
    switch (S.DialogKind) {
      case dkEnterName:
        for (uint8_t C : std::string("BOT")) FP.BotWindow.Char(C);
        FP.BotWindow.Char(KVkReturn);
        FWait = 60;
        return;
      case dkSendScore:
        Tap('N');
        return;
      case dkExitGame:
      case dkExitToMenu:
        Tap('Y');
        return;
      case dkPause:
        Tap('P');
        return;
      case dkNone:
        break;
      default:
        return;  // banners go by themselves
    }
    switch (S.ScreenKind) {
      case skMainMenu:
        if (FGamesPlayed == 0) {
          // A moment on the menu, then the highlighted first button: a new game.
          FP.BotWindow.Key(TEventKind::KeyDown, KVkReturn);
          FP.BotWindow.Char(KVkReturn);
          FP.BotWindow.Key(TEventKind::KeyUp, KVkReturn);
          FWait = 60;
          FGamesPlayed = 1;
          FGameFrames = 0;
          FFiring = false;
        } else {
          Tap(KVkEscape);  // the exit question
        }
        return;
      case skHighScores:
        Tap(KVkEscape);
        return;
      case skGame:
        Play(F);
        return;
      default:
        return;
    }
  }

  bool Done() const { return FDone; }

 private:
  void Tap(int32_t Vk) {
    FTapKey = Vk;
    FTap = 4;
    FWait = 30;
  }

  void Play(const TMForm& F) {
    const TGameState& G = F.GameState;
    if (G.Player == nullptr) return;
    ++FGameFrames;
    if (!FFiring &&
        !(FGoal == TGoal::GameOver && (FWeaponsSeen.size() == 6 || FGameFrames > 7 * 60 * 60))) {
      FP.BotWindow.Key(TEventKind::KeyDown, KVkSpace);
      FFiring = true;
    }
    if (G.Level >= 3 && FLevel3Frame < 0) FLevel3Frame = FGameFrames;
    const bool Enough =
        (FGoal == TGoal::Short && FGameFrames > 15 * 60) ||
        (FGoal == TGoal::Level3 && FLevel3Frame >= 0 && FGameFrames - FLevel3Frame > 10 * 60);
    if (Enough) {
      FP.BotWindow.Key(TEventKind::KeyUp, KVkSpace);
      Tap(KVkEscape);  // "Exit to menu?"
      return;
    }
    const TPlayer& P = *G.Player;
    if (FWasAlive && P.State != psAlive && std::getenv("TB_BOT_TRACE") != nullptr) {
      std::fprintf(stderr, "hit (state %d) at level %d: duck (%.0f, %.0f)",
                   static_cast<int32_t>(P.State), G.Level, P.X, P.Y);
      for (int32_t I = 1; I <= KMonsterSlots; ++I)
        if (G.MonsterUsed[I])
          std::fprintf(stderr, " m%d(%.0f, %.0f %dx%d)", G.Monsters[I]->Kind, G.Monsters[I]->X,
                       G.Monsters[I]->Y, G.Monsters[I]->Width, G.Monsters[I]->Height);
      for (int32_t I = 1; I <= KBulletSlots; ++I)
        if (G.BulletUsed[I] && G.Bullets[I]->Side != bsPlayer)
          std::fprintf(stderr, " b(%.0f, %.0f)", G.Bullets[I]->X, G.Bullets[I]->Y);
      std::fprintf(stderr, "\n");
    }
    FWasAlive = P.State == psAlive;
    for (int32_t Slot : {1, 3, 6, 7, 8})
      if (P.SlotOn[static_cast<size_t>(Slot)]) FWeaponsSeen.insert(Slot);
    // The mega bomb leaves in the frame it is taken: it shows by its bullet.
    for (int32_t I = 1; I <= KBulletSlots; ++I)
      if (G.BulletUsed[I] && G.Bullets[I]->Kind == bkMegaBomb && G.Bullets[I]->Side == bsPlayer)
        FWeaponsSeen.insert(9);
    const double DuckX = P.X + P.Width / 2.0, DuckY = P.Y + P.Height / 2.0;
    // A bonus in reach first (one with a weapon not held yet before any other), then the
    // nearest monster still flying ahead.
    double TargetX = 100, TargetY = 250, Best = 1e9;
    for (int32_t I = 1; I <= KBonusSlots; ++I) {
      if (!G.BonusUsed[I] || G.Bonuses[I]->Taken) continue;
      const TBonus& B = *G.Bonuses[I];
      const double Bx = B.X + B.Width / 2.0, By = B.Y + B.Height / 2.0;
      double D = std::hypot(Bx - DuckX, By - DuckY);
      if (FWeaponsSeen.count(B.Slot) == 0) D -= 1000;
      if (By < 420 && Bx < 420 && D < Best) {
        Best = D;
        TargetX = std::max(60.0, Bx - 40);
        TargetY = By;
      }
    }
    if (Best > 5e8) {
      double NearestX = 1e9;
      for (int32_t I = 1; I <= KMonsterSlots; ++I) {
        const TMonster* M = G.Monsters[I];
        if (!G.MonsterUsed[I] || M->Dying || M->X < P.X || M->X > NearestX) continue;
        NearestX = M->X;
        TargetY = M->Y + M->Height / 2.0;
      }
    }
    // Out of the way of a monster about to fly into the duck, and of an enemy shot coming
    // close; never down among the hunters.
    for (int32_t I = 1; I <= KMonsterSlots; ++I) {
      const TMonster* M = G.Monsters[I];
      if (!G.MonsterUsed[I] || M->Dying) continue;
      const double Mx = M->X + M->Width / 2.0, My = M->Y + M->Height / 2.0;
      const double Reach = M->Kind == mkBird ? 140 : 100;
      if (Mx < DuckX - 150 || Mx > DuckX + 300 || std::abs(My - DuckY) > Reach) continue;
      TargetY = My > DuckY ? My - 190 : My + 190;
      if (TargetY < 40) TargetY = My + 190;
      if (TargetY > 400) TargetY = My - 190;
      break;
    }
    // Out of the way of an enemy shot whose line passes near the duck ahead of the shot.
    for (int32_t I = 1; I <= KBulletSlots; ++I) {
      if (!G.BulletUsed[I] || G.Bullets[I]->Side == bsPlayer) continue;
      const TBullet& B = *G.Bullets[I];
      const double Bx = B.X + B.Width / 2.0, By = B.Y + B.Height / 2.0;
      const double Turn = B.Angle * 2 * 3.14159265358979 / 256;
      const double Dx = std::cos(Turn), Dy = std::sin(Turn);
      const double Along = (DuckX - Bx) * Dx + (DuckY - By) * Dy;
      const double Across = (DuckY - By) * Dx - (DuckX - Bx) * Dy;
      if (Along < -40 || Along > 520 || std::abs(Across) > 90) continue;
      // Sideways off the line, the way that is nearer; up or down the screen.
      const double Side = (Across >= 0 ? 1 : -1) * (std::abs(Dx) > 0.3 ? (Dx > 0 ? 1 : -1) : 1);
      TargetY = DuckY + Side * 160;
      if (TargetY < 40 || TargetY > 400) TargetY = DuckY - Side * 160;
      if (std::abs(Dx) < 0.5) TargetX = DuckX + (Across >= 0 ? -1 : 1) * 160 * (Dy > 0 ? 1 : -1);
      break;
    }
    TargetX = std::clamp(TargetX, 40.0, 320.0);
    TargetY = std::clamp(TargetY, 40.0, 300.0);
    const bool AllWeapons = FWeaponsSeen.size() == 6;
    // A game that must end but goes on too long: the duck stops firing and flies into the
    // nearest monster.
    if (FGoal == TGoal::GameOver && (AllWeapons || FGameFrames > 7 * 60 * 60)) {
      if (FFiring) FP.BotWindow.Key(TEventKind::KeyUp, KVkSpace);
      FFiring = false;
      double Nearest = 1e9;
      for (int32_t I = 1; I <= KMonsterSlots; ++I) {
        const TMonster* M = G.Monsters[I];
        if (!G.MonsterUsed[I] || M->Dying) continue;
        const double Mx = M->X + M->Width / 2.0, My = M->Y + M->Height / 2.0;
        const double D = std::hypot(Mx - DuckX, My - DuckY);
        if (D < Nearest) {
          Nearest = D;
          TargetX = Mx;
          TargetY = My;
        }
      }
    }
    std::set<int32_t>& Keys = FP.BotKeyboard.Held;
    if (DuckY > TargetY + 6) Keys.insert(KVkUp);
    if (DuckY < TargetY - 6) Keys.insert(KVkDown);
    if (DuckX > TargetX + 10) Keys.insert(KVkLeft);
    if (DuckX < TargetX - 10) Keys.insert(KVkRight);
  }

  TBotPlatform& FP;
  TGoal FGoal;
  int64_t FFrame = 0, FGameFrames = 0, FLevel3Frame = -1;
  int32_t FTap = 0, FTapKey = 0, FWait = 0, FGamesPlayed = 0;
  bool FFiring = false, FDone = false;
  std::set<int32_t> FWeaponsSeen;
  bool FWasAlive = false;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: tb_replay_bot short|level3|gameover OUT_FILE\n");
    return 2;
  }
  const std::string Goal = argv[1];
  const TGoal G = Goal == "short"    ? TGoal::Short
                  : Goal == "level3" ? TGoal::Level3
                                     : TGoal::GameOver;
  TSdlPlatform Sdl;
  TBotPlatform BotPlatform(Sdl);
  TGameRecorder Recorder(BotPlatform);
  TBot Bot(BotPlatform, G);
  TMForm Form(Recorder.Platform());
  Recorder.KeepStartFiles(Form);
  std::string Error;
  if (!Form.FormCreate(Error)) {
    std::fprintf(stderr, "tb_replay_bot: %s\n", Error.c_str());
    return 1;
  }
  Recorder.Started(Form);
  int32_t BestLevel = 0, Score = 0;
  while (!Form.Terminated()) {
    Bot.Think(Form);
    Form.RunFrame();
    Recorder.FrameDone(Form);
    BestLevel = std::max(BestLevel, Form.GameState.Level);
    Score = std::max(Score, Form.GameState.Score);
  }
  Recorder.Save(argv[2]);
  std::printf("%s: %zu frames, best level %d, score %d\n", argv[2], Recorder.Replay().FrameCount(),
              BestLevel, Score);
  return 0;
}
