#pragma once
// Text through SDL2_ttf. Face names are matched with the game's own alias file
// (Data/fonts.conf): by fontconfig on top of the system's configuration on Linux, over the
// shipped fonts on Windows (see FontFiles.h); fonts are opened at 96 DPI so that point sizes
// give the pixel sizes the game was laid out with.

#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "platform/Platform.h"

struct _TTF_Font;
struct TTextLibraries;
class TFontFiles;

class TSdlFonts final : public IFontSystem {
 public:
  explicit TSdlFonts(std::string ConfigFile = "Data/fonts.conf");
  ~TSdlFonts() override;
  TSdlFonts(const TSdlFonts&) = delete;
  TSdlFonts& operator=(const TSdlFonts&) = delete;

  TFontHandle OpenFont(const std::string& Face, int32_t Size, bool Bold) override;
  void TextExtent(TFontHandle Font, const std::string& Text, int32_t& Width,
                  int32_t& Height) override;
  void DrawText(TFontHandle Font, const std::string& Text, uint32_t Colour, uint32_t* Pixels,
                int32_t Width, int32_t Height, int32_t PitchBytes, int32_t X, int32_t Y) override;

  // The file chosen for a face (empty when none), for diagnostics and tests.
  std::string MatchFile(const std::string& Face, bool Bold, int& Index, bool& IsBold);

 private:
  bool Start();
  _TTF_Font* Get(TFontHandle Font);

  std::string FConfigFile;
  // SDL_ttf, loaded by Start; null when it could not be.
  const TTextLibraries* FLib = nullptr;
  bool FStarted = false;
  bool FTtfStarted = false;
  std::unique_ptr<TFontFiles> FFiles;
  std::vector<_TTF_Font*> FFonts;  // handle i is FFonts[i - 1]
  std::map<std::tuple<std::string, int32_t, bool>, TFontHandle> FByKey;
};
