// dxpack build: manifest -> pack.
#include <exception>
#include <filesystem>
#include <unordered_set>

#include "tools/dxpack/Commands.h"
#include "tools/dxpack/Files.h"
#include "tools/dxpack/Manifest.h"
#include "tools/dxpack/Palette.h"
#include "tools/dxpack/Raster.h"
#include "tools/packwriter/PackWriter.h"
#ifdef TB_HAVE_SOUNDMAKER
#include "tools/soundmaker/SoundMaker.h"
#endif

namespace dxpack {

namespace fs = std::filesystem;

namespace {

// The shared palette lives in assets/: look beside the manifest, then up to three folders up.
bool FindPalette(const fs::path& ManifestDir, std::string& Path, std::string& Error) {
  fs::path Dir = ManifestDir;
  for (int Up = 0; Up < 4; ++Up) {
    std::error_code Ec;
    if (fs::is_regular_file(Dir / "palette.txt", Ec)) {
      Path = (Dir / "palette.txt").string();
      return true;
    }
    if (!Dir.has_parent_path() || Dir.parent_path() == Dir) break;
    Dir = Dir.parent_path();
  }
  Error = ManifestDir.string() + ": no palette.txt beside the manifest or in the folders above";
  return false;
}

bool IsWaveFile(const std::vector<uint8_t>& B) {
  return B.size() >= 12 && std::equal(B.begin(), B.begin() + 4, "RIFF") &&
         std::equal(B.begin() + 8, B.begin() + 12, "WAVE");
}

size_t CountColours(const std::vector<uint32_t>& Rgb, size_t Limit) {
  std::unordered_set<uint32_t> Seen;
  for (uint32_t V : Rgb) {
    Seen.insert(V);
    if (Seen.size() >= Limit) break;
  }
  return Seen.size();
}

bool EndsWith(const std::string& S, const std::string& Tail) {
  return S.size() >= Tail.size() && S.compare(S.size() - Tail.size(), Tail.size(), Tail) == 0;
}

bool BuildImages(const TManifest& M, const fs::path& Dir, const std::string& ManifestPath,
                 std::vector<uint8_t>& Pack, std::string& Error) {
  std::string PalettePath;
  TPalette Palette;
  if (!FindPalette(Dir, PalettePath, Error) || !LoadPalette(PalettePath, Palette, Error))
    return false;
  std::vector<TImagePackItem> Items;
  for (const TImageEntry& E : M.Images) {
    const std::string Where = ManifestPath + ":" + std::to_string(E.Line) + ": " + E.Name;
    const std::string Src = (Dir / E.Source).string();
    if (!EndsWith(E.Source, ".svg")) {
      Error = Where + ": source '" + E.Source + "' is not an .svg file";
      return false;
    }
    std::string Text, Resolved;
    TImage Image;
    if (!ReadFileText(Src, Text, Error) || !SubstituteTokens(Text, Palette, Src, Resolved, Error) ||
        !RasteriseSvg(Resolved, Src, E.KeyRgb, Image, Error))
      return false;
    bool Exact = false;
    const int32_t Count = GridCount(Image.Width, Image.Height, E.PatternWidth, E.PatternHeight,
                                    E.SkipWidth, E.SkipHeight, &Exact);
    const std::string Size = std::to_string(Image.Width) + " x " + std::to_string(Image.Height);
    if (Count == 0) {
      Error = Where + ": pattern " + std::to_string(E.PatternWidth) + " x " +
              std::to_string(E.PatternHeight) + " does not fit the " + Size + " picture " + Src;
      return false;
    }
    if (!Exact) {
      Error = Where + ": the " + Size + " picture " + Src +
              " does not divide into whole patterns of " + std::to_string(E.PatternWidth) + " x " +
              std::to_string(E.PatternHeight) + " with skips " + std::to_string(E.SkipWidth) +
              ", " + std::to_string(E.SkipHeight);
      return false;
    }
    if (Count != E.Count) {
      Error = Where + ": the " + Size + " picture " + Src + " gives " + std::to_string(Count) +
              " patterns, the manifest says " + std::to_string(E.Count);
      return false;
    }
    TImagePackItem Item;
    Item.Name = E.Name;
    Item.Picture.SetSize(Image.Width, Image.Height);
    std::copy(Image.Rgb.begin(), Image.Rgb.end(), Item.Picture.Pixels());
    Item.PatternWidth = E.PatternWidth;
    Item.PatternHeight = E.PatternHeight;
    Item.SkipWidth = E.SkipWidth;
    Item.SkipHeight = E.SkipHeight;
    // The pack keeps colours as 0x00BBGGRR.
    Item.TransparentColor =
        ((E.KeyRgb & 0xFF) << 16) | (E.KeyRgb & 0xFF00) | ((E.KeyRgb >> 16) & 0xFF);
    Item.SystemMemory = E.SystemMemory;
    Item.Transparent = true;
    // 8-bit paletted where the picture has at most 256 colours, else 24-bit.
    Item.BitCount = CountColours(Image.Rgb, 257) <= 256 ? 8 : 24;
    Items.push_back(std::move(Item));
  }
  if (!WriteImagePack(Items, Pack, Error)) {
    Error = ManifestPath + ": " + Error;
    return false;
  }
  return true;
}

bool BuildSounds(const TManifest& M, const fs::path& Dir, const std::string& ManifestPath,
                 std::vector<uint8_t>& Pack, std::string& Error) {
  std::vector<TWavePackItem> Items;
  for (const TSoundEntry& E : M.Sounds) {
    const std::string Where = ManifestPath + ":" + std::to_string(E.Line) + ": " + E.Name;
    const std::string Src = (Dir / E.Source).string();
    TWavePackItem Item;
    Item.Name = E.Name;
    Item.Looped = E.Looped;
    Item.MaxPlayingCount = E.MaxPlayingCount;
    if (EndsWith(E.Source, ".wav")) {
      if (!ReadFileBytes(Src, Item.WaveFile, Error)) return false;
      if (!IsWaveFile(Item.WaveFile)) {
        Error = Src + ": not a RIFF/WAVE file";
        return false;
      }
    } else if (EndsWith(E.Source, ".snd")) {
#ifdef TB_HAVE_SOUNDMAKER
      std::string Why;
      if (!RenderSoundFile(Src, Item.WaveFile, Why)) {
        Error = Src + ": " + Why;
        return false;
      }
#else
      Error = Where + ": this dxpack was built without the sound maker, cannot render " + Src;
      return false;
#endif
    } else {
      Error = Where + ": source '" + E.Source + "' is neither .snd nor .wav";
      return false;
    }
    Items.push_back(std::move(Item));
  }
  if (!WriteWavePack(Items, Pack, Error)) {
    Error = ManifestPath + ": " + Error;
    return false;
  }
  return true;
}

}  // namespace

bool CommandBuild(const std::string& ManifestPath, const std::string& Out, std::string& Error) {
  std::string Text;
  TManifest M;
  if (!ReadFileText(ManifestPath, Text, Error) || !ParseManifest(Text, ManifestPath, M, Error))
    return false;
  const bool WantSound = EndsWith(Out, ".dxw");
  if (WantSound != (M.Kind == TPackKind::Sound)) {
    Error = Out + ": " + (WantSound ? "a .dxw sound pack" : "an image pack") +
            " cannot be built from " + ManifestPath + ", which lists " +
            (M.Kind == TPackKind::Sound ? "sounds" : "pictures");
    return false;
  }
  const fs::path Dir = fs::path(ManifestPath).parent_path();
  std::vector<uint8_t> Pack;
  try {
    const bool Ok = M.Kind == TPackKind::Image ? BuildImages(M, Dir, ManifestPath, Pack, Error)
                                               : BuildSounds(M, Dir, ManifestPath, Pack, Error);
    if (!Ok) return false;
  } catch (const std::exception& Ex) {
    Error = ManifestPath + ": " + Ex.what();
    return false;
  }
  return WriteFileAtomic(Out, Pack, Error);
}

}  // namespace dxpack
