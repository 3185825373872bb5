#pragma once
// The main window: owns every component and all of the program's state, runs start-up, the
// per-frame routine and the display-mode switch. Built on any platform, so a test can make
// a fresh game on the fake platform in one line and drive it frame by frame.

#include <array>
#include <cstdint>
#include <string>

#include "engine/DXClass.h"
#include "engine/DXDraws.h"
#include "engine/DXImageList.h"
#include "engine/DXInput.h"
#include "engine/DXSounds.h"
#include "engine/DXSprite.h"
#include "game/GameContext.h"
#include "game/GameState.h"
#include "game/Random.h"
#include "platform/Platform.h"
#include "services/HighScores.h"
#include "services/Music.h"
#include "services/OnlineConfig.h"
#include "services/Options.h"
#include "services/WorldScore.h"

class TMenuButton;
class TMyCursor;
class TMyImageSprite;
class TScrollBackground;
class TImageSprite;

// Screen kinds and dialog kinds are stored as bytes in the shell state.
enum TScreenKind : uint8_t {
  skNone = 0,
  skMainMenu = 1,
  skOptions = 2,
  skHighScores = 3,
  skHelp = 4,
  skGame = 5,
};

enum TDialogKind : uint8_t {
  dkNone = 0,
  dkExitGame = 1,
  dkExitToMenu = 2,
  dkClearScores = 4,  // there is no kind 3
  dkPause = 5,
  dkLevel = 6,
  dkGameOver = 7,
  dkEnterName = 8,
  dkSendScore = 9,
  dkSending = 10,
};

// What decides what the player sees; one instance, owned by the main window.
struct TShellState {
  uint8_t ScreenKind = skNone;
  uint8_t DialogKind = dkNone;
  // 1..6 the current screen's buttons, 11 the dialog's "Yes", 12 its "No"; 0 and 7..10 unused.
  std::array<TMenuButton*, 13> Buttons{};
  int32_t FirstButton = 0, LastButton = 0;  // LastButton < FirstButton: no buttons
  int32_t HoveredButton = 0;                // 0 = none
  int32_t SavedHovered = 0, SavedFirst = 0, SavedLast = 0;
  int32_t MouseX = 0, MouseY = 0;  // surface pixels
  bool MouseHeld = false, CtrlHeld = false, SpaceHeld = false, EnterHeld = false;
  // Space and Enter fire in play and press the highlighted button elsewhere: a press
  // belongs to where it began. One that began in play (no question, no name entry up) fires
  // and, while held, neither presses nor types; one that began elsewhere does not fire.
  bool SpaceFromPlay = false, EnterFromPlay = false;
  // True for exactly one frame after the key goes down.
  bool UpPressed = false, DownPressed = false, LeftPressed = false, RightPressed = false;
  bool PausePressed = false, YesPressed = false, NoPressed = false, EscapePressed = false;
  bool MusicRestartPending = false;
  int32_t RefreshRate = 0;   // Hz, read after every display-mode switch
  int32_t FrameRate = 0;     // the frame timer's measure, copied each frame
  double SpeedFactor = 1.0;  // movement multiplier of one frame; the game is tuned for 85 fps
  int32_t FrameMs = 15;      // length of one frame in whole milliseconds
  int32_t MenuIntroStep = 0;
  int32_t DialogTimer = 0;  // ms left on a timed banner
  TMyImageSprite* DialogWindow = nullptr;
  TMyCursor* TextCursor = nullptr;
  TMyImageSprite* ScreenCaption = nullptr;
  TMyImageSprite* ScreenPanel = nullptr;
  TScrollBackground* SkyBackground = nullptr;  // kept for the whole run
  bool SendStarted = false;
  bool CountryEditing = false, BossKeyCapture = false;
  uint8_t SavedBossShift = 0;
  uint16_t SavedBossKey = 0;
  std::string PlayerName;
};

// Speed calibration of one frame from the monitor's refresh rate R and the measured frame
// rate F (0 during the first second). The measured rate is used only while it lies more
// than 3 below R or at most 2 above it. A refresh rate reported as 0 or 1 ("the default")
// means nothing: the measured rate stands in for it, or 85 when that is 0 too.
struct TCalibration {
  double SpeedFactor = 1.0;
  int32_t FrameMs = 15;
};
TCalibration Calibrate(int32_t RefreshRate, int32_t FrameRate);

// The options the main window asks of its display.
constexpr TDXDrawOptions KMainFormDrawOptions = doAllowReboot | doWaitVBlank | doStretch |
                                                doCenter | doFlip | doDirectX7Mode |
                                                doRetainedMode | doHardware | doSelectDriver;
// The main window's key assignments of the input states.
TKeyAssigns MainFormKeyAssigns();

class TMForm final : public TDXForm, public IGameContext {
 public:
  explicit TMForm(TPlatform& Platform);
  ~TMForm() override;
  TMForm(const TMForm&) = delete;
  TMForm& operator=(const TMForm&) = delete;

  // Start-up. False with a message naming the reason when the game cannot start (no
  // display, a missing or damaged data file).
  bool FormCreate(std::string& Error);
  // Start-up comes in two parts (StartupLoading.cpp). FormCreate reads the save files and
  // the packs' tables of contents, and decodes only what the main menu's first picture
  // shows. The rest follows one piece a frame, each after the frame's picture is shown:
  // the sound device, the input devices, the menu music, the remaining pictures of the
  // menu pack, then those of the play pack. Whatever needs any of it (a cue, a dialog, a
  // button's action, another screen, a game) finishes the start-up first.
  void ContinueLoading();
  void FinishLoading();
  bool StartupPending() const { return FStartupStep != TStartupStep::Done; }
  // One turn of the application: every waiting platform event, then one idle pass of the
  // frame timer (which runs MDXTimerTimer when it ticks).
  void RunFrame();
  void HandleEvent(const TPlatformEvent& Event);
  void MDXTimerTimer(int32_t LagCount);

  // The window asks to close: the exit question instead (nothing while a dialog is open).
  void FormCloseQuery(bool& CanClose);
  // The orderly end: dead sprites freed, options and scores saved, the exit link opened.
  void Shutdown();
  bool Terminated() const { return FTerminated; }

  void ApplyDisplayMode();
  void EnterFullScreen();
  void EnterWindowed();
  int32_t ReadRefreshRate();
  void ShowMousePointer();
  void HideMousePointer();

  // Keyboard and mouse (InputRouting.cpp).
  void ReadInput();
  void FormKeyDown(int32_t Key, uint32_t Shift);
  void FormKeyUp(int32_t Key, uint32_t Shift);
  void FormKeyPress(uint8_t Ch);
  void FormKeyBoss(int32_t Key, uint32_t Shift, bool Down);
  void ToggleBossKeyCapture();
  void BossKeyAction();
  std::string BossKeyName() const;
  void MDXDrawMouseMove(uint32_t Shift, int32_t X, int32_t Y);
  void MDXDrawClick();
  void MDXDrawMouseDown();
  void MDXDrawMouseUp();

  // Buttons and the main menu (Buttons.cpp, MainMenu.cpp).
  void UpdateHover();
  void UpdateButtonHighlight();
  void FreeButtons();
  void LeaveScreen();
  void ShowMainMenu(int32_t IntroStep, int32_t Hovered, bool WithMusic);
  void AdvanceMenuIntro();
  void MainMenuTick(int32_t LagCount);
  void ButtonAction();
  void PressButton(int32_t I);

  // Dialogs (Dialogs.cpp).
  void OpenDialog(uint8_t Kind);
  void DialogFrame(int32_t LagCount);
  void CloseDialog();
  // A typed character while the name entry is open.
  void NameEntryChar(uint8_t Ch);

  // Text on the back surface (TextStyles.h), in the canvas of the display.
  void SetTextStyle(int32_t Style);
  int32_t TextWidth(const std::string& Text);
  int32_t TextHeight(const std::string& Text);
  int32_t TextWidthIn(const std::string& Text, int32_t Style);
  void DrawText(const std::string& Text, int32_t X, int32_t Y, bool CentreX, bool CentreY);

  // The options screen (OptionsScreen.cpp).
  void ShowOptions();
  void OptionsTick(int32_t LagCount);
  void DrawOptions();
  void ToggleCountryEditing();
  void LeaveOptions();
  void OptionsButton(int32_t Button);
  // A typed character while the country is being edited.
  void CountryChar(uint8_t Ch);

  // The high-score screen (HighScoresScreen.cpp).
  void ShowHighScores();
  void HighScoresTick(int32_t LagCount);
  void DrawHighScores();
  void LeaveHighScores();

  // The help screen (HelpScreen.cpp).
  void ShowHelp();
  void HelpTick(int32_t LagCount);
  void DrawHelpPage();
  void LeaveHelp();
  int32_t HelpPage = 1;
  std::array<TMyImageSprite*, 14> HelpPictures{};

  // Play (PlayScreen.cpp): where a game starts, runs a frame and ends.
  void StartGame();
  void GameTick(int32_t LagCount);
  void EndGame();
  // A finished game whose result was entered (and sent or not): the dialog closes, the game
  // is torn down and the high-score table shows over the menu picture.
  void EndGameToHighScores();
  // The in-game display (Hud.cpp): level, score, lives, assistant and weapon.
  void DrawHud();
  // After "Exit to menu?" Yes or the game-over banner: the name entry when the score earns
  // a place in the table, else back to the main menu.
  void FinishGame();

  // What a game sprite asks of the main window.
  TDXImageList& ImageList1() override { return MDXImageList1; }
  TDXImageList& ImageList2() override { return MDXImageList2; }
  TSpriteEngine& SpriteEngine() override { return MDXSpriteEngine.Engine(); }
  double SpeedFactor() const override { return Shell.SpeedFactor; }
  int32_t FrameMs() const override { return Shell.FrameMs; }
  TRandom& Random() override { return Rand; }
  TGameState& Game() override { return GameState; }
  void OpenLevelBanner() override { OpenDialog(dkLevel); }
  void OpenGameOverBanner() override { OpenDialog(dkGameOver); }
  void GetCursorPos(int32_t& X, int32_t& Y) override { Platform.Window().GetCursorPos(X, Y); }
  void SetCursorPos(int32_t X, int32_t Y) override { Platform.Window().SetCursorPos(X, Y); }
  void ClientOrigin(int32_t& X, int32_t& Y) override { Platform.Window().ClientOrigin(X, Y); }

  TPlatform& Platform;
  TShellState Shell;
  // The player's settings (Data/Save/options) and the local high-score table
  // (Data/Save/hs): loaded at start-up, saved whenever the player changes them and at the end.
  TGameOptions Options;
  THighScores HighScores{};
  // Seed of the game's random numbers, taken from the clock at start-up.
  uint32_t RandSeed = 0;
  TRandom Rand;
  TGameState GameState;
  // Folder that the game's "Data/..." paths are relative to; empty = the working directory
  // (the playable folder). Tests point it at the built playable folder.
  std::string DataRoot;
  // Folder that the save files (Data/Save/options, Data/Save/hs) are relative to; empty =
  // DataRoot. Tests give each form its own, so that none reads or writes the player's.
  std::string SaveRoot;

  // Components, in creation order (destroyed in reverse: the display last). Components
  // bound to the display (image lists, sprite engine) are declared after MDXDraw so that
  // they unregister before it goes.
  TDXDraw MDXDraw;
  TDXTimer MDXTimer;
  TDXInput MDXInput;
  TDXImageList MDXImageList1;  // Data/Res/Res1.dxg: menus and dialogs
  TDXImageList MDXImageList2;  // Data/Res/Res2.dxg: play
  // After the image lists: its sprites refer to their items and go first.
  TDXSpriteEngine MDXSpriteEngine;
  TDXSound MDXSound;
  TDXWaveList MDXWaveList;  // bound to MDXSound
  TMusic Music;

  // The maker's web site and score script, read from Data/Online.ini at start-up.
  TOnlineConfig Online;

  // The world score upload of the "Sending" dialog: Start it with the finished game's
  // result, then ask Done in every frame; the window keeps drawing meanwhile.
  TWorldScoreUpload WorldScoreUpload;

  // With sound on: stop every copy of the named sound, then start it again without
  // waiting. With sound off nothing happens, not even the look-up. An unknown name raises
  // "Wave '%s' not found".
  void PlayCue(const std::string& Name) override;
  // The race music during play, the menu music elsewhere; only with music on.
  void PlayScreenMusic();
  void StopMusic();

  // Where the save files are: SaveRoot (or DataRoot) + Data/Save/options, + Data/Save/hs.
  std::string SaveFolder() const;
  std::string OptionsFileName() const;
  std::string HighScoreFileName() const;
  // Both save files, replaced as one pair (services/SaveGames.h): a crash at any step of
  // it leaves the whole previous pair or the whole new one. Called whenever the player
  // changes what they hold (a name entered, the table cleared, the options screen left
  // with a change) and at the end. A save that fails keeps the previous pair, and the
  // player is told once per session where it could not be written. False when something
  // was not saved.
  bool SaveGameFiles();
  // Start-up's first look at the save folder: a save cut off last time is completed or
  // rolled back, and its temporary files removed (FormCreate does it before loading; the
  // recorder's copy of the start files must be taken after it).
  void RecoverSaveFiles();
  // The system, not the player, asks the program to end (a termination signal, the end
  // of the session): both files saved, no question, no exit link.
  void EndSession();

  // F12 (Screenshot.cpp): the picture last shown, as a time-stamped PNG in the save root's
  // Data/Screenshots/ (made when missing), with the "Button" cue. Answers the file written,
  // empty when nothing could be.
  std::string TakeScreenshot();
  // Held F12 takes one screenshot, not one per auto-repeat.
  bool ScreenshotKeyHeld = false;
  // The Pause key acts as P. It is taken from its key event, not the polled key table: many
  // keyboards report it pressed and released at once. Held, it pauses once.
  bool PauseKeyHeld = false, PauseKeyPending = false;
  // Where Space and Enter presses begin as the play's fire (see SpaceFromPlay).
  bool FireKeysInPlay() const;

  // The companions of the key edges: whether each state was down in the previous frame.
  struct TKeyLast {
    bool Up = false, Down = false, Left = false, Right = false;
    bool Pause = false, Yes = false, No = false, Escape = false;
    bool Confirm = false;  // a game controller's A: presses the highlighted button
  } KeyLast;

 private:
  // The main menu's pictures, decoded ahead of the rest of the pack (MainMenu.cpp).
  void DecodeMainMenuPictures();
  enum class TStartupStep : uint8_t {
    SoundDevice,
    InputDevices,
    MenuMusic,
    MenuPictures,
    PlayPictures,
    Done,
  };
  TStartupStep FStartupStep = TStartupStep::Done;
  // One piece of the start-up; a pictures' piece decodes at most MaxPixels (a larger
  // picture still whole).
  void LoadingStep(int64_t MaxPixels);
  // The menu's music waits for the sound device; any music started meanwhile replaces it.
  bool FMenuMusicPending = false;
  bool FTerminated = false;
  // The options as the options screen found them, in the file's words, so that leaving
  // it saves only after a change.
  std::string FOptionsOnEntry;
  // Saving failed: told once per session, on standard error at once and in the next
  // dialog (FSaveNotice, until that dialog closes).
  bool FSaveFailureTold = false;
  std::string FSaveNotice;
  bool FSaveNoticeShown = false;
  void TellSaveFailure(const std::string& Reason);
  void DrawSaveNotice();
};
