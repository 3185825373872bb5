#pragma once
// Our own drawing surface: a 32-bit XRGB8888 picture in main memory. The display's back
// buffer, every image block and every off-screen picture of the engine is one of these;
// the platform only presents the back buffer.

#include <cstddef>
#include <cstdint>
#include <vector>

class TDirectDrawSurface {
 public:
  TDirectDrawSurface() = default;
  TDirectDrawSurface(int32_t Width, int32_t Height) { SetSize(Width, Height); }

  // Resizes and clears to 0; a width or height of 0 or less gives an empty surface.
  void SetSize(int32_t Width, int32_t Height);
  int32_t Width() const { return FWidth; }
  int32_t Height() const { return FHeight; }
  bool Empty() const { return FWidth <= 0 || FHeight <= 0; }
  int32_t PitchBytes() const { return FWidth * 4; }

  uint32_t* Pixels() { return FPixels.data(); }
  const uint32_t* Pixels() const { return FPixels.data(); }
  uint32_t* Row(int32_t Y) { return FPixels.data() + static_cast<size_t>(Y) * FWidth; }
  const uint32_t* Row(int32_t Y) const {
    return FPixels.data() + static_cast<size_t>(Y) * FWidth;
  }
  uint32_t Pixel(int32_t X, int32_t Y) const { return Row(Y)[X]; }

  void Fill(uint32_t Colour);

  // Source colour key used by colour-keyed blits from this surface (0x00RRGGBB).
  bool HasColorKey() const { return FHasColorKey; }
  uint32_t ColorKey() const { return FColorKey; }
  void SetColorKey(uint32_t Key) {
    FColorKey = Key & 0x00FFFFFFu;
    FHasColorKey = true;
  }

 private:
  int32_t FWidth = 0;
  int32_t FHeight = 0;
  std::vector<uint32_t> FPixels;
  uint32_t FColorKey = 0;
  bool FHasColorKey = false;
};
