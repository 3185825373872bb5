#pragma once
// Typing into the player's name and country: which characters are taken, and the two edits.

#include <cstddef>
#include <cstdint>
#include <string>

// Digits, the letters A-Z and a-z, and the space.
bool IsNameChar(uint8_t Ch);
// Nothing on an empty text.
void DeleteLastChar(std::string& Text);
// Appends Ch while Text is shorter than MaxLength.
void AppendChar(std::string& Text, uint8_t Ch, size_t MaxLength);
