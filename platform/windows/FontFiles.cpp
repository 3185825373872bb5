#include "platform/sdl/FontFiles.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/FontAliases.h"
#include "platform/FontNames.h"
#include "platform/windows/Wide.h"

namespace {

std::string ReadAll(const std::string& Path) {
  std::ifstream In(PathOf(Path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>());
}

struct TShippedFont {
  std::string Path;
  TFontNames Names;
};

}  // namespace

struct TFontFiles::TState {
  TFontAliases Aliases;
  std::vector<TShippedFont> Fonts;
};

// The fonts are the files of the Fonts folder beside the alias file (Data/Fonts), known by
// the names they give themselves; paths stay UTF-8, as every path inside the program.
TFontFiles::TFontFiles(const std::string& ConfigFile) : F(std::make_unique<TState>()) {
  F->Aliases = TFontAliases::Parse(ReadAll(ConfigFile));
  const size_t Slash = ConfigFile.find_last_of("/\\");
  const std::string Folder =
      (Slash == std::string::npos ? std::string() : ConfigFile.substr(0, Slash + 1)) + "Fonts";
  std::error_code Ec;
  std::vector<std::string> Names;
  for (const auto& Entry : std::filesystem::directory_iterator(PathOf(Folder), Ec))
    if (Entry.is_regular_file(Ec)) Names.push_back(Utf8Of(Entry.path().filename()));
  std::sort(Names.begin(), Names.end());  // the same choice whatever order the folder lists
  for (const std::string& Name : Names) {
    TShippedFont Font{Folder + "/" + Name, {}};
    const std::string Bytes = ReadAll(Font.Path);
    if (ReadFontNames({reinterpret_cast<const uint8_t*>(Bytes.data()), Bytes.size()}, Font.Names))
      F->Fonts.push_back(std::move(Font));
  }
}

TFontFiles::~TFontFiles() = default;

// The first family of the alias rules that a shipped font has; of its files the cut of the
// weight asked for, else the other one (a bold face is then emboldened by the renderer).
TFontFiles::TMatch TFontFiles::Match(const std::string& Face, bool Bold) {
  for (const std::string& Family : F->Aliases.Families(Face)) {
    const TShippedFont* Other = nullptr;
    for (const TShippedFont& Font : F->Fonts) {
      if (!SameFamily(Font.Names.Family, Family)) continue;
      if (Font.Names.Bold == Bold) return {Font.Path, 0, Font.Names.Bold};
      if (!Other || (!Font.Names.Bold && Other->Names.Bold)) Other = &Font;
    }
    if (Other) return {Other->Path, 0, Other->Names.Bold};
  }
  return {};
}
