#pragma once
// Scales the 800 x 600 picture to its full-screen size on the window-framebuffer path, by
// nearest sample: output column X shows source column (2X + 1) * SourceW / (2 * OutW), the
// source pixel under the output pixel's centre, and rows alike. The column map is worked out
// once per size; each output row comes from one source row, which is scaled once and then
// copied whole onto every output row that shows it (2 or 3 of them at 1080 lines).
// Pixels are 32-bit and copied as they are.

#include <cstdint>
#include <vector>

class TPictureScaler {
 public:
  // Sets the sizes (both positive); keeps the maps when they are the same as before.
  void SetSizes(int32_t SourceW, int32_t SourceH, int32_t OutW, int32_t OutH);

  int32_t OutW() const { return FOutW; }
  int32_t OutH() const { return FOutH; }
  // The output rows that show source rows [SourceY0, SourceY1): [OutY0, OutY1), empty when a
  // scale down shows none of them.
  void OutRows(int32_t SourceY0, int32_t SourceY1, int32_t& OutY0, int32_t& OutY1) const;

  // Writes the output rows that show source rows [SourceY0, SourceY1) (see OutRows). Source
  // and Out point at the pictures' top-left pixels; pitches are in bytes.
  void ScaleRows(const uint32_t* Source, int32_t SourcePitchBytes, uint32_t* Out,
                 int32_t OutPitchBytes, int32_t SourceY0, int32_t SourceY1);

 private:
  int32_t FSourceW = 0, FSourceH = 0, FOutW = 0, FOutH = 0;
  std::vector<uint32_t> FColumn;    // the source column of each output column
  std::vector<int32_t> FFirstRow;   // the first output row of each source row, and FOutH
  std::vector<uint8_t> FRunLength;  // output pixels of each source column, when all are <= 4
  std::vector<uint32_t> FRow;       // the output row being put, made once per source row
};
