#include "platform/sdl/FontFiles.h"

#include <SDL.h>
#include <fontconfig/fontconfig.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "platform/sdl/LibraryFunction.h"

// Fontconfig, with freetype behind it, is loaded with the first text instead of being
// linked (see SdlFonts.cpp), and kept for the run.
namespace {

struct TFontconfig {
  decltype(&FcInitLoadConfigAndFonts) InitLoadConfigAndFonts = nullptr;
  decltype(&FcConfigParseAndLoad) ConfigParseAndLoad = nullptr;
  decltype(&FcConfigDestroy) ConfigDestroy = nullptr;
  decltype(&FcConfigSubstitute) ConfigSubstitute = nullptr;
  decltype(&FcDefaultSubstitute) DefaultSubstitute = nullptr;
  decltype(&FcFontMatch) FontMatch = nullptr;
  decltype(&FcPatternCreate) PatternCreate = nullptr;
  decltype(&FcPatternDestroy) PatternDestroy = nullptr;
  decltype(&FcPatternAddString) PatternAddString = nullptr;
  decltype(&FcPatternAddInteger) PatternAddInteger = nullptr;
  decltype(&FcPatternGetString) PatternGetString = nullptr;
  decltype(&FcPatternGetInteger) PatternGetInteger = nullptr;
};

const TFontconfig* LoadFontconfig() {
  static const TFontconfig* const Loaded = []() -> const TFontconfig* {
    static TFontconfig L;
    void* Fc = SDL_LoadObject("libfontconfig.so.1");
    const bool Ok = Fc && FindFunction(Fc, "FcInitLoadConfigAndFonts", L.InitLoadConfigAndFonts) &&
                    FindFunction(Fc, "FcConfigParseAndLoad", L.ConfigParseAndLoad) &&
                    FindFunction(Fc, "FcConfigDestroy", L.ConfigDestroy) &&
                    FindFunction(Fc, "FcConfigSubstitute", L.ConfigSubstitute) &&
                    FindFunction(Fc, "FcDefaultSubstitute", L.DefaultSubstitute) &&
                    FindFunction(Fc, "FcFontMatch", L.FontMatch) &&
                    FindFunction(Fc, "FcPatternCreate", L.PatternCreate) &&
                    FindFunction(Fc, "FcPatternDestroy", L.PatternDestroy) &&
                    FindFunction(Fc, "FcPatternAddString", L.PatternAddString) &&
                    FindFunction(Fc, "FcPatternAddInteger", L.PatternAddInteger) &&
                    FindFunction(Fc, "FcPatternGetString", L.PatternGetString) &&
                    FindFunction(Fc, "FcPatternGetInteger", L.PatternGetInteger);
    if (!Ok) {
      std::fprintf(stderr, "Text: %s\n", SDL_GetError());
      return nullptr;
    }
    return &L;
  }();
  return Loaded;
}

}  // namespace

struct TFontFiles::TState {
  const TFontconfig* Lib = nullptr;
  FcConfig* Config = nullptr;
};

TFontFiles::TFontFiles(const std::string& ConfigFile) : F(std::make_unique<TState>()) {
  F->Lib = LoadFontconfig();
  if (!F->Lib) return;
  F->Config = F->Lib->InitLoadConfigAndFonts();
  // Fontconfig takes a relative file name as relative to its own configuration folder, not
  // to the working directory: hand it the absolute path of ours.
  if (F->Config && std::ifstream(ConfigFile).good()) {
    std::error_code Ignored;
    const std::string Path = std::filesystem::absolute(ConfigFile, Ignored).string();
    F->Lib->ConfigParseAndLoad(F->Config, reinterpret_cast<const FcChar8*>(Path.c_str()), FcFalse);
  }
}

TFontFiles::~TFontFiles() {
  if (F->Config) F->Lib->ConfigDestroy(F->Config);
}

TFontFiles::TMatch TFontFiles::Match(const std::string& Face, bool Bold) {
  TMatch M;
  if (!F->Config) return M;
  const TFontconfig& L = *F->Lib;
  FcPattern* Pattern = L.PatternCreate();
  L.PatternAddString(Pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(Face.c_str()));
  L.PatternAddInteger(Pattern, FC_WEIGHT, Bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  L.PatternAddInteger(Pattern, FC_SLANT, FC_SLANT_ROMAN);
  L.ConfigSubstitute(F->Config, Pattern, FcMatchPattern);
  L.DefaultSubstitute(Pattern);
  FcResult Result = FcResultNoMatch;
  FcPattern* Found = L.FontMatch(F->Config, Pattern, &Result);
  L.PatternDestroy(Pattern);
  if (!Found) return M;
  FcChar8* File = nullptr;
  if (L.PatternGetString(Found, FC_FILE, 0, &File) == FcResultMatch && File)
    M.Path = reinterpret_cast<const char*>(File);
  int Weight = FC_WEIGHT_REGULAR;
  if (L.PatternGetInteger(Found, FC_WEIGHT, 0, &Weight) == FcResultMatch)
    M.IsBold = Weight >= FC_WEIGHT_BOLD;
  L.PatternGetInteger(Found, FC_INDEX, 0, &M.Index);
  L.PatternDestroy(Found);
  return M;
}
