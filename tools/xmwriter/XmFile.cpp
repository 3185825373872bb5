#include "tools/xmwriter/XmFile.h"

#include <algorithm>

namespace {

class TByteWriter {
 public:
  std::vector<uint8_t> Bytes;
  void U8(uint32_t V) { Bytes.push_back(static_cast<uint8_t>(V)); }
  void U16(uint32_t V) {
    U8(V & 0xff);
    U8(V >> 8 & 0xff);
  }
  void U32(uint32_t V) {
    U16(V & 0xffff);
    U16(V >> 16);
  }
  // A fixed-size text field, padded with zeros (spaces would show in some trackers).
  void Text(const std::string& S, size_t Size, char Pad = 0) {
    for (size_t I = 0; I < Size; ++I) U8(I < S.size() ? static_cast<uint8_t>(S[I]) : Pad);
  }
  void Zeros(size_t N) { Bytes.insert(Bytes.end(), N, 0); }
  void PutU16At(size_t At, uint32_t V) {
    Bytes[At] = static_cast<uint8_t>(V);
    Bytes[At + 1] = static_cast<uint8_t>(V >> 8);
  }
};

// Pattern data packing: a cell is either five bytes (note, instrument, volume, effect,
// parameter) or a flag byte with bit 7 set and bits 0..4 telling which of the five follow.
void PackCell(TByteWriter& W, const TXmCell& C) {
  uint8_t Flags = 0x80;
  if (C.Note) Flags |= 0x01;
  if (C.Instrument) Flags |= 0x02;
  if (C.Volume) Flags |= 0x04;
  if (C.Effect) Flags |= 0x08;
  if (C.Param) Flags |= 0x10;
  if (Flags == 0x9f) {  // everything present: the unpacked form is one byte shorter
    W.U8(C.Note);
    W.U8(C.Instrument);
    W.U8(C.Volume);
    W.U8(C.Effect);
    W.U8(C.Param);
    return;
  }
  W.U8(Flags);
  if (C.Note) W.U8(C.Note);
  if (C.Instrument) W.U8(C.Instrument);
  if (C.Volume) W.U8(C.Volume);
  if (C.Effect) W.U8(C.Effect);
  if (C.Param) W.U8(C.Param);
}

void WriteEnvelopePoints(TByteWriter& W, const TXmEnvelope& E) {
  for (size_t I = 0; I < 12; ++I) {
    W.U16(I < E.Points.size() ? E.Points[I].first : 0);
    W.U16(I < E.Points.size() ? E.Points[I].second : 0);
  }
}

uint8_t EnvelopeFlags(const TXmEnvelope& E) {
  if (!E.On()) return 0;
  uint8_t F = 1;
  if (E.Sustain >= 0) F |= 2;
  if (E.LoopStart >= 0 && E.LoopEnd >= 0) F |= 4;
  return F;
}

}  // namespace

std::string CheckXmModule(const TXmModule& M) {
  if (M.Channels < 2 || M.Channels > 32 || M.Channels % 2) {
    return "channels must be an even number from 2 to 32";
  }
  if (M.Speed < 1 || M.Speed > 31) return "speed must be from 1 to 31";
  if (M.Bpm < 32 || M.Bpm > 255) return "bpm must be from 32 to 255";
  if (M.Orders.empty() || M.Orders.size() > 256) return "the order list needs 1 to 256 entries";
  if (M.Restart >= M.Orders.size()) return "the restart position is past the order list";
  if (M.Patterns.empty() || M.Patterns.size() > 256) return "the module needs 1 to 256 patterns";
  for (uint8_t O : M.Orders) {
    if (O >= M.Patterns.size()) return "the order list names a pattern that does not exist";
  }
  for (const TXmPattern& P : M.Patterns) {
    if (P.Rows < 1 || P.Rows > 256) return "a pattern needs 1 to 256 rows";
    if (P.Cells.size() != static_cast<size_t>(P.Rows) * M.Channels) {
      return "a pattern's cells do not fill its rows and channels";
    }
    for (const TXmCell& C : P.Cells) {
      if (C.Note > XmKeyOff) return "a note is out of range";
      if (C.Instrument > M.Instruments.size()) return "a cell names a missing instrument";
    }
  }
  if (M.Instruments.size() > 128) return "at most 128 instruments";
  for (const TXmInstrument& I : M.Instruments) {
    const TXmSample& S = I.Sample;
    if (S.Volume > 64) return "instrument " + I.Name + ": sample volume above 64";
    if (S.Loop != TXmLoop::None &&
        (S.LoopLength == 0 || S.LoopStart + S.LoopLength > S.Data.size())) {
      return "instrument " + I.Name + ": the loop is outside the sample";
    }
    const auto& P = I.VolumeEnvelope.Points;
    if (P.size() > 12) return "instrument " + I.Name + ": more than 12 envelope points";
    for (size_t K = 0; K < P.size(); ++K) {
      if (P[K].second > 64) return "instrument " + I.Name + ": envelope value above 64";
      if (K && P[K].first <= P[K - 1].first) {
        return "instrument " + I.Name + ": envelope ticks must rise";
      }
    }
    if (I.VolumeEnvelope.Sustain >= static_cast<int>(P.size())) {
      return "instrument " + I.Name + ": envelope sustain point does not exist";
    }
  }
  return {};
}

std::vector<uint8_t> WriteXm(const TXmModule& M) {
  TByteWriter W;
  // Header: 60 bytes of identification, then a 276-byte block whose size field counts itself.
  W.Text("Extended Module: ", 17);
  W.Text(M.Name, 20);
  W.U8(0x1a);
  W.Text("Tallow Brackles xmw", 20);
  W.U16(0x0104);
  W.U32(276);
  W.U16(static_cast<uint32_t>(M.Orders.size()));
  W.U16(M.Restart);
  W.U16(M.Channels);
  W.U16(static_cast<uint32_t>(M.Patterns.size()));
  W.U16(static_cast<uint32_t>(M.Instruments.size()));
  W.U16(1);  // linear frequency table
  W.U16(M.Speed);
  W.U16(M.Bpm);
  for (size_t I = 0; I < 256; ++I) W.U8(I < M.Orders.size() ? M.Orders[I] : 0);

  // Patterns: a 9-byte header (its own length, packing type 0, rows, packed size), then data.
  for (const TXmPattern& P : M.Patterns) {
    W.U32(9);
    W.U8(0);
    W.U16(P.Rows);
    const size_t SizeAt = W.Bytes.size();
    W.U16(0);
    const size_t Start = W.Bytes.size();
    for (const TXmCell& C : P.Cells) PackCell(W, C);
    W.PutU16At(SizeAt, static_cast<uint32_t>(W.Bytes.size() - Start));
  }

  // Instruments: a 263-byte header (29 bytes of name and sample count, then keymap,
  // envelopes, vibrato and fadeout), one 40-byte sample header, then the sample's deltas.
  for (const TXmInstrument& I : M.Instruments) {
    const TXmSample& S = I.Sample;
    W.U32(263);
    W.Text(I.Name, 22);
    W.U8(0);
    W.U16(1);
    W.U32(40);
    W.Zeros(96);  // every key plays sample 0
    WriteEnvelopePoints(W, I.VolumeEnvelope);
    WriteEnvelopePoints(W, TXmEnvelope{});
    W.U8(static_cast<uint32_t>(I.VolumeEnvelope.Points.size()));
    W.U8(0);
    W.U8(std::max(I.VolumeEnvelope.Sustain, 0));
    W.U8(std::max(I.VolumeEnvelope.LoopStart, 0));
    W.U8(std::max(I.VolumeEnvelope.LoopEnd, 0));
    W.U8(0);
    W.U8(0);
    W.U8(0);
    W.U8(EnvelopeFlags(I.VolumeEnvelope));
    W.U8(0);
    W.U8(I.VibratoType);
    W.U8(I.VibratoSweep);
    W.U8(I.VibratoDepth);
    W.U8(I.VibratoRate);
    W.U16(I.Fadeout);
    W.Zeros(22);

    // Lengths and loop points of a 16-bit sample are counted in bytes.
    const bool Looped = S.Loop != TXmLoop::None;
    W.U32(static_cast<uint32_t>(S.Data.size() * 2));
    W.U32(Looped ? S.LoopStart * 2 : 0);
    W.U32(Looped ? S.LoopLength * 2 : 0);
    W.U8(S.Volume);
    W.U8(static_cast<uint8_t>(S.Finetune));
    W.U8(static_cast<uint8_t>(S.Loop) | 0x10);  // bit 4: 16-bit data
    W.U8(S.Panning);
    W.U8(static_cast<uint8_t>(S.RelativeNote));
    W.U8(0);  // delta-coded samples
    W.Text(S.Name, 22);

    int16_t Previous = 0;
    for (int16_t V : S.Data) {
      W.U16(static_cast<uint16_t>(V - Previous));
      Previous = V;
    }
  }
  return W.Bytes;
}
