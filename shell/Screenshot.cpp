// The screenshot key: the picture last shown, written as a PNG beside the save files.

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "platform/PngFile.h"
#include "shell/MainForm.h"

std::string TMForm::TakeScreenshot() {
  // The back surface still holds the frame last presented: the next frame has not begun.
  const TDirectDrawSurface* Surface = MDXDraw.Surface();
  if (!Surface || Surface->Empty()) return {};
  const std::filesystem::path Folder =
      std::filesystem::path((SaveRoot.empty() ? DataRoot : SaveRoot) + "Data/Screenshots");
  std::error_code Ec;
  std::filesystem::create_directories(Folder, Ec);
  if (Ec) {
    std::fprintf(stderr, "Screenshot: cannot make %s (%s)\n", Folder.string().c_str(),
                 Ec.message().c_str());
    return {};
  }
  // Local time to the second; a second shot within the same second gets a number.
  const std::time_t Now = std::time(nullptr);
  std::tm Local{};
  localtime_r(&Now, &Local);
  char Stamp[32];
  std::strftime(Stamp, sizeof Stamp, "%Y-%m-%d_%H-%M-%S", &Local);
  std::filesystem::path File = Folder / ("Tallow-Brackles_" + std::string(Stamp) + ".png");
  for (int32_t N = 2; std::filesystem::exists(File, Ec) && N < 1000; ++N)
    File = Folder / ("Tallow-Brackles_" + std::string(Stamp) + "_" + std::to_string(N) + ".png");
  std::string Error;
  if (!WritePngFile(File.string(), Surface->Pixels(), Surface->Width(), Surface->Height(),
                    Surface->PitchBytes(), Error)) {
    std::fprintf(stderr, "Screenshot: %s\n", Error.c_str());
    return {};
  }
  PlayCue("Button");
  return File.string();
}
