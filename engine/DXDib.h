#pragma once
// Decoder of device-independent bitmaps into our XRGB8888 surfaces: information (40-byte)
// and core (12-byte) headers; 1, 4, 8, 16, 24 and 32 bits per pixel; palettes; bit-field
// masks; bottom-up and top-down rows; run-length 8-bit and 4-bit data. Every size in the
// data is checked against the bytes present: damaged data raises EInvalidGraphic
// "DIB is invalid" and never reads outside the buffer.

#include <cstdint>
#include <span>

#include "engine/DXSurface.h"
#include "engine/DXTypes.h"

class EInvalidGraphic : public EDXError {
 public:
  using EDXError::EDXError;
};

// The largest picture accepted, in pixels and per side; larger sizes in a file are damage.
constexpr int64_t DibMaxPixels = int64_t{1} << 24;
constexpr int32_t DibMaxSide = 16384;

// Data starts with the header size (40 or 12); the palette and the pixels follow it
// directly. Answers the stored bits per pixel.
int32_t DecodeDib(std::span<const uint8_t> Data, TDirectDrawSurface& Out);

// A whole ".bmp" file: the 14-byte "BM" file header, then a bitmap whose pixels start at
// the offset the file header gives. Files may also carry the longer version 4 and 5
// headers (108 and 124 bytes). Raises EInvalidGraphic as above.
int32_t DecodeBmpFile(std::span<const uint8_t> File, TDirectDrawSurface& Out);
