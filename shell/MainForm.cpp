#include "shell/MainForm.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "game/ScrollBackground.h"
#include "services/SaveGames.h"
#include "services/WebLinks.h"
#include "shell/PackLoading.h"
#include "shell/TextStyles.h"

namespace {

// ShowCursor answers the display counter; a platform that never moves it must not hang us.
constexpr int32_t KMaxCursorCalls = 64;

double SpeedFor(int32_t Rate) {
  return static_cast<double>(85.0f) / Rate;
}
// Above 1000 frames per second a frame is shorter than a millisecond; a FrameMs of 0 would
// stop every millisecond countdown of the game (banners, weapons, spawns) for good.
int32_t FrameMsFor(int32_t Rate) {
  return std::max(Trunc(static_cast<double>(1000.0f) / Rate), 1);
}

}  // namespace

TCalibration Calibrate(int32_t RefreshRate, int32_t FrameRate) {
  const int32_t F = FrameRate;
  int32_t R = RefreshRate;
  if (R <= 1) R = F > 0 ? F : 85;
  int32_t Rate = F > 0 ? F : R;
  if (F >= R - 3 && F <= R) Rate = R;
  if (F > R + 2) Rate = R;
  return {SpeedFor(Rate), FrameMsFor(Rate)};
}

TKeyAssigns MainFormKeyAssigns() {
  TKeyAssigns A = MakeKeyAssigns({
      {isUp, 38},
      {isDown, 40},
      {isLeft, 37},
      {isRight, 39},
      {InputButton(6), 'P'},
      {InputButton(7), 'Y'},
      {InputButton(8), 'N'},
      {InputButton(9), 27},   // Escape
      {InputButton(10), 32},  // Space
      {InputButton(11), 13},  // Enter
      {InputButton(12), 'Z'},
      {InputButton(13), 'X'},
      {InputButton(14), 'C'},
      {InputButton(15), 'V'},
      {InputButton(16), 'B'},
  });
  // Buttons 17 .. 26: the digit keys 1 .. 9, then 0.
  for (int32_t I = 0; I < 10; ++I) SetAssignedKey(A, InputButton(17 + I), 0, I < 9 ? '1' + I : '0');
  return A;
}

TMForm::TMForm(TPlatform& P)
    : TDXForm(P.Window()),
      Platform(P),
      MDXDraw(P),
      MDXTimer(P.Clock()),
      MDXInput(P),
      MDXSound(P),
      Music(P.Music()) {
  MDXWaveList.SetDXSound(&MDXSound);
  // The display: 800 x 600 surface; full screen asks for 800 x 600 at 16 bits of fixed
  // depth and ratio (start-up sets 32 bits before the first switch).
  MDXDraw.SetOptions(KMainFormDrawOptions);
  TDXDisplaySettings& D = MDXDraw.Display();
  D.Width = 800;
  D.Height = 600;
  D.BitCount = 16;
  D.FixedBitCount = true;
  D.FixedRatio = true;
  D.FixedSize = false;

  MDXTimer.SetActiveOnly(true);
  MDXTimer.SetInterval(0);  // every idle turn
  MDXTimer.SetEnabled(true);
  MDXTimer.OnTimer = [this](int32_t LagCount) { MDXTimerTimer(LagCount); };

  MDXInput.ActiveOnly = true;
  MDXInput.Keyboard.Enabled = true;
  MDXInput.Keyboard.BindInputStates = true;
  MDXInput.Keyboard.Assigns = MainFormKeyAssigns();
  MDXInput.Joystick.Enabled = true;
  MDXInput.Joystick.BindInputStates = true;
  MDXInput.Joystick.ID = 0;

  MDXImageList1.SetDXDraw(&MDXDraw);
  MDXImageList2.SetDXDraw(&MDXDraw);
  MDXSpriteEngine.SetDXDraw(&MDXDraw);
}

TMForm::~TMForm() = default;

bool TMForm::FormCreate(std::string& Error) {
  if (!Platform.Window().CreateMainWindow("Tallow Brackles", 800, 600, Error)) return false;
  // Over the picture the pointer is the hand, in the menus and the dialogs (play hides it).
  Platform.Window().UseHandPointer();
  try {
    // The sound device initializes itself once the form is built; that waits until the
    // first picture is shown (ContinueLoading). Without a sound card the game goes on
    // silently.
    // 1. Nothing to restart yet.
    Shell.MusicRestartPending = false;
    // 2. The random numbers start from the clock.
    RandSeed = Platform.Clock().Ticks();
    Rand.SetSeed(RandSeed);
    // 3. The refresh rate is read from the window system when needed (ReadRefreshRate).
    // 4. Image packs, menus first: every item with its properties now, the pictures of
    //    the main menu decoded at once and the others after the first picture. The display
    //    is not initialized yet, so the items are built when the display mode is applied
    //    below. A missing or damaged pack ends the start-up with a message naming the file
    //    and the reason.
    if (!OpenImagePack(MDXImageList1, DataRoot + kMenuPack, Error) ||
        !OpenImagePack(MDXImageList2, DataRoot + kPlayPack, Error))
      return false;
    DecodeMainMenuPictures();
    // 5. Sound pack: Data/Res/Sounds.dxw into the wave list.
    if (!LoadSoundPack(MDXWaveList, DataRoot + "Data/Res/Sounds.dxw", Error)) return false;
    // The web site's addresses; a bad line is ignored with a message on standard error.
    Online = LoadOnlineConfig(DataRoot + kOnlineConfigFile);
    // 6. High scores, then options (whose last line is the table's check text); a save
    //    cut off last time is completed or rolled back first.
    RecoverSaveFiles();
    LoadHighScores(HighScores, HighScoreFileName());
    LoadOptions(Options, OptionsFileName());
    // 7. A table that does not match its check text was edited by hand: the defaults.
    if (!HighScoreCheckOk(HighScores, Options.HighScoreCheck)) ResetHighScores(HighScores);
    // 8. Window or full screen as the options say.
    ApplyDisplayMode();
    // 9. Between screens until the menu is built.
    Shell.ScreenKind = skNone;
    // 10. The one sky background, kept for the whole run.
    Shell.SkyBackground = new TScrollBackground(*this, 2, "SkyTile", KSkyColumns, 1);
    // 11. The main menu fades in, button 1 hovered, with its music (which starts once the
    //     sound device is open); the sky shows the menu's still backdrop.
    ShowMainMenu(1, 1, false);
    FMenuMusicPending = true;
  } catch (const std::exception& E) {
    Error = E.what();
    return false;
  }
  // The form is loaded: the timer starts; the input states start with the rest of the
  // start-up.
  MDXTimer.Loaded();
  FStartupStep = TStartupStep::SoundDevice;
  return true;
}

void TMForm::RunFrame() {
  TPlatformEvent Event;
  while (!FTerminated && Platform.Window().PollEvent(Event)) HandleEvent(Event);
  if (FTerminated) return;
  if (MDXTimer.Running()) {
    MDXTimer.Idle();
  } else {
    // Inactive: nothing runs until a message arrives, as a waiting message loop would.
    Platform.Clock().Sleep(10);
  }
}

void TMForm::HandleEvent(const TPlatformEvent& Event) {
  switch (Event.Kind) {
    case TEventKind::CloseRequest: {
      bool CanClose = false;
      FormCloseQuery(CanClose);
      break;
    }
    case TEventKind::Activated:
      MDXTimer.ApplicationActivated();
      break;
    case TEventKind::Deactivated:
      // A game in play pauses, so the player comes back to the pause banner, not to a
      // duck that flew on unseen for the frames before the timer stopped.
      if (Shell.ScreenKind == skGame) OpenDialog(dkPause);
      MDXTimer.ApplicationDeactivated();
      break;
    case TEventKind::KeyDown:
      FormKeyDown(Event.Key, Event.Shift);
      break;
    case TEventKind::KeyUp:
      FormKeyUp(Event.Key, Event.Shift);
      break;
    case TEventKind::Char:
      FormKeyPress(Event.Char);
      break;
    case TEventKind::MouseMove:
      MDXDrawMouseMove(Event.Shift, Event.X, Event.Y);
      break;
    case TEventKind::MouseDown:
      MDXDrawMouseDown();
      break;
    case TEventKind::MouseUp:
      MDXDrawMouseUp();
      break;
    case TEventKind::Click:
      // A double click arrives as a second click: the hovered button acts twice.
      MDXDrawClick();
      break;
    default:
      break;
  }
}

void TMForm::FormCloseQuery(bool& CanClose) {
  // The window never closes from the platform: the player is asked instead.
  CanClose = false;
  OpenDialog(Shell.ScreenKind == skGame ? dkExitToMenu : dkExitGame);
}

void TMForm::Shutdown() {
  // Dead sprites freed; options and high scores saved; the exit link opened. A save file
  // that cannot be written keeps its previous version and the game still ends.
  MDXSpriteEngine.FreeDead();
  SaveGameFiles();
  OpenExitLink(Platform.Shell(), DataRoot + kExitLinkFile);
  FTerminated = true;
}

void TMForm::PlayCue(const std::string& Name) {
  FinishLoading();
  if (!Options.SoundOn) return;
  TWaveCollectionItem& Cue = MDXWaveList.Items().Find(Name);
  Cue.Stop();
  Cue.Play(false);
}

void TMForm::PlayScreenMusic() {
  FMenuMusicPending = false;
  Music.PlayMusic(DataRoot + (Shell.ScreenKind == skGame ? kRaceMusic : kMenuMusic),
                  Options.MusicOn);
}

void TMForm::StopMusic() {
  Music.StopMusic();
}

std::string TMForm::SaveFolder() const {
  return SaveGameFilesIn(SaveRoot.empty() ? DataRoot : SaveRoot).Folder;
}

std::string TMForm::OptionsFileName() const {
  return SaveGameFilesIn(SaveRoot.empty() ? DataRoot : SaveRoot).Options;
}

std::string TMForm::HighScoreFileName() const {
  return SaveGameFilesIn(SaveRoot.empty() ? DataRoot : SaveRoot).HighScores;
}

void TMForm::RecoverSaveFiles() {
  RecoverSaveGames(SaveGameFilesIn(SaveRoot.empty() ? DataRoot : SaveRoot));
}

bool TMForm::SaveGameFiles() {
  std::string Error;
  if (SaveGames(SaveGameFilesIn(SaveRoot.empty() ? DataRoot : SaveRoot), Options, HighScores,
                Error))
    return true;
  TellSaveFailure(Error);
  return false;
}

void TMForm::TellSaveFailure(const std::string& Reason) {
  if (FSaveFailureTold) return;
  FSaveFailureTold = true;
  std::fprintf(stderr, "Tallow Brackles: the results could not be saved in %s: %s\n",
               SaveFolder().c_str(), Reason.empty() ? "unknown reason" : Reason.c_str());
  FSaveNotice = SaveFolder();
  FSaveNoticeShown = false;
}

void TMForm::DrawSaveNotice() {
  if (FSaveNotice.empty()) return;
  // Below the dialog's frame, in the options' red.
  SetTextStyle(13);
  DrawText("Your results could not be saved in", 400, 404, true, true);
  DrawText(FSaveNotice, 400, 426, true, true);
  FSaveNoticeShown = true;
}

void TMForm::EndSession() {
  // The system ends the program: what the player has is saved; no question, and no web
  // page opened on the way out of a session that is ending.
  MDXSpriteEngine.FreeDead();
  SaveGameFiles();
  FTerminated = true;
}

void TMForm::MDXTimerTimer(int32_t LagCount) {
  // 1. A pending music restart.
  if (Shell.MusicRestartPending) {
    Shell.MusicRestartPending = false;
    PlayScreenMusic();
  }
  // 2. The hovered button before this frame.
  const int32_t HoveredBefore = Shell.HoveredButton;
  // 3. Black back surface.
  if (TDirectDrawSurface* Surface = MDXDraw.Surface()) Surface->Fill(0);
  // 4. Nothing more when the display cannot draw.
  if (!MDXDraw.ReadyToDraw()) return;
  // 5. All sprites in Z order, where the previous frame's move left them.
  MDXSpriteEngine.Draw();
  // 6. The input states and their key edges.
  ReadInput();
  // 7. The open dialog's frame, or the current screen's routine.
  if (Shell.DialogKind != dkNone) {
    DialogFrame(LagCount);
    if (Shell.ScreenKind == skOptions) DrawOptions();
  } else {
    switch (Shell.ScreenKind) {
      case skMainMenu:
        MainMenuTick(LagCount);
        break;
      case skOptions:
        OptionsTick(LagCount);
        break;
      case skHighScores:
        HighScoresTick(LagCount);
        break;
      case skHelp:
        HelpTick(LagCount);
        break;
      case skGame:
        GameTick(LagCount);
        break;
      default:
        break;
    }
  }
  // 8. The "Button" cue when the hovered button changed.
  if (Shell.HoveredButton != HoveredBefore) PlayCue("Button");
  // 9. The sprites marked dead during the frame are destroyed.
  MDXSpriteEngine.FreeDead();
  // 10. Calibration.
  Shell.FrameRate = MDXTimer.FrameRate();
  const TCalibration C = Calibrate(
      Shell.RefreshRate > 1 ? Shell.RefreshRate : Platform.Window().PacedRate(), Shell.FrameRate);
  Shell.SpeedFactor = C.SpeedFactor;
  Shell.FrameMs = C.FrameMs;
  // 11. Every text of the frame went through the canvas: hand it back.
  MDXDraw.Canvas().Release();
  // 12. Present.
  MDXDraw.Flip();
  // The start-up's next piece, after the picture.
  if (StartupPending()) ContinueLoading();
}

void TMForm::ApplyDisplayMode() {
  MDXDraw.SetBitCount(32);
  if (Options.FullScreen) {
    EnterFullScreen();
  } else {
    EnterWindowed();
  }
  Shell.RefreshRate = ReadRefreshRate();
}

void TMForm::EnterFullScreen() {
  MDXDraw.Finalize();
  StorePlacement();
  Platform.Window().SetBordered(false);
  MDXDraw.SetOptions(MDXDraw.RequestedOptions() | doFullScreen);
  try {
    MDXDraw.Initialize();
  } catch (const EDXDrawError&) {
    // The desktop refused full screen: stay playable in a window rather than end the game.
    Options.FullScreen = false;
    EnterWindowed();
  }
}

void TMForm::EnterWindowed() {
  MDXDraw.Finalize();
  RestorePlacement();
  Platform.Window().SetBordered(true);
  Platform.Window().CentreWindow();
  MDXDraw.SetOptions(MDXDraw.RequestedOptions() & ~doFullScreen);
  MDXDraw.Initialize();
}

int32_t TMForm::ReadRefreshRate() {
  return Platform.Window().RefreshRate();
}

void TMForm::ShowMousePointer() {
  IWindowSystem& W = Platform.Window();
  for (int32_t I = 0; I < KMaxCursorCalls && W.ShowCursor(true) < 1; ++I) {
  }
}

void TMForm::HideMousePointer() {
  IWindowSystem& W = Platform.Window();
  for (int32_t I = 0; I < KMaxCursorCalls && W.ShowCursor(false) > -1; ++I) {
  }
}

void TMForm::SetTextStyle(int32_t Style) {
  ::SetTextStyle(MDXDraw.Canvas(), Style);
}

int32_t TMForm::TextWidth(const std::string& Text) {
  return ::TextWidth(MDXDraw.Canvas(), Text);
}

int32_t TMForm::TextHeight(const std::string& Text) {
  return ::TextHeight(MDXDraw.Canvas(), Text);
}

int32_t TMForm::TextWidthIn(const std::string& Text, int32_t Style) {
  return ::TextWidthIn(MDXDraw.Canvas(), Text, Style);
}

void TMForm::DrawText(const std::string& Text, int32_t X, int32_t Y, bool CentreX, bool CentreY) {
  ::DrawText(MDXDraw.Canvas(), Text, X, Y, CentreX, CentreY);
}
