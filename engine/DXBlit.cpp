#include "engine/DXBlit.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <numbers>

namespace {

constexpr uint32_t kRgbMask = 0x00FFFFFFu;

// A source rectangle taken apart: the covered columns [Lo, Hi) and rows, and whether each
// axis runs backwards (a rectangle given with Right < Left or Bottom < Top).
struct TSourceSpan {
  int64_t Lo = 0;
  int64_t Hi = 0;
  bool Mirror = false;
  int64_t Size() const { return Hi - Lo; }
};

TSourceSpan Axis(int32_t A, int32_t B) {
  if (B < A) return {B, A, true};
  return {A, B, false};
}

// Source coordinate of the I-th destination pixel along one axis at 1:1.
inline int64_t SourceAt(const TSourceSpan& S, int64_t I) {
  return S.Mirror ? S.Hi - 1 - I : S.Lo + I;
}

// The range [First, Last) of offsets I along one axis that read inside a source of
// SrcSize pixels and land inside a destination of DestSize pixels starting at Origin.
void ClipAxis(const TSourceSpan& S, int64_t SrcSize, int64_t Origin, int64_t DestSize,
              int64_t& First, int64_t& Last) {
  First = 0;
  Last = S.Size();
  if (S.Mirror) {
    First = std::max(First, S.Hi - SrcSize);
    Last = std::min(Last, S.Hi);
  } else {
    First = std::max(First, -S.Lo);
    Last = std::min(Last, SrcSize - S.Lo);
  }
  First = std::max(First, -Origin);
  Last = std::min(Last, DestSize - Origin);
}

// Copies N pixels of a run. The source is a table's own packed pixels, never the
// destination, so the two cannot overlap.
inline void CopyRun(uint32_t* __restrict D, const uint32_t* __restrict S, int64_t N) {
  std::memcpy(D, S, static_cast<size_t>(N) * 4);
}

// Blends S into D per channel: D + (S - D) * A / 255, rounded, two channels per multiply
// (each 16-bit lane holds at most 255 * 255).
inline uint32_t Blend(uint32_t S, uint32_t D, uint32_t A) {
  const uint32_t InvA = 255u - A;
  uint32_t RB = (S & 0x00FF00FFu) * A + (D & 0x00FF00FFu) * InvA + 0x00800080u;
  RB = ((RB + ((RB >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
  uint32_t G = ((S >> 8) & 0xFFu) * A + ((D >> 8) & 0xFFu) * InvA + 0x80u;
  G = ((G + (G >> 8)) >> 8) & 0xFFu;
  return RB | (G << 8);
}

// cos(2 pi i / 256) in 16.16 fixed point; the sine of i is entry (i + 192) mod 256.
const std::array<int32_t, 256>& CosineTable() {
  static const std::array<int32_t, 256> Table = [] {
    std::array<int32_t, 256> T{};
    for (int I = 0; I < 256; ++I)
      T[static_cast<size_t>(I)] =
          static_cast<int32_t>(std::lround(std::cos(2.0 * std::numbers::pi * I / 256.0) * 65536.0));
    return T;
  }();
  return Table;
}

// Floor and ceiling of A / B for B > 0.
inline int64_t FloorDiv(int64_t A, int64_t B) {
  return A >= 0 ? A / B : -((-A + B - 1) / B);
}
inline int64_t CeilDiv(int64_t A, int64_t B) {
  return -FloorDiv(-A, B);
}

// Narrows [K0, K1) to the steps K for which 0 <= A + K * D < Limit.
inline void StepsInside(int64_t A, int64_t D, int64_t Limit, int64_t& K0, int64_t& K1) {
  int64_t Lo, Hi;
  if (D > 0) {
    Lo = CeilDiv(-A, D);
    Hi = FloorDiv(Limit - 1 - A, D) + 1;
  } else if (D < 0) {
    Lo = CeilDiv(A - Limit + 1, -D);
    Hi = FloorDiv(A, -D) + 1;
  } else if (A >= 0 && A < Limit) {
    return;
  } else {
    K1 = K0;
    return;
  }
  K0 = std::max(K0, Lo);
  K1 = std::min(K1, Hi);
}

// The colour-keyed copy: the opaque runs of the table, from its packed pixels, as a
// run-length blitter does. Offsets I0..I1 and J0..J1 of the source rectangle land on the
// destination at (X + I, Y + J).
void DrawRuns(uint32_t* DestBase, int64_t DestW, int64_t X, int64_t Y,
              const TDirectDrawSurface::TSpanTable& Table, const TSourceSpan& SX,
              const TSourceSpan& SY, int64_t I0, int64_t I1, int64_t J0, int64_t J1) {
  const TDirectDrawSurface::TOpaqueSpan* Spans = Table.Spans.data();
  const uint32_t* RowStart = Table.RowStart.data();
  const uint32_t* Packed = Table.Opaque.data();
  const int64_t Lo = SX.Lo + I0;
  const int64_t Hi = SX.Lo + I1;
  // Destination offset of source pixel (0, 0); the runs' own columns and rows are added.
  const int64_t Origin = (Y - SY.Lo) * DestW + (X - SX.Lo);
  if (!SY.Mirror && Lo == Table.Lo && Hi == Table.Hi) {
    // Every column lands: the runs of all the rows, one stream, no row bookkeeping.
    const TDirectDrawSurface::TOpaqueSpan* Sp = Spans + RowStart[SY.Lo + J0];
    const TDirectDrawSurface::TOpaqueSpan* End = Spans + RowStart[SY.Lo + J1];
    for (; Sp != End; ++Sp)
      CopyRun(DestBase + Origin + Sp->Row * DestW + Sp->Start, Packed + Sp->Offset,
              Sp->End - Sp->Start);
    return;
  }
  for (int64_t J = J0; J < J1; ++J) {
    const int64_t SrcY = SourceAt(SY, J);
    uint32_t* DRow = DestBase + (Y + J) * DestW + (X - SX.Lo);  // indexed by source column
    const TDirectDrawSurface::TOpaqueSpan* Sp = Spans + RowStart[SrcY];
    const TDirectDrawSurface::TOpaqueSpan* End = Spans + RowStart[SrcY + 1];
    // Cut the runs to the part that lands on the destination.
    for (; Sp != End && Sp->Start < Hi; ++Sp) {
      const int64_t A = std::max<int64_t>(Sp->Start, Lo);
      const int64_t B = std::min<int64_t>(Sp->End, Hi);
      if (A < B) CopyRun(DRow + A, Packed + Sp->Offset + (A - Sp->Start), B - A);
    }
  }
}

// The inverse map of a turned copy in 16.16 steps: a destination offset (Ox, Oy) from the
// drawing point samples the pattern at (PU + Ox DuDx + Oy DuDy, PV + Ox DvDx + Oy DvDy).
struct TTurnMap {
  TSourceSpan SX, SY;
  int64_t SW, SH;
  int64_t DuDx, DuDy, DvDx, DvDy;
  int64_t PU, PV;
  bool Keyed;
  uint32_t Key;
};

// Turned pictures up to this many pixels in their box are kept with their source.
constexpr double kMaxTurnedArea = 256.0 * 256.0;

// The pixels of N steps along a row of destination offsets from (Ox, Oy): Put(K, Pixel) for
// each step K whose sample lands in the pattern and is not the key. Only the steps whose
// sample lands inside are walked, not the empty corners of the box.
template <class TPut>
void TurnedRow(const TTurnMap& M, const TDirectDrawSurface& Src, int64_t Ox, int64_t Oy, int64_t N,
               TPut&& Put) {
  const int64_t SrcW = Src.Width();
  const int64_t SrcH = Src.Height();
  // A pattern rectangle wholly inside its block (every real one) needs no check per pixel.
  const bool Inside = M.SX.Lo >= 0 && M.SX.Hi <= SrcW && M.SY.Lo >= 0 && M.SY.Hi <= SrcH;
  const int64_t U0 = M.PU + Ox * M.DuDx + Oy * M.DuDy;
  const int64_t V0 = M.PV + Ox * M.DvDx + Oy * M.DvDy;
  int64_t K0 = 0, K1 = N;
  StepsInside(U0, M.DuDx, M.SW << 16, K0, K1);
  StepsInside(V0, M.DvDx, M.SH << 16, K0, K1);
  const uint32_t* SrcBase = Src.Pixels();
  int64_t U = U0 + K0 * M.DuDx;
  int64_t V = V0 + K0 * M.DvDx;
  for (int64_t K = K0; K < K1; ++K, U += M.DuDx, V += M.DvDx) {
    const int64_t SrcX = SourceAt(M.SX, U >> 16);  // U, V >= 0 here: the shift floors
    const int64_t SrcY = SourceAt(M.SY, V >> 16);
    if (!Inside && (SrcX < 0 || SrcX >= SrcW || SrcY < 0 || SrcY >= SrcH)) continue;
    const uint32_t P = SrcBase[SrcY * SrcW + SrcX];
    if (M.Keyed && (P & kRgbMask) == M.Key) continue;
    Put(K, P);
  }
}

// Fills Picture with the runs of the turned pattern in the box of Width x Height whose
// top-left is (Left, Top) from the drawing point.
void MakeTurned(TDirectDrawSurface::TTurnedPicture& Picture, const TDirectDrawSurface& Src,
                const TTurnMap& M, int32_t Left, int32_t Top, int32_t Width, int32_t Height) {
  Picture.Left = Left;
  Picture.Top = Top;
  Picture.Width = Width;
  Picture.Height = Height;
  TDirectDrawSurface::TSpanTable& T = Picture.Runs;
  T.Lo = 0;
  T.Hi = Width;
  T.RowStart.assign(static_cast<size_t>(Height) + 1, 0u);
  for (int32_t J = 0; J < Height; ++J) {
    T.RowStart[static_cast<size_t>(J)] = static_cast<uint32_t>(T.Spans.size());
    int64_t End = -1;  // where the run being made ends, -1 for none
    TurnedRow(M, Src, Left, int64_t{Top} + J, Width, [&](int64_t K, uint32_t P) {
      if (K != End) {
        T.Spans.push_back({static_cast<int32_t>(K), static_cast<int32_t>(K),
                           static_cast<uint32_t>(T.Opaque.size()), J});
      }
      T.Opaque.push_back(P);
      End = K + 1;
      T.Spans.back().End = static_cast<int32_t>(End);
    });
  }
  T.RowStart[static_cast<size_t>(Height)] = static_cast<uint32_t>(T.Spans.size());
}

// Copies a turned picture drawn at (X, Y), clipped to Dest.
void DrawTurned(TDirectDrawSurface& Dest, int64_t X, int64_t Y,
                const TDirectDrawSurface::TTurnedPicture& Picture) {
  const TSourceSpan SX{0, Picture.Width, false};
  const TSourceSpan SY{0, Picture.Height, false};
  const int64_t Left = X + Picture.Left, Top = Y + Picture.Top;
  int64_t I0, I1, J0, J1;
  ClipAxis(SX, Picture.Width, Left, Dest.Width(), I0, I1);
  ClipAxis(SY, Picture.Height, Top, Dest.Height(), J0, J1);
  if (I0 >= I1 || J0 >= J1) return;
  DrawRuns(Dest.Pixels(), Dest.Width(), Left, Top, Picture.Runs, SX, SY, I0, I1, J0, J1);
}

}  // namespace

void BlitDraw(TDirectDrawSurface& Dest, int32_t X, int32_t Y, const TDirectDrawSurface& Src,
              const TRect& SrcRect, bool Transparent) {
  if (Dest.Empty() || Src.Empty()) return;
  const TSourceSpan SX = Axis(SrcRect.Left, SrcRect.Right);
  const TSourceSpan SY = Axis(SrcRect.Top, SrcRect.Bottom);
  int64_t I0, I1, J0, J1;
  ClipAxis(SX, Src.Width(), X, Dest.Width(), I0, I1);
  ClipAxis(SY, Src.Height(), Y, Dest.Height(), J0, J1);
  if (I0 >= I1 || J0 >= J1) return;

  const bool Keyed = Transparent && Src.HasColorKey();
  const uint32_t Key = Src.ColorKey();
  uint32_t* DestBase = Dest.Pixels();
  const int64_t DestW = Dest.Width();
  // The runs of the whole source rectangle's columns: patterns are drawn with the same
  // rectangle every time, so this table is built once per pattern and then reused.
  if (Keyed && !SX.Mirror) {
    const TDirectDrawSurface::TSpanTable& Table =
        Src.OpaqueSpans(static_cast<int32_t>(std::max<int64_t>(SX.Lo, 0)),
                        static_cast<int32_t>(std::min<int64_t>(SX.Hi, Src.Width())));
    if (!Table.Solid) {
      DrawRuns(DestBase, DestW, X, Y, Table, SX, SY, I0, I1, J0, J1);
      return;
    }
    // No key pixel in these columns: the rows are copied whole, below.
  }
  for (int64_t J = J0; J < J1; ++J) {
    const int32_t SrcY = static_cast<int32_t>(SourceAt(SY, J));
    const uint32_t* S = Src.Row(SrcY);
    uint32_t* D = DestBase + (Y + J) * DestW + X;
    if (SX.Mirror) {
      for (int64_t I = I0; I < I1; ++I) {
        const uint32_t P = S[SX.Hi - 1 - I];
        if (!Keyed || (P & kRgbMask) != Key) D[I] = P;
      }
    } else {
      std::memmove(D + I0, S + SX.Lo + I0, static_cast<size_t>(I1 - I0) * 4);
    }
  }
}

void BlitDrawBlended(TDirectDrawSurface& Dest, const TRect& DestRect, const TDirectDrawSurface& Src,
                     const TRect& SrcRect, bool Transparent, int32_t Alpha) {
  if (Alpha <= 0 || Dest.Empty() || Src.Empty()) return;
  const int64_t DW = DestRect.Width();
  const int64_t DH = DestRect.Height();
  if (DW <= 0 || DH <= 0) return;
  const TSourceSpan SX = Axis(SrcRect.Left, SrcRect.Right);
  const TSourceSpan SY = Axis(SrcRect.Top, SrcRect.Bottom);
  if (SX.Size() == 0 || SY.Size() == 0) return;

  // 16.16 source steps per destination pixel; offset I samples source (I * Step) >> 16,
  // which stays below the source size for every I < destination size.
  const int64_t StepX = (SX.Size() << 16) / DW;
  const int64_t StepY = (SY.Size() << 16) / DH;
  const int64_t I0 = std::max<int64_t>(0, -static_cast<int64_t>(DestRect.Left));
  const int64_t I1 = std::min<int64_t>(DW, Dest.Width() - static_cast<int64_t>(DestRect.Left));
  const int64_t J0 = std::max<int64_t>(0, -static_cast<int64_t>(DestRect.Top));
  const int64_t J1 = std::min<int64_t>(DH, Dest.Height() - static_cast<int64_t>(DestRect.Top));
  if (I0 >= I1 || J0 >= J1) return;

  const bool Keyed = Transparent && Src.HasColorKey();
  const uint32_t Key = Src.ColorKey();
  const uint32_t A = static_cast<uint32_t>(std::min(Alpha, 255));
  uint32_t* DestBase = Dest.Pixels();
  for (int64_t J = J0; J < J1; ++J) {
    const int64_t SrcY = SourceAt(SY, (J * StepY) >> 16);
    if (SrcY < 0 || SrcY >= Src.Height()) continue;
    const uint32_t* S = Src.Row(static_cast<int32_t>(SrcY));
    uint32_t* D = DestBase + (DestRect.Top + J) * Dest.Width() + DestRect.Left;
    for (int64_t I = I0; I < I1; ++I) {
      const int64_t SrcX = SourceAt(SX, (I * StepX) >> 16);
      if (SrcX < 0 || SrcX >= Src.Width()) continue;
      const uint32_t P = S[SrcX];
      if (Keyed && (P & kRgbMask) == Key) continue;
      D[I] = A >= 255 ? P : Blend(P, D[I], A);
    }
  }
}

void BlitDrawRotated(TDirectDrawSurface& Dest, int32_t X, int32_t Y, int32_t Width, int32_t Height,
                     const TDirectDrawSurface& Src, const TRect& SrcRect, double CenterX,
                     double CenterY, int32_t Angle, bool Transparent) {
  if (Width == 0 || Height == 0 || Dest.Empty() || Src.Empty()) return;
  const TSourceSpan SX = Axis(SrcRect.Left, SrcRect.Right);
  const TSourceSpan SY = Axis(SrcRect.Top, SrcRect.Bottom);
  const int64_t SW = SX.Size();
  const int64_t SH = SY.Size();
  if (SW == 0 || SH == 0 || !std::isfinite(CenterX) || !std::isfinite(CenterY)) return;
  // No real pattern is this large; the bound keeps every 16.16 product below 2^63.
  if (SW > (1 << 20) || SH > (1 << 20)) return;

  const auto& Cos = CosineTable();
  const size_t Turn = static_cast<size_t>(Angle & 0xFF);
  const int64_t C = Cos[Turn];
  const int64_t S = Cos[(Turn + 192) & 0xFF];  // sine of the angle
  // Pattern pixels per destination pixel, 16.16 (negative sizes mirror).
  const int64_t ScaleX = (SW << 16) / Width;
  const int64_t ScaleY = (SH << 16) / Height;
  // Inverse mapping: a destination offset (dx, dy) from the pivot samples the pattern at
  // pivot + (sx (dx cos a + dy sin a), sy (-dx sin a + dy cos a)), which is a turn by -a:
  // the picture appears turned clockwise by a on a screen whose y grows downwards.
  const int64_t DuDx = (ScaleX * C) >> 16;
  const int64_t DuDy = (ScaleX * S) >> 16;
  const int64_t DvDx = -((ScaleY * S) >> 16);
  const int64_t DvDy = (ScaleY * C) >> 16;
  const double PivotU = std::clamp(CenterX * static_cast<double>(SW), -1e9, 1e9);
  const double PivotV = std::clamp(CenterY * static_cast<double>(SH), -1e9, 1e9);
  const int64_t PU = std::llround(PivotU * 65536.0);
  const int64_t PV = std::llround(PivotV * 65536.0);

  // Destination box: the pattern's corners mapped forward, widened by a pixel.
  const double Cd = static_cast<double>(C) / 65536.0;
  const double Sd = static_cast<double>(S) / 65536.0;
  const double Kx = static_cast<double>(Width) / static_cast<double>(SW);
  const double Ky = static_cast<double>(Height) / static_cast<double>(SH);
  double MinX = 1e18, MaxX = -1e18, MinY = 1e18, MaxY = -1e18;
  for (int Corner = 0; Corner < 4; ++Corner) {
    const double U = ((Corner & 1) ? static_cast<double>(SW) : 0.0) - PivotU;
    const double V = ((Corner & 2) ? static_cast<double>(SH) : 0.0) - PivotV;
    const double Uu = U * Kx;
    const double Vv = V * Ky;
    const double Dx = Uu * Cd - Vv * Sd;
    const double Dy = Uu * Sd + Vv * Cd;
    MinX = std::min(MinX, Dx);
    MaxX = std::max(MaxX, Dx);
    MinY = std::min(MinY, Dy);
    MaxY = std::max(MaxY, Dy);
  }
  const bool Keyed = Transparent && Src.HasColorKey();
  const TTurnMap Map{SX, SY, SW, SH, DuDx, DuDy, DvDx, DvDy, PU, PV, Keyed, Src.ColorKey()};
  // The box of the pixels that can land in the pattern, from (X, Y), widened a little.
  const double BoxL = std::floor(MinX) - 2, BoxR = std::ceil(MaxX) + 3;
  const double BoxT = std::floor(MinY) - 2, BoxB = std::ceil(MaxY) + 3;
  if ((BoxR - BoxL) * (BoxB - BoxT) <= kMaxTurnedArea) {
    // The turned picture depends on the offset from (X, Y) alone: made once, then copied
    // by its runs wherever it is drawn.
    const TDirectDrawSurface::TTurnedKey Key = {SrcRect.Left,
                                                SrcRect.Top,
                                                SrcRect.Right,
                                                SrcRect.Bottom,
                                                Width,
                                                Height,
                                                std::bit_cast<int64_t>(CenterX),
                                                std::bit_cast<int64_t>(CenterY),
                                                static_cast<int64_t>(Turn),
                                                Keyed ? 1 : 0};
    const TDirectDrawSurface::TTurnedPicture* Picture = Src.FindTurned(Key);
    if (Picture == nullptr) {
      TDirectDrawSurface::TTurnedPicture& Made = Src.AddTurned(Key);
      MakeTurned(Made, Src, Map, static_cast<int32_t>(BoxL), static_cast<int32_t>(BoxT),
                 static_cast<int32_t>(BoxR - BoxL), static_cast<int32_t>(BoxB - BoxT));
      Picture = &Made;
    }
    DrawTurned(Dest, X, Y, *Picture);
    return;
  }

  const int64_t DestW = Dest.Width();
  const int64_t DestH = Dest.Height();
  const auto ClampTo = [](double V, int64_t Lo, int64_t Hi) {
    return static_cast<int64_t>(std::clamp(V, static_cast<double>(Lo), static_cast<double>(Hi)));
  };
  const int64_t X0 = ClampTo(std::floor(X + MinX) - 1, 0, DestW);
  const int64_t X1 = ClampTo(std::ceil(X + MaxX) + 2, 0, DestW);
  const int64_t Y0 = ClampTo(std::floor(Y + MinY) - 1, 0, DestH);
  const int64_t Y1 = ClampTo(std::ceil(Y + MaxY) + 2, 0, DestH);
  if (X0 >= X1 || Y0 >= Y1) return;
  uint32_t* DestBase = Dest.Pixels();
  for (int64_t DY = Y0; DY < Y1; ++DY)
    TurnedRow(Map, Src, X0 - X, DY - Y, X1 - X0,
              [&](int64_t K, uint32_t P) { DestBase[DY * DestW + X0 + K] = P; });
}
