#pragma once
// Our own drawing surface: a 32-bit XRGB8888 picture in main memory. The display's back
// buffer, every image block and every off-screen picture of the engine is one of these;
// the platform only presents the back buffer.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <vector>

#include "engine/DXTypes.h"
#include "platform/PixelMemory.h"

// The pixels' allocator: left uninitialized like TDefaultInitAllocator, and big blocks in
// huge pages (see platform/PixelMemory.h).
template <typename T>
class TPixelAllocator : public TDefaultInitAllocator<T> {
 public:
  template <typename U>
  struct rebind {
    using other = TPixelAllocator<U>;
  };
  using TDefaultInitAllocator<T>::TDefaultInitAllocator;
  T* allocate(size_t N) {
    if (N > SIZE_MAX / sizeof(T)) throw std::bad_array_new_length();
    return static_cast<T*>(AllocatePixelMemory(N * sizeof(T)));
  }
  void deallocate(T* P, size_t N) noexcept { FreePixelMemory(P, N * sizeof(T)); }
};

class TDirectDrawSurface {
 public:
  TDirectDrawSurface() = default;
  TDirectDrawSurface(int32_t Width, int32_t Height) { SetSize(Width, Height); }

  // Resizes and clears to 0; a width or height of 0 or less gives an empty surface.
  void SetSize(int32_t Width, int32_t Height);
  // Resizes and leaves the pixels undefined, for a caller that writes every pixel next
  // (a decoder, a copy): picture loading would otherwise clear each picture for nothing.
  void SetSizeForOverwrite(int32_t Width, int32_t Height);
  int32_t Width() const { return FWidth; }
  int32_t Height() const { return FHeight; }
  bool Empty() const { return FWidth <= 0 || FHeight <= 0; }
  int32_t PitchBytes() const { return FWidth * 4; }

  // Non-const access means the caller may write: it drops the opaque-span table, which is
  // rebuilt on the next colour-keyed blit from this surface. Do not keep such a pointer and
  // write through it after blitting from this surface again.
  uint32_t* Pixels() {
    FSpansValid = false;
    return FPixels.data();
  }
  const uint32_t* Pixels() const { return FPixels.data(); }
  uint32_t* Row(int32_t Y) {
    FSpansValid = false;
    return FPixels.data() + static_cast<size_t>(Y) * FWidth;
  }
  const uint32_t* Row(int32_t Y) const { return FPixels.data() + static_cast<size_t>(Y) * FWidth; }
  uint32_t Pixel(int32_t X, int32_t Y) const { return Row(Y)[X]; }

  void Fill(uint32_t Colour);

  // Source colour key used by colour-keyed blits from this surface (0x00RRGGBB).
  bool HasColorKey() const { return FHasColorKey; }
  uint32_t ColorKey() const { return FColorKey; }
  void SetColorKey(uint32_t Key) {
    Key &= 0x00FFFFFFu;
    if (!FHasColorKey || Key != FColorKey) FSpansValid = false;
    FColorKey = Key;
    FHasColorKey = true;
  }

  // A run of pixels of row Row that differ from the colour key: columns [Start, End); its
  // pixels are Opaque[Offset] .. of the table.
  struct TOpaqueSpan {
    int32_t Start;
    int32_t End;
    uint32_t Offset;
    int32_t Row;
  };
  // The opaque runs (every pixel counts as opaque without a key) of columns [Lo, Hi) of
  // each row, left to right: row Y's runs are Spans[RowStart[Y]] .. Spans[RowStart[Y + 1]].
  // Built on first use for the current pixels, key and column range, and kept per range,
  // so a pattern drawn again and again from a wide block copies its own runs only.
  struct TSpanTable {
    int32_t Lo = 0;
    int32_t Hi = 0;
    std::vector<uint32_t> RowStart;
    std::vector<TOpaqueSpan> Spans;
    // The opaque pixels of all runs, packed one after the other in run order, as a
    // run-length blitter keeps them: drawing reads only these, in one stream.
    std::vector<uint32_t> Opaque;
    // Every pixel of the range is opaque: no runs are kept (RowStart, Spans and Opaque stay
    // empty), since a plain copy of the rows draws the same and a backdrop needs no copy
    // of its pixels.
    bool Solid = false;
  };
  // Lo and Hi are clamped to the surface.
  const TSpanTable& OpaqueSpans(int32_t Lo, int32_t Hi) const;

  // A picture made once from this surface's pixels and drawn many times (a turned pattern):
  // the runs of the pixels it writes within its box, kept under the key of what it was made
  // from, and dropped with the span tables.
  using TTurnedKey = std::array<int64_t, 10>;
  struct TTurnedPicture {
    TTurnedKey Key{};
    int32_t Left = 0;  // the box's top-left, from the point the picture is drawn at
    int32_t Top = 0;
    int32_t Width = 0;  // the box
    int32_t Height = 0;
    TSpanTable Runs;  // columns [0, Width) of each row of the box
  };
  // The picture kept under Key, or nullptr.
  const TTurnedPicture* FindTurned(const TTurnedKey& Key) const;
  // Room for a new picture under Key, for the caller to fill in; the kept ones are dropped
  // first when there are many.
  TTurnedPicture& AddTurned(const TTurnedKey& Key) const;

  // Drops the span tables and the turned pictures explicitly (non-const Pixels(), Row(),
  // Fill and SetSize do it).
  void Invalidate() { FSpansValid = false; }

 private:
  void BuildSpans(TSpanTable& Table) const;
  // Starts the kept tables and pictures afresh when the pixels may have changed.
  void Revalidate() const;
  int32_t FWidth = 0;
  int32_t FHeight = 0;
  std::vector<uint32_t, TPixelAllocator<uint32_t>> FPixels;
  uint32_t FColorKey = 0;
  bool FHasColorKey = false;
  // Span tables by column range and turned pictures, all dropped when FSpansValid goes
  // false.
  mutable bool FSpansValid = false;
  mutable std::vector<TSpanTable> FSpanTables;
  mutable std::vector<std::shared_ptr<const TTurnedPicture>> FTurned;
};
