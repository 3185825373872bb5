#include "platform/PictureScaler.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

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

void TPictureScaler::ScaleRows(const uint32_t* Source, int32_t SourcePitchBytes, uint32_t* Out,
                               int32_t OutPitchBytes, int32_t SourceY0, int32_t SourceY1) const {
  int32_t Y0 = 0, Y1 = 0;
  OutRows(SourceY0, SourceY1, Y0, Y1);
  const auto* SourceBytes = reinterpret_cast<const uint8_t*>(Source);
  auto* OutBytes = reinterpret_cast<uint8_t*>(Out);
  const size_t RowBytes = static_cast<size_t>(FOutW) * 4;
  int64_t Previous = -1;  // the source row of the output row above
  const uint32_t* Column = FColumn.data();
  const int32_t W = FOutW;
  for (int32_t Y = Y0; Y < Y1; ++Y) {
    const int64_t SourceY = SourceUnder(Y, FSourceH, FOutH);
    auto* Row = reinterpret_cast<uint32_t*>(OutBytes + static_cast<ptrdiff_t>(Y) * OutPitchBytes);
    if (SourceY == Previous) {
      std::memcpy(Row, OutBytes + static_cast<ptrdiff_t>(Y - 1) * OutPitchBytes, RowBytes);
      continue;
    }
    Previous = SourceY;
    const auto* From = reinterpret_cast<const uint32_t*>(
        SourceBytes + static_cast<ptrdiff_t>(SourceY) * SourcePitchBytes);
    if (!FRunLength.empty()) {
      // Four copies of each source pixel are written and the pointer moves on by its run:
      // the surplus is overwritten by the next run. The last four source pixels are written
      // exactly, so nothing lands past the row's end.
      const uint8_t* Runs = FRunLength.data();
      const int32_t Exact = std::min(FSourceW, 4);
      uint32_t* To = Row;
      for (int32_t X = 0; X < FSourceW - Exact; ++X) {
        const uint32_t P = From[X];
        To[0] = P;
        To[1] = P;
        To[2] = P;
        To[3] = P;
        To += Runs[X];
      }
      for (int32_t X = FSourceW - Exact; X < FSourceW; ++X)
        for (uint8_t N = Runs[X]; N > 0; --N) *To++ = From[X];
    } else {
      for (int32_t X = 0; X < W; ++X) Row[X] = From[Column[X]];
    }
  }
}
