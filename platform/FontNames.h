#pragma once
// The names a TrueType or OpenType font file gives itself (its 'name' table) and whether it
// is a bold cut (its 'OS/2' weight), read from the file's bytes: what Windows, without
// fontconfig, matches the families of Data/fonts.conf against.

#include <cstdint>
#include <span>
#include <string>

struct TFontNames {
  std::string Family;     // "DejaVu Sans Mono"
  std::string Style;      // "Bold"
  bool Bold = false;      // weight 600 or more, or a style that says bold
};

// False when the bytes are no font file (or one of a collection, .ttc) or name no family.
bool ReadFontNames(std::span<const uint8_t> File, TFontNames& Names);
