#include "platform/PictureScaler.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// The source index under the centre of output index I, for Source samples shown over Out.
uint32_t SourceUnder(int64_t I, int64_t Source, int64_t Out) {
  return static_cast<uint32_t>((2 * I + 1) * Source / (2 * Out));
}

}  // namespace

void TPictureScaler::SetSizes(int32_t SourceW, int32_t SourceH, int32_t OutW, int32_t OutH) {
  if (SourceW == FSourceW && SourceH == FSourceH && OutW == FOutW && OutH == FOutH) return;
  FSourceW = SourceW;
  FSourceH = SourceH;
  FOutW = OutW;
  FOutH = OutH;
  FColumn.resize(static_cast<size_t>(OutW));
  for (int32_t X = 0; X < OutW; ++X)
    FColumn[static_cast<size_t>(X)] = SourceUnder(X, SourceW, OutW);
  // Source row Y shows on output rows FFirstRow[Y] .. FFirstRow[Y + 1] - 1 (none when equal).
  FFirstRow.assign(static_cast<size_t>(SourceH) + 1, OutH);
  for (int32_t Y = OutH - 1; Y >= 0; --Y) FFirstRow[SourceUnder(Y, SourceH, OutH)] = Y;
  for (int32_t Y = SourceH - 1; Y >= 0; --Y)
    FFirstRow[static_cast<size_t>(Y)] =
        std::min(FFirstRow[static_cast<size_t>(Y)], FFirstRow[static_cast<size_t>(Y) + 1]);
  // A scale up to at most 4 times across shows each source column on 1 to 4 neighbouring
  // output columns: a row is then written by runs, source pixel by source pixel.
  FRunLength.clear();
  if (OutW >= SourceW && OutW <= 4 * static_cast<int64_t>(SourceW)) {
    FRunLength.assign(static_cast<size_t>(SourceW), 0);
    for (uint32_t C : FColumn) ++FRunLength[C];
  }
}

void TPictureScaler::OutRows(int32_t SourceY0, int32_t SourceY1, int32_t& OutY0,
                             int32_t& OutY1) const {
  SourceY0 = std::clamp(SourceY0, 0, FSourceH);
  SourceY1 = std::clamp(SourceY1, SourceY0, FSourceH);
  OutY0 = FFirstRow.empty() ? 0 : FFirstRow[static_cast<size_t>(SourceY0)];
  OutY1 = FFirstRow.empty() ? 0 : FFirstRow[static_cast<size_t>(SourceY1)];
}

namespace {

// Copies a row into the picture. The picture is far larger than the caches at full-screen
// sizes and is only read again by the window system: streaming stores, which skip reading
// each cache line before writing it, copy it about three times as fast as memcpy does here.
void PutRow(uint32_t* To, const uint32_t* From, int32_t Count) {
#if defined(__SSE2__)
  // Up to the first 16-byte boundary one by one, then four pixels a store.
  while (Count > 0 && (reinterpret_cast<uintptr_t>(To) & 15) != 0) {
    *To++ = *From++;
    --Count;
  }
  auto* To4 = reinterpret_cast<__m128i*>(To);
  const auto* From4 = reinterpret_cast<const __m128i*>(From);
  for (int32_t I = 0; I < Count / 4; ++I) _mm_stream_si128(To4 + I, _mm_loadu_si128(From4 + I));
  for (int32_t I = Count / 4 * 4; I < Count; ++I) To[I] = From[I];
#else
  std::memcpy(To, From, static_cast<size_t>(Count) * 4);
#endif
}

}  // namespace

void TPictureScaler::ScaleRows(const uint32_t* Source, int32_t SourcePitchBytes, uint32_t* Out,
                               int32_t OutPitchBytes, int32_t SourceY0, int32_t SourceY1) {
  int32_t Y0 = 0, Y1 = 0;
  OutRows(SourceY0, SourceY1, Y0, Y1);
  if (Y1 <= Y0) return;
  const auto* SourceBytes = reinterpret_cast<const uint8_t*>(Source);
  auto* OutBytes = reinterpret_cast<uint8_t*>(Out);
  // Each source row is scaled once into a row that stays in the cache, then put on every
  // output row that shows it. Runs write four pixels each (see below): three to spare.
  FRow.resize(static_cast<size_t>(FOutW) + 3);
  uint32_t* Row = FRow.data();
  int64_t Made = -1;  // the source row Row holds
  for (int32_t Y = Y0; Y < Y1; ++Y) {
    const int64_t SourceY = SourceUnder(Y, FSourceH, FOutH);
    if (SourceY != Made) {
      Made = SourceY;
      const auto* From = reinterpret_cast<const uint32_t*>(
          SourceBytes + static_cast<ptrdiff_t>(SourceY) * SourcePitchBytes);
      if (!FRunLength.empty()) {
        // Four copies of each source pixel, and on by its run: the next run overwrites the
        // surplus, and the last one's lands in the spare pixels.
        const uint8_t* Runs = FRunLength.data();
        uint32_t* To = Row;
        for (int32_t X = 0; X < FSourceW; ++X) {
          const uint32_t P = From[X];
          To[0] = P;
          To[1] = P;
          To[2] = P;
          To[3] = P;
          To += Runs[X];
        }
      } else {
        const uint32_t* Column = FColumn.data();
        for (int32_t X = 0; X < FOutW; ++X) Row[X] = From[Column[X]];
      }
    }
    PutRow(reinterpret_cast<uint32_t*>(OutBytes + static_cast<ptrdiff_t>(Y) * OutPitchBytes), Row,
           FOutW);
  }
#if defined(__SSE2__)
  _mm_sfence();  // the streamed rows are all in memory before the window system reads them
#endif
}
