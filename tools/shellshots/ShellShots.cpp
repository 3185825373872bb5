// Brings the real game to one screen or dialog and writes the 800 x 600 picture it shows
// as a binary PPM. Run from the playable folder (it reads Data/ from there) under a display:
//   shellshots SCENE OUT.ppm
// Scenes: menu play options highscores help1 .. help6 exit-game exit-to-menu clear-scores
// pause level game-over enter-name send-score sending.

#include <cstdio>
#include <fstream>
#include <string>

#include "platform/sdl/SdlPlatform.h"
#include "shell/MainForm.h"

namespace {

void Run(TMForm& Form, TPlatform& P, int32_t Frames) {
  for (int32_t I = 0; I < Frames && !Form.Terminated(); ++I) {
    Form.RunFrame();
    P.Clock().Sleep(5);
  }
}

bool Scene(TMForm& F, TPlatform& P, const std::string& Name) {
  Run(F, P, 150);  // the menu has faded in
  auto Leave = [&F] { F.LeaveScreen(); };
  if (Name == "menu") {
    F.Shell.HoveredButton = 1;
  } else if (Name == "play") {
    F.PressButton(1);
    Run(F, P, 40);
  } else if (Name == "options") {
    F.PressButton(2);
    F.Shell.HoveredButton = 2;
  } else if (Name == "highscores") {
    F.HighScores[1] = {"Mallard", 12450};
    F.HighScores[2] = {"Tallow", 7200};
    F.PressButton(3);
  } else if (Name.rfind("help", 0) == 0 && Name.size() == 5) {
    F.PressButton(4);
    F.HelpPage = Name[4] - '0';
    F.Shell.HoveredButton = 3;
  } else if (Name == "exit-game") {
    F.OpenDialog(dkExitGame);
  } else if (Name == "clear-scores") {
    F.PressButton(3);
    Run(F, P, 5);
    F.OpenDialog(dkClearScores);
  } else {
    Leave();
    F.StartGame();
    Run(F, P, 30);
    F.GameState.Score = 4800;
    F.GameState.Level = 2;
    if (Name == "exit-to-menu") {
      F.OpenDialog(dkExitToMenu);
    } else if (Name == "pause") {
      F.OpenDialog(dkPause);
    } else if (Name == "level") {
      F.OpenLevelBanner();
    } else if (Name == "game-over") {
      F.OpenGameOverBanner();
    } else if (Name == "enter-name") {
      F.Shell.PlayerName = "Mallard";
      F.OpenDialog(dkEnterName);
    } else if (Name == "send-score") {
      F.OpenDialog(dkSendScore);
    } else if (Name == "sending") {
      F.OpenDialog(dkSending);
      F.Shell.SendStarted = true;  // the message as it shows while the upload runs
      Run(F, P, 1);
      return true;
    } else if (Name != "play") {
      return false;
    }
  }
  Run(F, P, 12);
  return true;
}

}  // namespace

int main(int Argc, char** Argv) {
  if (Argc != 3) {
    std::fprintf(stderr, "usage: shellshots SCENE OUT.ppm\n");
    return 2;
  }
  TSdlPlatform Platform;
  TMForm Form(Platform);
  std::string Error;
  if (!Form.FormCreate(Error)) {
    std::fprintf(stderr, "shellshots: %s\n", Error.c_str());
    return 1;
  }
  if (!Scene(Form, Platform, Argv[1])) {
    std::fprintf(stderr, "shellshots: no scene '%s'\n", Argv[1]);
    return 2;
  }
  const TDirectDrawSurface* S = Form.MDXDraw.Surface();
  if (S == nullptr) {
    std::fprintf(stderr, "shellshots: the display is not drawing\n");
    return 1;
  }
  std::ofstream Out(Argv[2], std::ios::binary);
  Out << "P6\n" << S->Width() << " " << S->Height() << "\n255\n";
  for (int32_t Y = 0; Y < S->Height(); ++Y)
    for (int32_t X = 0; X < S->Width(); ++X) {
      const uint32_t C = S->Pixel(X, Y);
      const char Rgb[3] = {static_cast<char>(C >> 16), static_cast<char>(C >> 8),
                           static_cast<char>(C)};
      Out.write(Rgb, 3);
    }
  return Out ? 0 : 1;
}
