#include "tools/dxpack/Commands.h"

#include <cstdio>
#include <filesystem>

#include "tools/dxpack/Files.h"
#include "tools/dxpack/PackReader.h"
#include "tools/dxpack/Palette.h"
#include "tools/dxpack/Raster.h"
#include "tools/dxpack/Sheet.h"

namespace dxpack {

bool CommandRender(const std::string& PalettePath, const std::string& Svg,
                   const std::string& OutPng, std::string& Error) {
  TPalette Palette;
  std::string Text, Resolved;
  TImage Image;
  if (!LoadPalette(PalettePath, Palette, Error) || !ReadFileText(Svg, Text, Error) ||
      !SubstituteTokens(Text, Palette, Svg, Resolved, Error) ||
      !RasteriseSvg(Resolved, Svg, 0xFF00FF, Image, Error))
    return false;
  std::vector<uint32_t> Argb(Image.Rgb.size());
  for (size_t I = 0; I < Argb.size(); ++I) Argb[I] = 0xFF000000u | Image.Rgb[I];
  return WritePng(OutPng, Image.Width, Image.Height, Argb, Error);
}

bool CommandList(const std::string& PackPath, std::string& Out, std::string& Error) {
  TPackContents Pack;
  if (!ReadPack(PackPath, Pack, Error)) return false;
  char Line[512];
  for (const TPackPicture& P : Pack.Pictures) {
    std::snprintf(Line, sizeof Line,
                  "%-16s %4d x %-4d %2d bpp  pattern %4d x %-4d x %-3zu key %s\n", P.Name.c_str(),
                  P.Width, P.Height, P.BitCount, P.ItemWidth, P.ItemHeight, P.Patterns.size(),
                  HexColor(P.KeyRgb).c_str());
    Out += Line;
  }
  for (const TPackSound& S : Pack.Sounds) {
    std::snprintf(Line, sizeof Line, "%-16s %d ch %6d Hz %2d bit %6lld ms  looped %-3s limit %d\n",
                  S.Name.c_str(), S.Channels, S.Rate, S.Bits, static_cast<long long>(S.LengthMs),
                  S.Looped ? "yes" : "no", S.MaxPlayingCount);
    Out += Line;
  }
  return true;
}

bool CommandExtract(const std::string& PackPath, const std::string& Dir, std::string& Error) {
  TPackContents Pack;
  if (!ReadPack(PackPath, Pack, Error)) return false;
  std::error_code Ec;
  std::filesystem::create_directories(Dir, Ec);
  if (Ec) {
    Error = Dir + ": cannot make the folder (" + Ec.message() + ")";
    return false;
  }
  for (const TPackPicture& P : Pack.Pictures) {
    if (P.Rgb.empty()) continue;
    std::vector<uint32_t> Argb(P.Rgb.size());
    for (size_t I = 0; I < Argb.size(); ++I) Argb[I] = 0xFF000000u | P.Rgb[I];
    const std::string Path =
        (std::filesystem::path(Dir) / (SafeFileName(P.Name) + ".png")).string();
    if (!WritePng(Path, P.Width, P.Height, Argb, Error)) return false;
  }
  for (const TPackSound& S : Pack.Sounds) {
    const std::string Path =
        (std::filesystem::path(Dir) / (SafeFileName(S.Name) + ".wav")).string();
    if (!WriteFileAtomic(Path, S.WaveFile, Error)) return false;
  }
  return true;
}

bool CommandSheet(const std::string& PackPath, const std::string& OutPng, std::string& Error) {
  TPackContents Pack;
  if (!ReadPack(PackPath, Pack, Error)) return false;
  if (Pack.IsSound) {
    Error = PackPath + ": a sound pack has no pictures for a contact sheet";
    return false;
  }
  return DrawSheet(Pack, OutPng, Error);
}

}  // namespace dxpack
