#pragma once
// Rasterising an SVG source into a colour-keyed picture, and writing PNG files.

#include <cstdint>
#include <string>
#include <vector>

namespace dxpack {

// An opaque picture: one 0x00RRGGBB value per pixel, rows top to bottom.
struct TImage {
  int32_t Width = 0;
  int32_t Height = 0;
  std::vector<uint32_t> Rgb;
  uint32_t& At(int32_t X, int32_t Y) { return Rgb[static_cast<size_t>(Y) * Width + X]; }
  uint32_t At(int32_t X, int32_t Y) const { return Rgb[static_cast<size_t>(Y) * Width + X]; }
};

// Renders SvgText (colour tokens already substituted) at its own width and height attributes
// and resolves every pixel to opaque or key: coverage of at least 50% keeps the pixel's
// un-premultiplied colour, less becomes Key. An opaque pixel that equals Key is then moved
// one step in blue, so that the game never treats art as see-through.
// FileName only names the source in Error.
bool RasteriseSvg(const std::string& SvgText, const std::string& FileName, uint32_t Key,
                  TImage& Image, std::string& Error);

// Moves an opaque colour off the key by one step in blue (down from 255, else up).
uint32_t AvoidKey(uint32_t Rgb, uint32_t Key);

// Writes 0xAARRGGBB pixels (straight alpha) as a PNG file.
bool WritePng(const std::string& Path, int32_t Width, int32_t Height,
              const std::vector<uint32_t>& Argb, std::string& Error);

}  // namespace dxpack
