#pragma once
// What changed from one picture to the next, by rows: the window-framebuffer presenter sends
// the window system only those rows (and scales only those in full screen). The picture
// shown before is kept (the window's own surface when shown 1:1, a copy when scaled); each
// row of the new picture is compared with it and copied over it when it differs.

#include <cstdint>
#include <vector>

struct TRowBand {
  int32_t Y0 = 0, Y1 = 0;  // rows Y0 .. Y1 - 1
};

// The most bands a picture is sent in: each is one request to the window system, and a few
// unchanged rows sent along cost less than another request.
constexpr int32_t kMaxRowBands = 8;
// Changed rows this close (unchanged rows between them) go into one band.
constexpr int32_t kRowBandGap = 8;

// Compares the Width x Height picture Now with Kept row by row, copies the rows that differ
// into Kept, and puts the changed rows into Bands (ascending, at most kMaxRowBands, rows
// closer than kRowBandGap joined). With All every row counts as changed and is copied.
// Pitches are in bytes.
void TakeChangedRows(const uint32_t* Now, int32_t NowPitchBytes, uint32_t* Kept,
                     int32_t KeptPitchBytes, int32_t Width, int32_t Height, bool All,
                     std::vector<TRowBand>& Bands);
