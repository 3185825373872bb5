#include "platform/FontNames.h"

#include <string_view>

namespace {

uint16_t U16(std::span<const uint8_t> B, size_t At) {
  return static_cast<uint16_t>(B[At] << 8 | B[At + 1]);
}
uint32_t U32(std::span<const uint8_t> B, size_t At) {
  return static_cast<uint32_t>(U16(B, At)) << 16 | U16(B, At + 2);
}

// The table Tag's bytes, empty when the file has none or it runs past the end.
std::span<const uint8_t> Table(std::span<const uint8_t> File, std::string_view Tag) {
  if (File.size() < 12) return {};
  const uint16_t Count = U16(File, 4);
  for (size_t I = 0; I < Count; ++I) {
    const size_t Record = 12 + I * 16;
    if (Record + 16 > File.size()) return {};
    if (std::string_view(reinterpret_cast<const char*>(File.data() + Record), 4) != Tag) continue;
    const uint32_t Offset = U32(File, Record + 8), Length = U32(File, Record + 12);
    if (Offset > File.size() || Length > File.size() - Offset) return {};
    return File.subspan(Offset, Length);
  }
  return {};
}

// A name record's text as UTF-8: UTF-16BE for the Windows and Unicode platforms, one byte
// per character (taken as Latin-1) for the Macintosh one.
std::string NameText(std::span<const uint8_t> Bytes, bool Wide) {
  std::string Out;
  if (!Wide) {
    for (uint8_t C : Bytes) {
      if (C < 0x80) {
        Out += static_cast<char>(C);
      } else {
        Out += static_cast<char>(0xC0 | C >> 6);
        Out += static_cast<char>(0x80 | (C & 0x3F));
      }
    }
    return Out;
  }
  for (size_t I = 0; I + 1 < Bytes.size(); I += 2) {
    uint32_t C = U16(Bytes, I);
    if (C >= 0xD800 && C < 0xDC00 && I + 3 < Bytes.size()) {
      const uint32_t Low = U16(Bytes, I + 2);
      if (Low >= 0xDC00 && Low < 0xE000) {
        C = 0x10000 + ((C - 0xD800) << 10) + (Low - 0xDC00);
        I += 2;
      }
    }
    if (C < 0x80) {
      Out += static_cast<char>(C);
    } else if (C < 0x800) {
      Out += static_cast<char>(0xC0 | C >> 6);
      Out += static_cast<char>(0x80 | (C & 0x3F));
    } else if (C < 0x10000) {
      Out += static_cast<char>(0xE0 | C >> 12);
      Out += static_cast<char>(0x80 | (C >> 6 & 0x3F));
      Out += static_cast<char>(0x80 | (C & 0x3F));
    } else {
      Out += static_cast<char>(0xF0 | C >> 18);
      Out += static_cast<char>(0x80 | (C >> 12 & 0x3F));
      Out += static_cast<char>(0x80 | (C >> 6 & 0x3F));
      Out += static_cast<char>(0x80 | (C & 0x3F));
    }
  }
  return Out;
}

bool HasWord(const std::string& Text, std::string_view Word) {
  for (size_t I = 0; I + Word.size() <= Text.size(); ++I) {
    bool Same = true;
    for (size_t J = 0; J < Word.size() && Same; ++J)
      Same = (Text[I + J] | 0x20) == (Word[J] | 0x20);
    if (Same) return true;
  }
  return false;
}

}  // namespace

bool ReadFontNames(std::span<const uint8_t> File, TFontNames& Names) {
  Names = TFontNames{};
  if (File.size() < 12) return false;
  const uint32_t Version = U32(File, 0);
  // TrueType outlines (1.0 or 'true') or CFF ones ('OTTO').
  if (Version != 0x00010000u && Version != 0x74727565u && Version != 0x4F54544Fu) return false;
  const std::span<const uint8_t> Name = Table(File, "name");
  if (Name.size() < 6) return false;
  const uint16_t Count = U16(Name, 2), Strings = U16(Name, 4);
  // The best record of each name: Windows English (US) first, then any Windows or Unicode
  // one, then Macintosh Roman. The typographic family and style (16, 17) stand before the
  // old four-style ones (1, 2), which split weights such as "Light" into families of their own.
  int FamilyRank = -1, StyleRank = -1;
  for (size_t I = 0; I < Count; ++I) {
    const size_t R = 6 + I * 12;
    if (R + 12 > Name.size()) break;
    const uint16_t Platform = U16(Name, R), Encoding = U16(Name, R + 2), Language = U16(Name, R + 4);
    const uint16_t Id = U16(Name, R + 6), Length = U16(Name, R + 8), Offset = U16(Name, R + 10);
    int Rank = 0;
    bool Wide = true;
    if (Platform == 3 && (Encoding == 1 || Encoding == 10))
      Rank = Language == 0x409 ? 3 : 2;
    else if (Platform == 0)
      Rank = 2;
    else if (Platform == 1 && Encoding == 0)
      Rank = 1, Wide = false;
    else
      continue;
    if (Id == 16 || Id == 17) Rank += 4;
    else if (Id != 1 && Id != 2)
      continue;
    const size_t Start = static_cast<size_t>(Strings) + Offset;
    if (Start > Name.size() || Length > Name.size() - Start) continue;
    const std::string Text = NameText(Name.subspan(Start, Length), Wide);
    if (Text.empty()) continue;
    if ((Id == 1 || Id == 16) && Rank > FamilyRank) {
      Names.Family = Text;
      FamilyRank = Rank;
    } else if ((Id == 2 || Id == 17) && Rank > StyleRank) {
      Names.Style = Text;
      StyleRank = Rank;
    }
  }
  if (Names.Family.empty()) return false;
  const std::span<const uint8_t> Os2 = Table(File, "OS/2");
  Names.Bold = Os2.size() >= 6 ? U16(Os2, 4) >= 600 : HasWord(Names.Style, "bold");
  return true;
}
