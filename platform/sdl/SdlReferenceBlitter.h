#pragma once
// SDL's own colour-keyed blit with run-length acceleration, kept only as the benchmark's
// baseline for our span blitter. The header does not include SDL, so the benchmark can use
// it from outside platform/. Pixels are 32-bit XRGB8888 in both directions.

#include <cstdint>
#include <memory>
#include <vector>

class TSdlReferenceBlitter {
 public:
  // Draws onto Pixels (Width x Height, PitchBytes per row), which must outlive this object.
  TSdlReferenceBlitter(uint32_t* Pixels, int32_t Width, int32_t Height, int32_t PitchBytes);
  ~TSdlReferenceBlitter();
  TSdlReferenceBlitter(const TSdlReferenceBlitter&) = delete;
  TSdlReferenceBlitter& operator=(const TSdlReferenceBlitter&) = delete;

  // Copies a source picture into an SDL surface with Key (0x00RRGGBB) as its colour key and
  // run-length acceleration on; answers its number, or -1 when SDL refuses.
  int32_t AddSource(const uint32_t* Pixels, int32_t Width, int32_t Height, int32_t PitchBytes,
                    uint32_t Key);
  // SDL_BlitSurface of the whole source with its top-left at (X, Y), clipped by SDL.
  void Blit(int32_t Source, int32_t X, int32_t Y);
  bool Ok() const;

 private:
  struct TImpl;
  std::unique_ptr<TImpl> FImpl;
};
