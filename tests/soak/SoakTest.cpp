// An hour of the whole program played at random: the real main window on the fake platform,
// driven by a random player from a fixed seed through the menus, the options, help and the
// high scores, and through games with their pauses, questions, banners, game overs, name
// entries and uploads, and new games after them. The player leans towards keeping the games
// going: it fires most of the time, flies about, and heads back to play from every screen.
//
// After every frame: the sprite tree holds only sprites that the shell or the game keeps (so
// nothing piles up unseen), no table keeps a sprite that was freed or killed, the sound device
// holds a bounded number of buffers and the music player at most one song, and neither is
// handed a buffer or song that was already released. Resident memory is sampled throughout
// and may not grow after the first minute of game time by more than KRssToleranceKb.
//
// The first minute looks round every screen (options, high scores, all help pages) and plays;
// resident memory is sampled every 5 s of game time, its highest level in that minute is
// the mark for the rest of the run.
//
// TB_SOAK_MINUTES=N plays N minutes of game time instead of 60; TB_SOAK_SEED=N another seed.

#include <gtest/gtest.h>
#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <typeinfo>
#include <vector>

#include "game/Bonus.h"
#include "game/Bullet.h"
#include "game/GroundGun.h"
#include "game/Monster.h"
#include "game/MyImageSprite.h"
#include "game/Player.h"
#include "game/ScrollBackground.h"
#include "platform/fake/FakePlatform.h"
#include "shell/MainForm.h"
#include "shell/MenuButton.h"
#include "tests/shell/VirtualKeys.h"

namespace {

constexpr int64_t KDefaultMinutes = 60;
constexpr uint32_t KDefaultSeed = 1414;
// Frames on a 60 Hz monitor, the commonest: 16 or 17 ms each, 1000 ms in 60 frames. The
// game scales its movement to the rate (it is tuned for 85 Hz), so an hour plays the same
// with fewer frames to run.
constexpr int32_t KRefreshRate = 60;
// Resident memory after the first minute may rise this much above its highest level then.
// Pictures keep run tables for drawing, made when first drawn and dropped when the display
// is switched: enemies first met at level 2 or 3 and backdrops drawn again after a switch
// bring up to about 2.5 MB in an hour. A leak of one small allocation per frame (32 bytes,
// 6.9 MB in the hour's 216000 frames) would go past it.
constexpr int64_t KRssToleranceKb = 4 * 1024;
constexpr int64_t KRssSampleMs = 5 * 1000;
constexpr int64_t KSettleMs = 60 * 1000;

int64_t EnvNumber(const char* Name, int64_t Default) {
  const char* Value = std::getenv(Name);
  if (Value == nullptr || *Value == '\0') return Default;
  return std::max<int64_t>(1, std::atoll(Value));
}

// Kilobytes of resident memory (VmRSS of /proc/self/status), 0 when it cannot be read. The
// allocator hands its free pages back first, so the figure is what the program holds.
int64_t ResidentKb() {
  malloc_trim(0);
  std::ifstream Status("/proc/self/status");
  std::string Line;
  while (std::getline(Status, Line))
    if (Line.rfind("VmRSS:", 0) == 0) return std::atoll(Line.c_str() + 6);
  return 0;
}

// A sound device whose sounds end when their length has passed on the fake clock, as a
// sound card's would; it counts its live buffers and every call about a buffer it does not
// hold (one released before, or never made).
class TSoakAudio final : public IAudioDevice {
 public:
  explicit TSoakAudio(TFakeClock& Clock) : FClock(Clock) {}
  bool Open() override { return FOpen = true; }
  void Close() override { FOpen = false; }
  bool IsOpen() override { return FOpen; }
  TSoundBufferId CreateBuffer(const TWaveFormat& Format, TSampleData Samples) override {
    TBuffer B;
    if (Samples && Format.AvgBytesPerSec > 0)
      B.LengthMs = static_cast<uint32_t>(Samples->size() * 1000 / Format.AvgBytesPerSec);
    B.Samples = std::move(Samples);
    FBuffers[FNext] = B;
    return FNext++;
  }
  TSoundBufferId DuplicateBuffer(TSoundBufferId Source) override {
    TBuffer* S = Find(Source);
    if (S == nullptr) return 0;
    TBuffer B;
    B.LengthMs = S->LengthMs;
    B.Samples = S->Samples;
    FBuffers[FNext] = B;
    return FNext++;
  }
  void ReleaseBuffer(TSoundBufferId Buffer) override {
    if (FBuffers.erase(Buffer) == 0) ++Faults;
  }
  void Play(TSoundBufferId Buffer, bool Looped) override {
    if (TBuffer* B = Find(Buffer)) {
      B->Playing = true;
      B->Looped = Looped;
      B->Started = FClock.Now();
    }
  }
  void Stop(TSoundBufferId Buffer) override {
    if (TBuffer* B = Find(Buffer)) B->Playing = false;
  }
  void SetPosition(TSoundBufferId Buffer, uint32_t) override { Find(Buffer); }
  uint32_t GetPosition(TSoundBufferId Buffer) override {
    Find(Buffer);
    return 0;
  }
  bool IsPlaying(TSoundBufferId Buffer) override {
    const TBuffer* B = Find(Buffer);
    return B != nullptr && B->Playing && (B->Looped || FClock.Now() - B->Started < B->LengthMs);
  }
  void SetFrequency(TSoundBufferId Buffer, uint32_t) override { Find(Buffer); }
  void SetPan(TSoundBufferId Buffer, int32_t) override { Find(Buffer); }
  void SetVolume(TSoundBufferId Buffer, int32_t) override { Find(Buffer); }

  size_t Live() const { return FBuffers.size(); }
  int32_t Faults = 0;

 private:
  struct TBuffer {
    TSampleData Samples;
    uint32_t LengthMs = 0;
    uint32_t Started = 0;
    bool Playing = false;
    bool Looped = false;
  };
  TBuffer* Find(TSoundBufferId Id) {
    auto It = FBuffers.find(Id);
    if (It == FBuffers.end()) {
      ++Faults;
      return nullptr;
    }
    return &It->second;
  }
  TFakeClock& FClock;
  bool FOpen = false;
  std::map<TSoundBufferId, TBuffer> FBuffers;
  TSoundBufferId FNext = 1;
};

// A module player that keeps the songs loaded and not yet freed.
class TSoakMusic final : public IMusicPlayer {
 public:
  uint32_t SongLoadFromFile(const std::string&) override {
    Open.insert(++FNext);
    MaxOpen = std::max(MaxOpen, Open.size());
    return FNext;
  }
  void SongPlay(uint32_t Handle) override {
    if (Open.count(Handle) == 0) ++Faults;
  }
  void SongFree(uint32_t Handle) override {
    if (Open.erase(Handle) == 0) ++Faults;
  }
  std::set<uint32_t> Open;
  size_t MaxOpen = 0;
  int32_t Faults = 0;

 private:
  uint32_t FNext = 0;
};

// The whole program and the random player at its keyboard and mouse.
class TSoak {
 public:
  explicit TSoak(uint32_t Seed) : FRng(Seed) {
    auto AudioDevice = std::make_unique<TSoakAudio>(P.FakeClock);
    Audio = AudioDevice.get();
    P.SetAudio(std::move(AudioDevice));
    auto MusicPlayer = std::make_unique<TSoakMusic>();
    Music = MusicPlayer.get();
    P.SetMusic(std::move(MusicPlayer));
    P.FakeWindow.Refresh = KRefreshRate;
    // Nothing here looks at the pictures: the frames draw them, the copy is skipped.
    P.FakeWindow.KeepPictures = false;
    Form = std::make_unique<TMForm>(P);
    Form->DataRoot = std::string(TB_BINARY_DIR) + "/game/";
    const std::filesystem::path Saves =
        std::filesystem::path(TB_BINARY_DIR) / "tests" / "soak-saves";
    std::filesystem::remove_all(Saves);
    std::filesystem::create_directories(Saves);
    Form->SaveRoot = Saves.string() + "/";
    std::string Error;
    Started = Form->FormCreate(Error);
    EXPECT_TRUE(Started) << Error;
    Form->Rand.SetSeed(Seed);
    // A beginner's table, so that random play earns places in it now and then; clearing it
    // brings back the default one, which is much harder to enter.
    for (int32_t I = 1; I <= 10; ++I)
      Form->HighScores[static_cast<size_t>(I)] = {"BEGINNER", 330 - 30 * I};
  }

  TShellState& S() { return Form->Shell; }
  TGameState& G() { return Form->GameState; }
  int64_t GameMs() const { return FGameMs; }
  int64_t Frames() const { return FFrame; }

  // The player's inputs for the next frame, then the frame.
  void Step() {
    Act();
    // An upload runs on its own thread; the frame after it has ended comes only when it
    // has, so that the run is the same whatever the machine's speed.
    if (S().DialogKind == dkSending && S().SendStarted) {
      for (int32_t I = 0; I < 10000 && !Form->WorldScoreUpload.Done(); ++I)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const int64_t Ms = (FFrame + 1) * 1000 / KRefreshRate - FFrame * 1000 / KRefreshRate;
    P.FakeClock.Advance(static_cast<uint32_t>(Ms));
    FGameMs += Ms;
    ++FFrame;
    P.FakeFonts.Drawn.clear();
    Form->RunFrame();
    ForgetPlatformRecords();
    Count();
  }

  // What the fake platform records of every call is the test's, not the game's, memory.
  void ForgetPlatformRecords() {
    P.FakeWindow.Warps.clear();
    P.FakeWindow.CursorCalls.clear();
    P.FakeWindow.Messages.clear();
    P.FakeShell.Opened.clear();
    if (Form->WorldScoreUpload.Done()) {
      P.FakeHttp.Requests.clear();
      P.FakeHttp.Sent.clear();
    }
  }

  // ---- Checks ---------------------------------------------------------------------------

  // Every sprite of the tree is one the shell or the game keeps; every live table slot holds
  // a sprite of the tree that is not killed; the sound and music devices hold few things
  // and were never handed a released one.
  void Check() {
    TSpriteEngine& E = Form->SpriteEngine();
    FTree.assign(E.Children().begin(), E.Children().end());
    std::sort(FTree.begin(), FTree.end());
    MaxSprites = std::max(MaxSprites, E.SpriteCount());
    if (E.SpriteCount() != E.Count()) Fault("sprites below other sprites");

    FKnown.clear();
    auto Keep = [this](const TSprite* Sprite) {
      if (Sprite != nullptr) FKnown.push_back(Sprite);
    };
    for (const TMenuButton* B : S().Buttons) Keep(B);
    Keep(S().DialogWindow);
    Keep(S().TextCursor);
    Keep(S().ScreenCaption);
    Keep(S().ScreenPanel);
    Keep(S().SkyBackground);
    for (const TMyImageSprite* H : Form->HelpPictures) Keep(H);
    Keep(G().Player);
    for (const TScrollBackground* H : G().HillLayers) Keep(H);
    Keep(G().HudFrame);
    for (const TMyImageSprite* L : G().HudLifeIcons) Keep(L);
    Keep(G().HudAssistantIcon);
    Keep(G().HudWeaponIcon);
    CheckTable(G().Bullets, G().BulletUsed, "bullet");
    CheckTable(G().Hunters, G().HunterUsed, "hunter");
    CheckTable(G().Monsters, G().MonsterUsed, "monster");
    CheckTable(G().Bonuses, G().BonusUsed, "bonus");
    std::sort(FKnown.begin(), FKnown.end());
    for (const TSprite* Sprite : FTree)
      if (!std::binary_search(FKnown.begin(), FKnown.end(), Sprite))
        Fault(std::string("a ") + typeid(*Sprite).name() + " in the tree that nothing keeps");

    const size_t Waves = static_cast<size_t>(Form->MDXWaveList.Items().Count());
    MaxBuffers = std::max(MaxBuffers, Audio->Live());
    // Each sound's own buffer and one copy: a cue stops its copies before it plays again.
    if (Audio->Live() > 2 * Waves) Fault("sound buffers pile up: " + std::to_string(Audio->Live()));
    if (Audio->Faults != FAudioFaults) {
      FAudioFaults = Audio->Faults;
      Fault("a sound buffer used after its release");
    }
    if (Music->Open.size() > 1) Fault("songs pile up: " + std::to_string(Music->Open.size()));
    if (Music->Faults != FMusicFaults) {
      FMusicFaults = Music->Faults;
      Fault("a song played or freed after it was freed");
    }
  }

  template <class T, size_t N>
  void CheckTable(const std::array<T*, N>& Table, const std::array<bool, N>& Used,
                  const char* Name) {
    for (size_t I = 1; I < N; ++I) {
      if (!Used[I]) continue;
      const T* Sprite = Table[I];
      FKnown.push_back(Sprite);
      if (!std::binary_search(FTree.begin(), FTree.end(), static_cast<const TSprite*>(Sprite)))
        Fault(std::string(Name) + " slot " + std::to_string(I) + " holds a freed sprite");
      else if (Sprite->Killed)
        Fault(std::string(Name) + " slot " + std::to_string(I) + " holds a killed sprite");
    }
  }

  void Fault(const std::string& What) {
    if (++Faults <= 10)
      ADD_FAILURE() << What << " at frame " << FFrame << " (" << FGameMs / 1000.0
                    << " s of game time, screen " << int{S().ScreenKind} << ", dialog "
                    << int{S().DialogKind} << ")";
  }

  // ---- What happened --------------------------------------------------------------------

  void Count() {
    const uint8_t Screen = S().ScreenKind, Dialog = S().DialogKind;
    if (Screen != FLastScreen) {
      ++ScreensShown[Screen];
      FLastScreen = Screen;
      FScreenSince = FGameMs;
    }
    if (Dialog != FLastDialog) {
      ++DialogsOpened[Dialog];
      FLastDialog = Dialog;
    }
    if (Screen == skGame) BestLevel = std::max(BestLevel, G().Level);
  }

  // ---- The random player ----------------------------------------------------------------

  bool Chance(double P) { return std::uniform_real_distribution<double>(0, 1)(FRng) < P; }
  int32_t Between(int32_t Lo, int32_t Hi) {
    return std::uniform_int_distribution<int32_t>(Lo, Hi)(FRng);
  }

  struct THeld {
    int32_t Vk;
    int64_t ReleaseAt;
  };

  bool Held(int32_t Vk) const {
    return std::any_of(FHeld.begin(), FHeld.end(), [Vk](const THeld& H) { return H.Vk == Vk; });
  }
  // A key goes down for Frames frames: the polled state and the key event, and the typed
  // character a real keyboard sends with it (0 for none).
  void Press(int32_t Vk, int32_t Frames, uint32_t Shift = 0, uint8_t Char = 0) {
    if (Held(Vk)) return;
    P.FakeKeyboard.SetKey(Vk, true);
    P.FakeWindow.PushKey(TEventKind::KeyDown, Vk, Shift);
    if (Char != 0) TypeChar(Char);
    FHeld.push_back({Vk, FFrame + std::max(Frames, 1)});
  }
  void Tap(int32_t Vk) { Press(Vk, Between(1, 3)); }
  void Enter() { Press(VkReturn, Between(1, 3), 0, 13); }
  void TypeChar(uint8_t Ch) {
    TPlatformEvent E;
    E.Kind = TEventKind::Char;
    E.Char = Ch;
    P.FakeWindow.PushEvent(E);
  }
  void ReleaseDue() {
    for (auto It = FHeld.begin(); It != FHeld.end();) {
      if (It->ReleaseAt > FFrame) {
        ++It;
        continue;
      }
      P.FakeKeyboard.SetKey(It->Vk, false);
      P.FakeWindow.PushKey(TEventKind::KeyUp, It->Vk);
      It = FHeld.erase(It);
    }
    if (FMouseHeld && FMouseReleaseAt <= FFrame) {
      FMouseHeld = false;
      Push(TEventKind::MouseUp);
      Push(TEventKind::Click);
    }
    if (FInactiveUntil != 0 && FInactiveUntil <= FFrame) {
      FInactiveUntil = 0;
      P.FakeWindow.Foreground = true;
      Push(TEventKind::Activated);
    }
  }

  void Push(TEventKind Kind) {
    TPlatformEvent E;
    E.Kind = Kind;
    P.FakeWindow.PushEvent(E);
  }
  void MouseTo(int32_t X, int32_t Y) {
    FMouseX = std::clamp(X, 0, 799);
    FMouseY = std::clamp(Y, 0, 599);
    TPlatformEvent E;
    E.Kind = TEventKind::MouseMove;
    E.X = FMouseX;
    E.Y = FMouseY;
    P.FakeWindow.PushEvent(E);
    // The system pointer, which the duck follows in play.
    P.FakeWindow.CursorX = P.FakeWindow.OriginX + FMouseX;
    P.FakeWindow.CursorY = P.FakeWindow.OriginY + FMouseY;
  }
  void MouseOnButton(int32_t I) {
    const TMenuButton* B = S().Buttons[static_cast<size_t>(I)];
    if (B != nullptr)
      MouseTo(static_cast<int32_t>(B->X) + B->Width / 2,
              static_cast<int32_t>(B->Y) + B->Height / 2);
  }
  void Click() {
    Push(TEventKind::MouseDown);
    Push(TEventKind::MouseUp);
    Push(TEventKind::Click);
  }
  // The mouse goes onto button I now and clicks in a later frame (the hover needs a frame).
  void ClickButtonSoon(int32_t I) {
    MouseOnButton(I);
    FClickAt = FFrame + Between(1, 4);
  }

  void Act() {
    ReleaseDue();
    if (FClickAt != 0 && FClickAt <= FFrame) {
      FClickAt = 0;
      Click();
    }
    if (FInactiveUntil != 0) return;  // the window is in the background
    switch (S().DialogKind) {
      case dkNone:
        break;
      case dkLevel:
      case dkGameOver:
        PlayHands(false);
        return;
      case dkPause:
        if (Chance(0.02)) Tap(Chance(0.5) ? 'P' : VkEscape);
        return;
      case dkExitToMenu:
        if (Chance(0.05)) AnswerQuestion(Chance(0.6));
        return;
      case dkExitGame:
        // Never Yes: the program would end, and with it the run.
        if (Chance(0.05)) {
          if (Chance(0.6))
            Tap('N');
          else
            ClickButtonSoon(12);
        }
        return;
      case dkClearScores:
        if (Chance(0.05)) AnswerQuestion(Chance(0.1));
        return;
      case dkEnterName:
        EnterName();
        return;
      case dkSendScore:
        if (Chance(0.05)) AnswerQuestion(Chance(0.5));
        return;
      default:  // sending: the frames go on until the upload has ended
        return;
    }
    // Away from play too long: back towards the menu and play.
    const bool Stuck = S().ScreenKind != skGame && FGameMs - FScreenSince > 30000;
    switch (S().ScreenKind) {
      case skGame:
        PlayHands(true);
        break;
      case skMainMenu:
        MainMenu();
        break;
      case skOptions:
      case skHighScores:
      case skHelp:
        if (Touring()) {
          Tour();
          break;
        }
        if (Stuck && Chance(0.05)) Tap(VkEscape);
        if (S().ScreenKind == skOptions)
          OptionsScreen();
        else
          OtherScreen();
        break;
      default:
        break;
    }
  }

  // The look round of the first minute: every help page, then back; a while on the other
  // screens, then back.
  bool Touring() const { return FGameMs < KSettleMs && FTourStep <= 3; }
  void Tour() {
    if (!Chance(0.03)) return;
    if (S().ScreenKind == skHelp && FHelpPagesSeen < 6) {
      ClickButtonSoon(3);  // Next
      ++FHelpPagesSeen;
      return;
    }
    Tap(VkEscape);
  }

  // Yes or No to the open question, by key, by click, or by moving the choice and Enter.
  void AnswerQuestion(bool Yes) {
    const double How = std::uniform_real_distribution<double>(0, 1)(FRng);
    if (How < 0.5) {
      Tap(Yes ? 'Y' : 'N');
    } else if (How < 0.8) {
      ClickButtonSoon(Yes ? 11 : 12);
    } else if (S().HoveredButton == (Yes ? 11 : 12)) {
      Enter();
    } else {
      Tap(Yes ? VkLeft : VkRight);
    }
  }

  // Fire held most of the time (Space, Ctrl or a mouse button), the arrows now and then,
  // the mouse nudged, and rarely the keys that stop a game: pause, Esc, the boss key,
  // Alt+Enter, a close request, the window losing the focus.
  void PlayHands(bool Free) {
    const bool Firing = Held(VkSpace) || Held(VkControl) || FMouseHeld;
    if (!Firing && Chance(0.2)) {
      const int32_t How = Between(0, 9);
      const int32_t Frames = Between(30, 600);
      if (How < 5) {
        Press(VkSpace, Frames, 0, ' ');
      } else if (How < 8) {
        Press(VkControl, Frames, ssCtrl);
      } else {
        FMouseHeld = true;
        FMouseReleaseAt = FFrame + Frames;
        Push(TEventKind::MouseDown);
      }
    }
    // Mostly up or down towards the nearest monster still flying ahead, as a player lines up
    // a shot; sometimes anywhere.
    if (!Held(VkUp) && !Held(VkDown)) {
      const int32_t Aim = AimAtMonster();
      if (Aim != 0 && Chance(0.9))
        Press(Aim, Between(1, 4));
      else if (Chance(0.02))
        Press(Chance(0.5) ? VkUp : VkDown, Between(5, 40));
    }
    for (const int32_t Arrow : {VkLeft, VkRight})
      if (Chance(0.005)) Press(Arrow, Between(5, 40));
    if (Chance(0.002)) MouseTo(FMouseX + Between(-40, 40), FMouseY + Between(-40, 40));
    if (!Free) return;
    if (Chance(0.0003)) Tap('P');
    if (Chance(0.0002)) Tap(VkEscape);
    if (Chance(0.00005) && Form->Options.BossKey != 0)
      Press(Form->Options.BossKey, 2, Form->Options.BossShift);
    if (Chance(0.00005)) Press(VkReturn, 2, ssAlt);
    if (Chance(0.00002)) Push(TEventKind::CloseRequest);
    if (Chance(0.00003)) {
      P.FakeWindow.Foreground = false;
      Push(TEventKind::Deactivated);
      FInactiveUntil = FFrame + Between(10, 300);
    }
  }

  // The arrow that brings the duck level with the nearest monster ahead of it, 0 for none.
  int32_t AimAtMonster() {
    const TPlayer* Duck = G().Player;
    if (Duck == nullptr) return 0;
    double TargetY = -1, NearestX = 1e9;
    for (int32_t I = 1; I <= KMonsterSlots; ++I) {
      const TMonster* M = G().Monsters[static_cast<size_t>(I)];
      if (!G().MonsterUsed[static_cast<size_t>(I)] || M->Dying || M->X < Duck->X || M->X > NearestX)
        continue;
      NearestX = M->X;
      TargetY = M->Y + M->Height / 2.0;
    }
    if (TargetY < 0) return 0;
    const double DuckY = Duck->Y + Duck->Height / 2.0;
    if (DuckY > TargetY + 4) return VkUp;
    if (DuckY < TargetY - 4) return VkDown;
    return 0;
  }

  // Letters, digits and spaces, now and then a character the entry refuses or a Backspace;
  // then Enter or a click takes the name as it stands.
  void EnterName() {
    if (Chance(0.02) || (S().PlayerName.size() >= 6 && Chance(0.05))) {
      if (Chance(0.7))
        Enter();
      else
        Click();
      return;
    }
    if (!Chance(0.15)) return;
    const int32_t What = Between(0, 19);
    if (What < 14) {
      static constexpr char KChars[] =
          "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 ";
      const char Ch = KChars[Between(0, static_cast<int32_t>(sizeof KChars) - 2)];
      Press(std::toupper(static_cast<unsigned char>(Ch)), 1, 0, static_cast<uint8_t>(Ch));
    } else if (What < 17) {
      Press(VkBackspace, 1, 0, 8);
    } else {
      static constexpr uint8_t KRefused[] = {'!', '-', '_', '.', 200, 255, 9};
      TypeChar(KRefused[Between(0, static_cast<int32_t>(sizeof KRefused) - 1)]);
    }
  }

  // Mostly Play; now and then the options, the high scores, help, the web site or the exit
  // question. Reached with the arrows and Enter, or with the mouse.
  void MainMenu() {
    if (S().MenuIntroStep != 0) {
      if (Chance(0.01)) Tap(Chance(0.5) ? VkUp : VkDown);  // not read while the buttons fade in
      return;
    }
    if (!Chance(0.05)) return;
    if (FMenuGoal == 0 && FTourStep < 3) {
      // First a look round: the options, the high scores, help.
      FMenuGoal = 2 + FTourStep++;
      FGoalByMouse = Chance(0.4);
    } else if (FMenuGoal == 0) {
      const int32_t Roll = Between(0, 99);
      FMenuGoal = Roll < 70 ? 1 : Roll < 78 ? 2 : Roll < 86 ? 3 : Roll < 94 ? 4 : Roll < 96 ? 5 : 6;
      FGoalByMouse = Chance(0.4);
    }
    if (FGoalByMouse) {
      ClickButtonSoon(FMenuGoal);
      FMenuGoal = 0;
    } else if (S().HoveredButton != FMenuGoal) {
      Tap(S().HoveredButton < FMenuGoal ? VkDown : VkUp);
    } else {
      Enter();
      FMenuGoal = 0;
    }
  }

  // The rows: display, music, sound, the boss key (caught from the next F-key with its
  // modifier), the country (typed), and Back.
  void OptionsScreen() {
    if (!Chance(0.04)) return;
    const int32_t What = Between(0, 19);
    if (What < 6) {
      Tap(Chance(0.5) ? VkUp : VkDown);
    } else if (What < 9) {
      Enter();
    } else if (What < 12) {
      static constexpr char KChars[] = "abcdefxyzQRS 019";
      const char Ch = KChars[Between(0, static_cast<int32_t>(sizeof KChars) - 2)];
      Press(std::toupper(static_cast<unsigned char>(Ch)), 1, 0, static_cast<uint8_t>(Ch));
      if (Chance(0.2)) Press(VkBackspace, 1, 0, 8);
    } else if (What < 14) {
      // F1 .. F11: F12 would save a screenshot file every time.
      static constexpr uint32_t KShifts[] = {0, ssAlt, ssCtrl, ssShift};
      Press(VkF1 + Between(0, 10), 1, KShifts[Between(0, 3)]);
    } else if (What < 17) {
      ClickButtonSoon(Between(1, 6));
    } else {
      Tap(VkEscape);
    }
  }

  // High scores (Back, Clear, the world table) and help (Back, Previous, Next).
  void OtherScreen() {
    if (!Chance(0.04)) return;
    const int32_t What = Between(0, 9);
    if (What < 3) {
      Tap(Chance(0.5) ? VkLeft : VkRight);
    } else if (What < 5) {
      Enter();
    } else if (What < 7) {
      ClickButtonSoon(Between(1, 3));
    } else {
      Tap(VkEscape);
    }
  }

  TFakePlatform P;
  TSoakAudio* Audio = nullptr;
  TSoakMusic* Music = nullptr;
  std::unique_ptr<TMForm> Form;
  bool Started = false;

  int32_t Faults = 0;
  int32_t MaxSprites = 0;
  size_t MaxBuffers = 0;
  int32_t BestLevel = 0;
  std::map<int32_t, int32_t> ScreensShown, DialogsOpened;

 private:
  std::mt19937 FRng;
  int64_t FGameMs = 0;
  int64_t FFrame = 0;
  std::vector<THeld> FHeld;
  bool FMouseHeld = false;
  int64_t FMouseReleaseAt = 0;
  int64_t FClickAt = 0;
  int64_t FInactiveUntil = 0;
  int32_t FMouseX = 400, FMouseY = 300;
  int32_t FMenuGoal = 0;
  int32_t FTourStep = 0, FHelpPagesSeen = 0;
  bool FGoalByMouse = false;
  uint8_t FLastScreen = skNone, FLastDialog = dkNone;
  int64_t FScreenSince = 0;
  int32_t FAudioFaults = 0, FMusicFaults = 0;
  std::vector<const TSprite*> FTree, FKnown;
};

TEST(Soak, AnHourOfRandomPlayThroughTheWholeProgram) {
  const int64_t Minutes = EnvNumber("TB_SOAK_MINUTES", KDefaultMinutes);
  const uint32_t Seed = static_cast<uint32_t>(EnvNumber("TB_SOAK_SEED", KDefaultSeed));
  TSoak Soak(Seed);
  ASSERT_TRUE(Soak.Started);
  const auto WallStart = std::chrono::steady_clock::now();

  int64_t RssSettled = 0, RssMax = 0, NextSample = KRssSampleMs;
  while (Soak.GameMs() < Minutes * 60000) {
    Soak.Step();
    ASSERT_FALSE(Soak.Form->Terminated()) << "the random player ended the program";
    Soak.Check();
    if (Soak.Faults > 50) break;
    if (Soak.GameMs() >= NextSample) {
      const int64_t Rss = ResidentKb();
      if (NextSample % (10 * 60000) == 0)
        std::printf("%3lld min: %lld KB resident, %d games, best level %d\n",
                    static_cast<long long>(NextSample / 60000), static_cast<long long>(Rss),
                    Soak.ScreensShown[skGame], Soak.BestLevel);
      if (NextSample <= KSettleMs)
        RssSettled = std::max(RssSettled, Rss);
      else
        RssMax = std::max(RssMax, Rss);
      NextSample += KRssSampleMs;
    }
  }
  const double Wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - WallStart).count();

  auto Times = [](const std::map<int32_t, int32_t>& M, int32_t Kind) {
    auto It = M.find(Kind);
    return It == M.end() ? 0 : It->second;
  };
  const int32_t Games = Times(Soak.ScreensShown, skGame);
  std::printf(
      "%lld min of game time (seed %u) in %lld frames, %.1f s of wall time: %d games, best "
      "level %d; %d game overs, %d name entries, %d uploads; options %d, high scores %d, help "
      "%d times; pauses %d, questions to leave a game %d\n",
      static_cast<long long>(Minutes), Seed, static_cast<long long>(Soak.Frames()), Wall, Games,
      Soak.BestLevel, Times(Soak.DialogsOpened, dkGameOver), Times(Soak.DialogsOpened, dkEnterName),
      Times(Soak.DialogsOpened, dkSending), Times(Soak.ScreensShown, skOptions),
      Times(Soak.ScreensShown, skHighScores), Times(Soak.ScreensShown, skHelp),
      Times(Soak.DialogsOpened, dkPause), Times(Soak.DialogsOpened, dkExitToMenu));
  std::printf(
      "at most %d sprites in the tree, %zu sound buffers, %zu song; resident memory %lld KB "
      "after the first minute, at most %lld KB after it\n",
      Soak.MaxSprites, Soak.MaxBuffers, Soak.Music->MaxOpen, static_cast<long long>(RssSettled),
      static_cast<long long>(RssMax));

  EXPECT_EQ(Soak.Faults, 0);
  if (RssSettled > 0) {
    EXPECT_LE(RssMax - RssSettled, KRssToleranceKb)
        << "resident memory grew after the first minute of game time";
  }
  // The whole program was in the loop, not only the rules of play.
  if (Minutes >= KDefaultMinutes) {
    EXPECT_GE(Games, 20);
    EXPECT_GE(Soak.BestLevel, 2);
    EXPECT_GE(Times(Soak.DialogsOpened, dkGameOver), 5);
    EXPECT_GE(Times(Soak.DialogsOpened, dkEnterName), 1);
    EXPECT_GE(Times(Soak.DialogsOpened, dkSending), 1);
    EXPECT_GE(Times(Soak.ScreensShown, skOptions), 1);
    EXPECT_GE(Times(Soak.ScreensShown, skHighScores), 1);
    EXPECT_GE(Times(Soak.ScreensShown, skHelp), 1);
  }
}

}  // namespace
