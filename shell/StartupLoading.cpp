// The start-up's second part: what the main menu's first picture does not need, loaded
// one piece a frame after that picture, or all at once when something needs it earlier.

#include <cstdint>

#include "shell/MainForm.h"
#include "shell/PackLoading.h"

namespace {

// Pixels of pictures decoded after one frame: about a millisecond's work here, so the
// menu's fade-in goes on smoothly while the packs fill in (a picture larger than this is
// still decoded whole).
constexpr int64_t KPixelsPerFrame = 256 * 1024;

}  // namespace

void TMForm::ContinueLoading() {
  LoadingStep(KPixelsPerFrame);
}

void TMForm::FinishLoading() {
  while (StartupPending()) LoadingStep(INT64_MAX);
}

void TMForm::LoadingStep(int64_t MaxPixels) {
  switch (FStartupStep) {
    case TStartupStep::SoundDevice:
      // Opening the sound output costs more than a whole picture: it waited until now.
      MDXSound.Loaded();
      FStartupStep = TStartupStep::InputDevices;
      break;
    case TStartupStep::InputDevices:
      // The joystick scan: the menu reads no keys while its buttons fade in.
      MDXInput.Initialize();
      FStartupStep = TStartupStep::MenuMusic;
      break;
    case TStartupStep::MenuMusic:
      if (FMenuMusicPending && Shell.ScreenKind == skMainMenu) PlayScreenMusic();
      FMenuMusicPending = false;
      FStartupStep = TStartupStep::MenuPictures;
      break;
    case TStartupStep::MenuPictures:
      if (DecodeImagePack(MDXImageList1, DataRoot + kMenuPack, MaxPixels))
        FStartupStep = TStartupStep::PlayPictures;
      break;
    case TStartupStep::PlayPictures:
      if (DecodeImagePack(MDXImageList2, DataRoot + kPlayPack, MaxPixels))
        FStartupStep = TStartupStep::Done;
      break;
    case TStartupStep::Done:
      break;
  }
}
