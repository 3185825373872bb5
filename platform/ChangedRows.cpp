#include "platform/ChangedRows.h"

#include <cstddef>
#include <cstring>

void TakeChangedRows(const uint32_t* Now, int32_t NowPitchBytes, uint32_t* Kept,
                     int32_t KeptPitchBytes, int32_t Width, int32_t Height, bool All,
                     std::vector<TRowBand>& Bands) {
  Bands.clear();
  if (Width <= 0 || Height <= 0) return;
  const auto* From = reinterpret_cast<const uint8_t*>(Now);
  auto* To = reinterpret_cast<uint8_t*>(Kept);
  const size_t RowBytes = static_cast<size_t>(Width) * 4;
  for (int32_t Y = 0; Y < Height; ++Y) {
    const uint8_t* A = From + static_cast<ptrdiff_t>(Y) * NowPitchBytes;
    uint8_t* B = To + static_cast<ptrdiff_t>(Y) * KeptPitchBytes;
    // A changed row mostly differs near its start already, so the comparison costs little
    // next to the copy; an unchanged one saves its copy and everything after it.
    if (!All && std::memcmp(A, B, RowBytes) == 0) continue;
    std::memcpy(B, A, RowBytes);
    if (!Bands.empty() && Y - Bands.back().Y1 < kRowBandGap)
      Bands.back().Y1 = Y + 1;
    else
      Bands.push_back({Y, Y + 1});
  }
  // Too many bands: join the two neighbours with the fewest unchanged rows between them.
  while (Bands.size() > static_cast<size_t>(kMaxRowBands)) {
    size_t Best = 0;
    for (size_t I = 1; I + 1 < Bands.size(); ++I)
      if (Bands[I + 1].Y0 - Bands[I].Y1 < Bands[Best + 1].Y0 - Bands[Best].Y1) Best = I;
    Bands[Best].Y1 = Bands[Best + 1].Y1;
    Bands.erase(Bands.begin() + static_cast<ptrdiff_t>(Best) + 1);
  }
}
