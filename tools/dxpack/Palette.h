#pragma once
// The shared palette (assets/palette.txt): lines "name #rrggbb", '#' at line start a comment.
// SVG sources write colours as @name; SubstituteTokens swaps in the #rrggbb value.

#include <cstdint>
#include <map>
#include <string>

namespace dxpack {

struct TPalette {
  std::map<std::string, uint32_t> Colors;  // name -> 0x00RRGGBB
};

// Reads a palette file. On failure returns false with Error naming the file and the line.
bool LoadPalette(const std::string& Path, TPalette& Palette, std::string& Error);
bool ParsePalette(const std::string& Text, const std::string& FileName, TPalette& Palette,
                  std::string& Error);

// Replaces every @name token (letters, digits, '-') of Text by the palette's "#rrggbb".
// An unknown token fails with an error naming FileName and the token.
bool SubstituteTokens(const std::string& Text, const TPalette& Palette, const std::string& FileName,
                      std::string& Out, std::string& Error);

// "#rrggbb" -> 0x00RRGGBB; false when the text is not of that form.
bool ParseHexColor(const std::string& Text, uint32_t& Color);
std::string HexColor(uint32_t Rgb);

}  // namespace dxpack
