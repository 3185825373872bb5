// Keyboard and mouse: the polled input states turned into one-frame key edges, the
// window's key, character and mouse events, and the boss key.

#include "shell/MainForm.h"

namespace {

constexpr int32_t KVkReturn = 13;
constexpr int32_t KVkControl = 17;
constexpr int32_t KVkPause = 19;
constexpr int32_t KVkSpace = 32;
constexpr int32_t KVkF1 = 112;
constexpr int32_t KVkF12 = 123;

bool IsFKey(int32_t Key) {
  return Key >= KVkF1 && Key <= KVkF12;
}

// True for one frame after the state goes down; Last remembers this frame for the next.
bool Edge(const TDXInputStates& States, TDXInputState State, bool& Last) {
  const bool Now = States.Has(State);
  const bool Pressed = Now && !Last;
  Last = Now;
  return Pressed;
}

}  // namespace

void TMForm::ReadInput() {
  // The input devices open a frame or two after the first picture (their scan costs more
  // than that picture); until then the states stay empty, and the fading menu reads none.
  if (FStartupStep > TStartupStep::InputDevices) MDXInput.Update();
  const TDXInputStates& S = MDXInput.States;
  Shell.UpPressed = Edge(S, isUp, KeyLast.Up);
  Shell.DownPressed = Edge(S, isDown, KeyLast.Down);
  Shell.LeftPressed = Edge(S, isLeft, KeyLast.Left);
  Shell.RightPressed = Edge(S, isRight, KeyLast.Right);
  Shell.PausePressed = Edge(S, InputButton(6), KeyLast.Pause);
  Shell.YesPressed = Edge(S, InputButton(7), KeyLast.Yes);
  Shell.NoPressed = Edge(S, InputButton(8), KeyLast.No);
  Shell.EscapePressed = Edge(S, InputButton(9), KeyLast.Escape);
  if (PauseKeyPending) Shell.PausePressed = true;
  PauseKeyPending = false;
  // A game controller's confirm button acts as Enter does: on the highlighted button.
  if (Edge(S, InputButton(KJoystickConfirmBit + 1), KeyLast.Confirm))
    PressButton(Shell.HoveredButton);
}

void TMForm::FormKeyDown(int32_t Key, uint32_t Shift) {
  // The boss key matches only with exactly its modifier: no other modifier, no mouse
  // button held.
  if (Shell.BossKeyCapture) {
    FormKeyBoss(Key, Shift, true);
  } else if ((Shift & 0xFFu) == Options.BossShift && Key == Options.BossKey) {
    BossKeyAction();
  }
  if (Key == KVkControl) Shell.CtrlHeld = true;
  // Auto-repeat keeps the place where the press began.
  if (Key == KVkSpace) {
    if (!Shell.SpaceHeld) Shell.SpaceFromPlay = FireKeysInPlay();
    Shell.SpaceHeld = true;
  }
  // Alt+Enter is the display switch, not a press of Enter.
  if (Key == KVkReturn && !(Shift & ssAlt)) {
    if (!Shell.EnterHeld) Shell.EnterFromPlay = FireKeysInPlay();
    Shell.EnterHeld = true;
  }
  if (Key == KVkPause && !PauseKeyHeld) {
    PauseKeyHeld = true;
    PauseKeyPending = true;
  }
  // F12 alone takes a screenshot, unless it is the boss key or being captured as one.
  if (Key == KVkF12 && !ScreenshotKeyHeld && (Shift & (ssShift | ssAlt | ssCtrl)) == 0 &&
      !Shell.BossKeyCapture && !(Options.BossKey == KVkF12 && Options.BossShift == 0)) {
    ScreenshotKeyHeld = true;
    TakeScreenshot();
  }
  // Alt+Enter switches between window and full screen on every screen; a game pauses.
  if ((Shift & ssAlt) && Key == KVkReturn) {
    Options.FullScreen = !Options.FullScreen;
    if (Shell.ScreenKind == skGame) OpenDialog(dkPause);
    ApplyDisplayMode();
    // Saved at once, as the options screen saves its changes when it is left.
    if (Shell.ScreenKind != skOptions) SaveGameFiles();
  }
}

void TMForm::FormKeyUp(int32_t Key, uint32_t Shift) {
  if (Shell.BossKeyCapture) FormKeyBoss(Key, Shift, false);
  if (Key == KVkControl) Shell.CtrlHeld = false;
  if (Key == KVkSpace) Shell.SpaceHeld = Shell.SpaceFromPlay = false;
  if (Key == KVkReturn) Shell.EnterHeld = Shell.EnterFromPlay = false;
  if (Key == KVkF12) ScreenshotKeyHeld = false;
  if (Key == KVkPause) PauseKeyHeld = false;
}

bool TMForm::FireKeysInPlay() const {
  // In a game with no button to press and nothing to type: play, or a banner over it.
  return Shell.ScreenKind == skGame && Shell.LastButton < Shell.FirstButton &&
         Shell.DialogKind != dkEnterName;
}

void TMForm::FormKeyPress(uint8_t Ch) {
  // A fire key held since play does not answer the question or fill in the name that opens
  // under it; let go and pressed again, it does.
  if ((Ch == KVkSpace && Shell.SpaceHeld && Shell.SpaceFromPlay) ||
      (Ch == KVkReturn && Shell.EnterHeld && Shell.EnterFromPlay))
    return;
  // Where a space is a character it is typed; everywhere else Space presses as Enter does.
  const bool Typing =
      (Shell.ScreenKind == skOptions && Shell.CountryEditing) || Shell.DialogKind == dkEnterName;
  if (Shell.ScreenKind == skOptions && Shell.CountryEditing) CountryChar(Ch);
  if (Shell.DialogKind == dkEnterName) NameEntryChar(Ch);
  if (Ch == KVkReturn || (Ch == KVkSpace && !Typing)) PressButton(Shell.HoveredButton);
}

void TMForm::FormKeyBoss(int32_t Key, uint32_t Shift, bool Down) {
  if (!Shell.BossKeyCapture) return;
  // One modifier is kept: Alt before Ctrl before Shift.
  if (Shift & ssAlt) {
    Options.BossShift = ssAlt;
  } else if (Shift & ssCtrl) {
    Options.BossShift = ssCtrl;
  } else if (Shift & ssShift) {
    Options.BossShift = ssShift;
  } else {
    Options.BossShift = 0;
  }
  if (Down) {
    Options.BossKey = IsFKey(Key) ? static_cast<uint16_t>(Key) : 0;
    if (Options.BossKey != 0) ToggleBossKeyCapture();  // an F-key ends the capture
  } else if (IsFKey(Key)) {
    Options.BossKey = 0;
  }
}

void TMForm::ToggleBossKeyCapture() {
  if (!Shell.BossKeyCapture) {
    Shell.SavedBossShift = Options.BossShift;
    Shell.SavedBossKey = Options.BossKey;
    Options.BossShift = 0;
    Options.BossKey = 0;
  } else if (Options.BossKey == 0) {
    // Nothing captured: the old key comes back.
    Options.BossShift = Shell.SavedBossShift;
    Options.BossKey = Shell.SavedBossKey;
  }
  Shell.BossKeyCapture = !Shell.BossKeyCapture;
}

void TMForm::BossKeyAction() {
  StopMusic();
  if (Shell.ScreenKind == skGame) OpenDialog(dkPause);
  // The music starts again in the first frame after the window comes back.
  Shell.MusicRestartPending = true;
  Platform.Window().Minimise();
}

std::string TMForm::BossKeyName() const {
  std::string Name;
  if (Options.BossShift & ssAlt) {
    Name = "ALT+";
  } else if (Options.BossShift & ssCtrl) {
    Name = "CTRL+";
  } else if (Options.BossShift & ssShift) {
    Name = "SHIFT+";
  }
  if (IsFKey(Options.BossKey)) Name += "F" + std::to_string(Options.BossKey - KVkF1 + 1);
  if (Name.empty()) {
    Name = "?";
  } else if (Name.back() == '+') {
    Name += "?";
  }
  return Name;
}

void TMForm::MDXDrawMouseMove(uint32_t Shift, int32_t X, int32_t Y) {
  (void)Shift;
  Shell.MouseX = X;
  Shell.MouseY = Y;
  const int32_t Before = Shell.HoveredButton;
  UpdateHover();
  // Silent while the main menu fades in.
  const bool Fading = Shell.ScreenKind == skMainMenu && Shell.MenuIntroStep != 0;
  if (Shell.HoveredButton != Before && !Fading) PlayCue("Button");
}

void TMForm::MDXDrawClick() {
  ButtonAction();
}

void TMForm::MDXDrawMouseDown() {
  Shell.MouseHeld = true;
}

void TMForm::MDXDrawMouseUp() {
  Shell.MouseHeld = false;
}
