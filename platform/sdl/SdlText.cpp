#include "platform/sdl/SdlText.h"

std::string Latin1ToUtf8(const std::string& Text) {
  std::string Out;
  Out.reserve(Text.size() * 2);
  for (unsigned char C : Text) {
    if (C < 0x80) {
      Out += static_cast<char>(C);
    } else {
      Out += static_cast<char>(0xC0 | (C >> 6));
      Out += static_cast<char>(0x80 | (C & 0x3F));
    }
  }
  return Out;
}

std::vector<unsigned char> Utf8ToLatin1(const char* Text) {
  std::vector<unsigned char> Out;
  if (!Text) return Out;
  const auto* P = reinterpret_cast<const unsigned char*>(Text);
  while (*P) {
    unsigned char C = *P;
    uint32_t Code;
    int More;
    if (C < 0x80) {
      Code = C;
      More = 0;
    } else if ((C & 0xE0) == 0xC0) {
      Code = C & 0x1F;
      More = 1;
    } else if ((C & 0xF0) == 0xE0) {
      Code = C & 0x0F;
      More = 2;
    } else if ((C & 0xF8) == 0xF0) {
      Code = C & 0x07;
      More = 3;
    } else {
      ++P;  // a stray continuation byte
      continue;
    }
    ++P;
    bool Ok = true;
    for (int I = 0; I < More; ++I) {
      if ((*P & 0xC0) != 0x80) {
        Ok = false;
        break;
      }
      Code = (Code << 6) | (*P & 0x3F);
      ++P;
    }
    if (Ok && Code <= 0xFF) Out.push_back(static_cast<unsigned char>(Code));
  }
  return Out;
}
