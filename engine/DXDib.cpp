#include "engine/DXDib.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <vector>

namespace {

[[noreturn]] void Invalid() {
  throw EInvalidGraphic("DIB is invalid");
}

// Bounds-checked little-endian reads; running out of bytes is damage.
class TDibReader {
 public:
  explicit TDibReader(std::span<const uint8_t> Data) : FData(Data) {}
  size_t Position() const { return FPos; }
  size_t Remaining() const { return FData.size() - FPos; }
  void Seek(size_t P) {
    if (P > FData.size()) Invalid();
    FPos = P;
  }
  void Need(size_t N) const {
    if (N > Remaining()) Invalid();
  }
  uint8_t U8() {
    Need(1);
    return FData[FPos++];
  }
  uint16_t U16() {
    Need(2);
    const uint16_t V = static_cast<uint16_t>(FData[FPos] | (FData[FPos + 1] << 8));
    FPos += 2;
    return V;
  }
  uint32_t U32() {
    const uint32_t Low = U16();
    return Low | (static_cast<uint32_t>(U16()) << 16);
  }
  const uint8_t* Take(size_t N) {
    Need(N);
    const uint8_t* P = FData.data() + FPos;
    FPos += N;
    return P;
  }

 private:
  std::span<const uint8_t> FData;
  size_t FPos = 0;
};

// One colour channel described by a bit-field mask, scaled to 8 bits.
struct TChannel {
  uint32_t Mask = 0;
  int Shift = 0;
  int Bits = 0;
  explicit TChannel(uint32_t M) : Mask(M) {
    if (M == 0) return;
    Shift = std::countr_zero(M);
    Bits = 32 - std::countl_zero(M) - Shift;  // up to the highest set bit
  }
  uint32_t Get(uint32_t Pixel) const {
    if (Bits == 0) return 0;
    const uint32_t V = (Pixel & Mask) >> Shift;
    if (Bits >= 8) return (V >> (Bits - 8)) & 0xFFu;
    // Narrow channels are widened by repeating their bits (5 bits abcde -> abcdeabc), so
    // that full scale gives 255 and the result matches what other decoders give.
    uint32_t Wide = V << (8 - Bits);
    for (int Have = Bits; Have < 8; Have += Bits) Wide |= Wide >> Bits;
    return Wide & 0xFFu;
  }
};

struct TDibHeader {
  int32_t Width = 0;
  int32_t Height = 0;  // rows, always positive here
  bool TopDown = false;
  int32_t Bits = 0;
  uint32_t Compression = 0;
  uint32_t ColorsUsed = 0;
  bool Core = false;
};

class TDibDecoder {
 public:
  TDibDecoder(std::span<const uint8_t> Data, TDirectDrawSurface& Out, bool AllowLongHeaders)
      : R(Data), FOut(Out), FAllowLongHeaders(AllowLongHeaders) {}

  // PixelOffset: where the rows start, from the start of Data; 0 means right after the
  // palette.
  int32_t Decode(size_t PixelOffset) {
    ReadHeader();
    ReadMasksAndPalette();
    if (PixelOffset != 0) R.Seek(PixelOffset);
    const bool RunLength = H.Compression == 1 || H.Compression == 2;
    // Rows that are not all there are damage; find out before allocating the picture.
    if (!RunLength) R.Need(RowBytes() * static_cast<size_t>(H.Height));
    // Both paths write every pixel (run-length data fills with palette entry 0 first).
    FOut.SetSizeForOverwrite(H.Width, H.Height);
    if (FOut.Empty()) return H.Bits;
    if (RunLength)
      DecodeRunLength(H.Compression == 2);
    else
      DecodeRows();
    return H.Bits;
  }

 private:
  void ReadHeader() {
    const uint32_t Size = R.U32();
    const bool LongHeader = FAllowLongHeaders && (Size == 108 || Size == 124);
    if (Size == 40 || LongHeader) {
      R.Need(36);
      const int32_t W = static_cast<int32_t>(R.U32());
      const int32_t HH = static_cast<int32_t>(R.U32());
      R.U16();  // planes
      H.Bits = R.U16();
      H.Compression = R.U32();
      R.U32();  // image size: not needed, not trusted
      R.U32();  // resolution
      R.U32();
      H.ColorsUsed = R.U32();
      R.U32();  // colours important
      if (W < 0 || HH == INT32_MIN) Invalid();
      H.Width = W;
      H.TopDown = HH < 0;
      H.Height = HH < 0 ? -HH : HH;
      if (LongHeader) {
        // Version 4 and 5 headers of ".bmp" files keep the red, green and blue masks
        // inside the header, right after the first 40 bytes.
        R.Need(Size - 40);
        for (uint32_t& M : FHeaderMasks) M = R.U32();
        FMasksInHeader = true;
        R.Seek(R.Position() + (Size - 52));
      }
    } else if (Size == 12) {
      R.Need(8);
      H.Width = R.U16();
      H.Height = R.U16();
      R.U16();
      H.Bits = R.U16();
      H.Core = true;
    } else {
      Invalid();
    }
    if (H.Compression > 3) Invalid();
    switch (H.Bits) {
      case 1:
      case 4:
      case 8:
      case 16:
      case 24:
      case 32:
        break;
      default:
        Invalid();
    }
    if (H.Compression == 1 && H.Bits != 8) Invalid();
    if (H.Compression == 2 && H.Bits != 4) Invalid();
    if (H.Compression == 3 && H.Bits != 16 && H.Bits != 32) Invalid();
    if (H.Width > DibMaxSide || H.Height > DibMaxSide || int64_t{H.Width} * H.Height > DibMaxPixels)
      Invalid();
  }

  void ReadMasksAndPalette() {
    uint32_t Masks[3] = {0x00FF0000u, 0x0000FF00u, 0x000000FFu};
    if (H.Bits == 16) {
      Masks[0] = 0x7C00u;
      Masks[1] = 0x03E0u;
      Masks[2] = 0x001Fu;
    }
    if (H.Compression == 3) {
      for (int I = 0; I < 3; ++I) Masks[I] = FMasksInHeader ? FHeaderMasks[I] : R.U32();
    }
    Red = TChannel(Masks[0]);
    Green = TChannel(Masks[1]);
    Blue = TChannel(Masks[2]);

    uint32_t Count = H.ColorsUsed;
    if (Count == 0 && H.Bits <= 8) Count = 1u << H.Bits;
    Count = std::min<uint32_t>(Count, 256);
    const size_t Entry = H.Core ? 3 : 4;
    const uint8_t* P = R.Take(Count * Entry);
    for (uint32_t I = 0; I < Count; ++I, P += Entry)
      Palette[I] = (uint32_t{P[2]} << 16) | (uint32_t{P[1]} << 8) | P[0];
  }

  // Entries past the stored palette are black; indices are at most 8 bits, so every
  // index lands inside the table.
  uint32_t FromPalette(uint32_t Index) const { return Palette[Index & 0xFFu]; }

  uint32_t* OutRow(int32_t StoredRow) {
    return FOut.Row(H.TopDown ? StoredRow : H.Height - 1 - StoredRow);
  }

  // Each stored row is padded to a multiple of 4 bytes.
  size_t RowBytes() const { return ((static_cast<size_t>(H.Width) * H.Bits + 31) / 32) * 4; }

  void DecodeRows() {
    for (int32_t Y = 0; Y < H.Height; ++Y) {
      const uint8_t* Src = R.Take(RowBytes());
      uint32_t* Dst = OutRow(Y);
      switch (H.Bits) {
        case 1:
          for (int32_t X = 0; X < H.Width; ++X)
            Dst[X] = FromPalette((Src[X >> 3] >> (7 - (X & 7))) & 1u);
          break;
        case 4: {
          int32_t X = 0;
          for (; X + 1 < H.Width; X += 2) {
            const uint8_t Two = Src[X >> 1];
            Dst[X] = Palette[Two >> 4];
            Dst[X + 1] = Palette[Two & 0x0Fu];
          }
          if (X < H.Width) Dst[X] = Palette[Src[X >> 1] >> 4];
          break;
        }
        case 8:
          for (int32_t X = 0; X < H.Width; ++X) Dst[X] = Palette[Src[X]];
          break;
        case 16:
          for (int32_t X = 0; X < H.Width; ++X)
            Dst[X] = FromMasks(Src[2 * X] | (Src[2 * X + 1] << 8));
          break;
        case 24: {
          int32_t X = 0;
          if constexpr (std::endian::native == std::endian::little) {
            // Four pixels from three 32-bit loads: b0 g0 r0 b1 | g1 r1 b2 g2 | r2 b3 g3 r3.
            for (; X + 4 <= H.Width; X += 4, Src += 12) {
              uint32_t A, B, C;
              std::memcpy(&A, Src, 4);
              std::memcpy(&B, Src + 4, 4);
              std::memcpy(&C, Src + 8, 4);
              Dst[X] = A & 0x00FFFFFFu;
              Dst[X + 1] = (A >> 24) | ((B & 0xFFFFu) << 8);
              Dst[X + 2] = (B >> 16) | ((C & 0xFFu) << 16);
              Dst[X + 3] = C >> 8;
            }
          }
          for (; X < H.Width; ++X, Src += 3)
            Dst[X] = (uint32_t{Src[2]} << 16) | (uint32_t{Src[1]} << 8) | Src[0];
          break;
        }
        case 32:
          for (int32_t X = 0; X < H.Width; ++X, Src += 4) {
            const uint32_t V = uint32_t{Src[0]} | (uint32_t{Src[1]} << 8) |
                               (uint32_t{Src[2]} << 16) | (uint32_t{Src[3]} << 24);
            Dst[X] = FromMasks(V);
          }
          break;
      }
    }
  }

  uint32_t FromMasks(uint32_t V) const {
    return (Red.Get(V) << 16) | (Green.Get(V) << 8) | Blue.Get(V);
  }

  // Standard bitmap run-length data: (count, value) runs, and escapes after a 0 count:
  // 0 end of line, 1 end of bitmap, 2 delta (dx, dy), n >= 3 n literal pixels padded to
  // a 16-bit boundary. Pixels never written keep palette entry 0. Every step consumes
  // input, so damaged data cannot loop; data that simply stops ends the bitmap.
  void DecodeRunLength(bool FourBit) {
    FOut.Fill(FromPalette(0));
    int64_t X = 0, Y = 0;
    auto Put = [&](int64_t PX, uint32_t Index) {
      if (PX >= 0 && PX < H.Width && Y >= 0 && Y < H.Height)
        OutRow(static_cast<int32_t>(Y))[PX] = FromPalette(Index);
    };
    while (R.Remaining() >= 2 && Y < H.Height) {
      const uint8_t Count = R.U8();
      const uint8_t Value = R.U8();
      if (Count > 0) {
        for (int I = 0; I < Count; ++I) {
          const uint32_t Index = FourBit ? ((I & 1) ? (Value & 0x0Fu) : (Value >> 4)) : Value;
          Put(X + I, Index);
        }
        X += Count;
        continue;
      }
      if (Value == 0) {
        X = 0;
        ++Y;
      } else if (Value == 1) {
        return;
      } else if (Value == 2) {
        X += R.U8();
        Y += R.U8();
      } else {
        const size_t Bytes = FourBit ? (Value + 1u) / 2u : Value;
        const uint8_t* Src = R.Take(Bytes);
        for (int I = 0; I < Value; ++I) {
          const uint32_t Index =
              FourBit ? ((I & 1) ? (Src[I >> 1] & 0x0Fu) : (Src[I >> 1] >> 4)) : Src[I];
          Put(X + I, Index);
        }
        X += Value;
        if (Bytes & 1) R.Take(std::min<size_t>(1, R.Remaining()));  // pad to 16 bits
      }
    }
  }

  TDibReader R;
  TDirectDrawSurface& FOut;
  bool FAllowLongHeaders = false;
  bool FMasksInHeader = false;
  uint32_t FHeaderMasks[3] = {};
  TDibHeader H;
  TChannel Red{0}, Green{0}, Blue{0};
  std::array<uint32_t, 256> Palette{};
};

}  // namespace

int32_t DecodeDib(std::span<const uint8_t> Data, TDirectDrawSurface& Out) {
  TDibDecoder Decoder(Data, Out, false);
  try {
    return Decoder.Decode(0);
  } catch (const EInvalidGraphic&) {
    Out.SetSize(0, 0);
    throw;
  }
}

int32_t DecodeBmpFile(std::span<const uint8_t> File, TDirectDrawSurface& Out) {
  // "BM", u32 file size, two u16 reserved, u32 offset of the pixels from the file start.
  if (File.size() < 14 || File[0] != 'B' || File[1] != 'M') Invalid();
  const uint32_t Offset = uint32_t{File[10]} | (uint32_t{File[11]} << 8) |
                          (uint32_t{File[12]} << 16) | (uint32_t{File[13]} << 24);
  if (Offset < 14 || Offset > File.size()) Invalid();
  TDibDecoder Decoder(File.subspan(14), Out, true);
  try {
    return Decoder.Decode(Offset - 14 == 0 ? 0 : Offset - 14);
  } catch (const EInvalidGraphic&) {
    Out.SetSize(0, 0);
    throw;
  }
}
