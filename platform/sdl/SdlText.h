#pragma once
// The game's strings are Latin-1; SDL speaks UTF-8.

#include <cstdint>
#include <string>
#include <vector>

std::string Latin1ToUtf8(const std::string& Text);
// Characters outside Latin-1 are dropped: the game cannot show them.
std::vector<unsigned char> Utf8ToLatin1(const char* Text);
