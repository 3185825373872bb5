// The screenshot key: the picture last shown, written as a PNG beside the save files.

#include <cstdio>
#include <ctime>

#include "platform/Files.h"
#include "platform/PngFile.h"
#include "shell/MainForm.h"

std::string TMForm::TakeScreenshot() {
  // The back surface still holds the frame last presented: the next frame has not begun.
  const TDirectDrawSurface* Surface = MDXDraw.Surface();
  if (!Surface || Surface->Empty()) return {};
  const std::string Folder = (SaveRoot.empty() ? DataRoot : SaveRoot) + "Data/Screenshots";
  std::string Error;
  if (!MakeFolders(Folder, Error)) {
    std::fprintf(stderr, "Screenshot: cannot make %s (%s)\n", Folder.c_str(), Error.c_str());
    return {};
  }
  // Local time to the second; a second shot within the same second gets a number.
  const std::time_t Now = std::time(nullptr);
  const std::tm Local = LocalTime(Now);
  char Stamp[32];
  std::strftime(Stamp, sizeof Stamp, "%Y-%m-%d_%H-%M-%S", &Local);
  const std::string Stem = Folder + "/Tallow-Brackles_" + Stamp;
  std::string File = Stem + ".png";
  for (int32_t N = 2; PathExists(File) && N < 1000; ++N)
    File = Stem + "_" + std::to_string(N) + ".png";
  if (!WritePngFile(File, Surface->Pixels(), Surface->Width(), Surface->Height(),
                    Surface->PitchBytes(), Error)) {
    std::fprintf(stderr, "Screenshot: %s\n", Error.c_str());
    return {};
  }
  PlayCue("Button");
  return File;
}
