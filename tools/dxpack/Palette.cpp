#include "tools/dxpack/Palette.h"

#include <cctype>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace dxpack {

namespace {

bool IsTokenChar(char C) {
  return std::isalnum(static_cast<unsigned char>(C)) || C == '-' || C == '_';
}

}  // namespace

bool ParseHexColor(const std::string& Text, uint32_t& Color) {
  if (Text.size() != 7 || Text[0] != '#') return false;
  uint32_t V = 0;
  for (size_t I = 1; I < 7; ++I) {
    char C = static_cast<char>(std::tolower(static_cast<unsigned char>(Text[I])));
    int D;
    if (C >= '0' && C <= '9') {
      D = C - '0';
    } else if (C >= 'a' && C <= 'f') {
      D = C - 'a' + 10;
    } else {
      return false;
    }
    V = (V << 4) | static_cast<uint32_t>(D);
  }
  Color = V;
  return true;
}

std::string HexColor(uint32_t Rgb) {
  char Buf[8];
  std::snprintf(Buf, sizeof Buf, "#%06x", Rgb & 0xFFFFFFu);
  return Buf;
}

bool ParsePalette(const std::string& Text, const std::string& FileName, TPalette& Palette,
                  std::string& Error) {
  std::istringstream In(Text);
  std::string Line;
  int LineNo = 0;
  while (std::getline(In, Line)) {
    ++LineNo;
    std::istringstream Fields(Line);
    std::string Name, Value, Extra;
    if (!(Fields >> Name) || Name[0] == '#') continue;
    uint32_t Color = 0;
    if (!(Fields >> Value) || !ParseHexColor(Value, Color) || (Fields >> Extra)) {
      Error = FileName + ":" + std::to_string(LineNo) + ": expected \"name #rrggbb\"";
      return false;
    }
    for (char C : Name) {
      if (!IsTokenChar(C)) {
        Error = FileName + ":" + std::to_string(LineNo) + ": bad colour name '" + Name + "'";
        return false;
      }
    }
    if (!Palette.Colors.emplace(Name, Color).second) {
      Error = FileName + ":" + std::to_string(LineNo) + ": colour '" + Name + "' defined twice";
      return false;
    }
  }
  return true;
}

bool LoadPalette(const std::string& Path, TPalette& Palette, std::string& Error) {
  std::ifstream In(Path, std::ios::binary);
  if (!In) {
    Error = Path + ": cannot open the palette";
    return false;
  }
  std::stringstream Buf;
  Buf << In.rdbuf();
  return ParsePalette(Buf.str(), Path, Palette, Error);
}

bool SubstituteTokens(const std::string& Text, const TPalette& Palette, const std::string& FileName,
                      std::string& Out, std::string& Error) {
  Out.clear();
  Out.reserve(Text.size());
  size_t I = 0;
  while (I < Text.size()) {
    if (Text[I] != '@') {
      Out += Text[I++];
      continue;
    }
    size_t J = I + 1;
    while (J < Text.size() && IsTokenChar(Text[J])) ++J;
    std::string Name = Text.substr(I + 1, J - I - 1);
    auto It = Palette.Colors.find(Name);
    if (It == Palette.Colors.end()) {
      Error = FileName + ": colour token '@" + Name + "' is not in the palette";
      return false;
    }
    Out += HexColor(It->second);
    I = J;
  }
  return true;
}

}  // namespace dxpack
