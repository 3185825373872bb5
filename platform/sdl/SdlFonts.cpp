#include "platform/sdl/SdlFonts.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include <algorithm>
#include <cstdio>

#include "platform/sdl/FontFiles.h"
#include "platform/sdl/LibraryFunction.h"
#include "platform/sdl/SdlText.h"

// SDL_ttf, with freetype (and on Linux fontconfig, harfbuzz and glib) behind it, is loaded
// with the first text instead of being linked: linking them costs the start about a
// millisecond before main runs, and the main menu's first picture holds no text.
struct TTextLibraries {
  decltype(&TTF_Init) Init = nullptr;
  decltype(&TTF_Quit) Quit = nullptr;
  decltype(&TTF_OpenFontIndexDPI) OpenFontIndexDPI = nullptr;
  decltype(&TTF_CloseFont) CloseFont = nullptr;
  decltype(&TTF_SetFontStyle) SetFontStyle = nullptr;
  decltype(&TTF_FontHeight) FontHeight = nullptr;
  decltype(&TTF_SizeUTF8) SizeUTF8 = nullptr;
  decltype(&TTF_RenderUTF8_Blended) RenderUTF8_Blended = nullptr;
};

namespace {

// Loaded once for the whole run and never unloaded (its own exit handlers may refer to it);
// null when the library or any of its functions is missing.
const TTextLibraries* LoadTextLibraries() {
  static const TTextLibraries* const Loaded = []() -> const TTextLibraries* {
    static TTextLibraries L;
    void* Ttf = OpenLazyLibrary(TLazyLibrary::Text);
    const bool Ok = Ttf && FindFunction(Ttf, "TTF_Init", L.Init) &&
                    FindFunction(Ttf, "TTF_Quit", L.Quit) &&
                    FindFunction(Ttf, "TTF_OpenFontIndexDPI", L.OpenFontIndexDPI) &&
                    FindFunction(Ttf, "TTF_CloseFont", L.CloseFont) &&
                    FindFunction(Ttf, "TTF_SetFontStyle", L.SetFontStyle) &&
                    FindFunction(Ttf, "TTF_FontHeight", L.FontHeight) &&
                    FindFunction(Ttf, "TTF_SizeUTF8", L.SizeUTF8) &&
                    FindFunction(Ttf, "TTF_RenderUTF8_Blended", L.RenderUTF8_Blended);
    if (!Ok) {
      std::fprintf(stderr, "Text: %s\n", SDL_GetError());
      return nullptr;
    }
    return &L;
  }();
  return Loaded;
}

}  // namespace

TSdlFonts::TSdlFonts(std::string ConfigFile) : FConfigFile(std::move(ConfigFile)) {}

TSdlFonts::~TSdlFonts() {
  FFiles.reset();
  if (!FLib) return;
  for (TTF_Font* F : FFonts)
    if (F) FLib->CloseFont(F);
  if (FTtfStarted) FLib->Quit();
}

bool TSdlFonts::Start() {
  if (FStarted) return FTtfStarted;
  FStarted = true;
  FLib = LoadTextLibraries();
  if (!FLib) return false;
  FTtfStarted = FLib->Init() == 0;
  FFiles = std::make_unique<TFontFiles>(FConfigFile);
  return FTtfStarted;
}

std::string TSdlFonts::MatchFile(const std::string& Face, bool Bold, int& Index, bool& IsBold) {
  Start();
  Index = 0;
  IsBold = false;
  if (!FFiles) return "";
  const TFontFiles::TMatch M = FFiles->Match(Face, Bold);
  Index = M.Index;
  IsBold = M.IsBold;
  return M.Path;
}

TFontHandle TSdlFonts::OpenFont(const std::string& Face, int32_t Size, bool Bold) {
  auto Key = std::make_tuple(Face, Size, Bold);
  auto It = FByKey.find(Key);
  if (It != FByKey.end()) return It->second;
  TFontHandle Handle = 0;
  if (Start() && Size > 0) {
    int Index = 0;
    bool IsBold = false;
    const std::string Path = MatchFile(Face, Bold, Index, IsBold);
    TTF_Font* Font =
        Path.empty() ? nullptr : FLib->OpenFontIndexDPI(Path.c_str(), Size, Index, 96, 96);
    if (Font) {
      // A face without a bold cut is emboldened by the renderer.
      if (Bold && !IsBold) FLib->SetFontStyle(Font, TTF_STYLE_BOLD);
      FFonts.push_back(Font);
      Handle = static_cast<TFontHandle>(FFonts.size());
    }
  }
  FByKey.emplace(Key, Handle);
  return Handle;
}

TTF_Font* TSdlFonts::Get(TFontHandle Font) {
  if (Font <= 0 || Font > static_cast<TFontHandle>(FFonts.size())) return nullptr;
  return FFonts[Font - 1];
}

void TSdlFonts::TextExtent(TFontHandle Font, const std::string& Text, int32_t& Width,
                           int32_t& Height) {
  Width = Height = 0;
  TTF_Font* F = Get(Font);
  if (!F) return;
  int W = 0, H = 0;
  if (Text.empty()) {
    H = FLib->FontHeight(F);
  } else if (FLib->SizeUTF8(F, Latin1ToUtf8(Text).c_str(), &W, &H) != 0) {
    W = H = 0;
  }
  Width = W;
  Height = H;
}

void TSdlFonts::DrawText(TFontHandle Font, const std::string& Text, uint32_t Colour,
                         uint32_t* Pixels, int32_t Width, int32_t Height, int32_t PitchBytes,
                         int32_t X, int32_t Y) {
  TTF_Font* F = Get(Font);
  if (!F || Text.empty() || !Pixels) return;
  const SDL_Color C{static_cast<Uint8>(Colour >> 16), static_cast<Uint8>(Colour >> 8),
                    static_cast<Uint8>(Colour), 255};
  SDL_Surface* Glyphs = FLib->RenderUTF8_Blended(F, Latin1ToUtf8(Text).c_str(), C);
  if (!Glyphs) return;
  SDL_Surface* Argb = Glyphs->format->format == SDL_PIXELFORMAT_ARGB8888
                          ? Glyphs
                          : SDL_ConvertSurfaceFormat(Glyphs, SDL_PIXELFORMAT_ARGB8888, 0);
  if (Argb) {
    SDL_LockSurface(Argb);
    // Clear brush: only the glyphs' own coverage is blended over the picture.
    const int32_t X0 = std::max(X, 0), X1 = std::min(X + Argb->w, Width);
    const int32_t Y0 = std::max(Y, 0), Y1 = std::min(Y + Argb->h, Height);
    for (int32_t Py = Y0; Py < Y1; ++Py) {
      const auto* Src = reinterpret_cast<const uint32_t*>(
          static_cast<const uint8_t*>(Argb->pixels) + static_cast<size_t>(Py - Y) * Argb->pitch);
      auto* Dst = reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(Pixels) +
                                              static_cast<size_t>(Py) * PitchBytes);
      for (int32_t Px = X0; Px < X1; ++Px) {
        const uint32_t S = Src[Px - X];
        const uint32_t A = S >> 24;
        if (A == 0) continue;
        if (A == 255) {
          Dst[Px] = S & 0x00FFFFFFu;
          continue;
        }
        const uint32_t D = Dst[Px];
        auto Mix = [A](uint32_t Sc, uint32_t Dc) { return (Sc * A + Dc * (255 - A) + 127) / 255; };
        Dst[Px] = (Mix((S >> 16) & 0xFF, (D >> 16) & 0xFF) << 16) |
                  (Mix((S >> 8) & 0xFF, (D >> 8) & 0xFF) << 8) | Mix(S & 0xFF, D & 0xFF);
      }
    }
    SDL_UnlockSurface(Argb);
    if (Argb != Glyphs) SDL_FreeSurface(Argb);
  }
  SDL_FreeSurface(Glyphs);
}
