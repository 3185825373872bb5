#pragma once
// Writing a picture of the game as a PNG file (8-bit RGB, zlib-compressed).

#include <cstdint>
#include <string>

// Writes Width x Height XRGB8888 pixels (rows PitchBytes apart) to Path. The file is written
// beside its final name and renamed over it when complete, so a full disk never leaves half
// a picture. Answers false with the reason in Error.
bool WritePngFile(const std::string& Path, const uint32_t* Pixels, int32_t Width, int32_t Height,
                  int32_t PitchBytes, std::string& Error);
