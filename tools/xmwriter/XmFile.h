#pragma once
// An extended module (XM, version 1.04) in memory, and its writer.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// One cell of a pattern: note 0 = none, 1..96 = C-0..B-7, 97 = key off; instrument 0 = none,
// 1..128; volume column 0 = none, 0x10..0x50 = set volume 0..64; effect and parameter as
// the tracker writes them.
struct TXmCell {
  uint8_t Note = 0;
  uint8_t Instrument = 0;
  uint8_t Volume = 0;
  uint8_t Effect = 0;
  uint8_t Param = 0;
  bool Empty() const { return !Note && !Instrument && !Volume && !Effect && !Param; }
};

constexpr uint8_t XmKeyOff = 97;

struct TXmPattern {
  uint16_t Rows = 64;          // 1 .. 256
  std::vector<TXmCell> Cells;  // Rows x channels, row by row
};

// Envelope points are (tick, value 0..64); at most 12; ticks strictly rising.
struct TXmEnvelope {
  std::vector<std::pair<uint16_t, uint16_t>> Points;
  int Sustain = -1;  // point index, -1 = none
  int LoopStart = -1;
  int LoopEnd = -1;
  bool On() const { return Points.size() >= 2; }
};

enum class TXmLoop : uint8_t { None = 0, Forward = 1, PingPong = 2 };

struct TXmSample {
  std::string Name;
  std::vector<int16_t> Data;  // 16-bit samples (written as deltas)
  uint32_t LoopStart = 0;     // in samples
  uint32_t LoopLength = 0;    // in samples
  TXmLoop Loop = TXmLoop::None;
  uint8_t Volume = 64;      // 0 .. 64
  int8_t Finetune = 0;      // 1/128 semitone
  uint8_t Panning = 128;    // 0 left .. 255 right
  int8_t RelativeNote = 0;  // semitones; 0 plays C-4 at 8,363 Hz
};

struct TXmInstrument {
  std::string Name;
  TXmSample Sample;  // our instruments have one sample for every key
  TXmEnvelope VolumeEnvelope;
  uint16_t Fadeout = 0;  // volume lost per tick after key off, of 32768
  uint8_t VibratoType = 0, VibratoSweep = 0, VibratoDepth = 0, VibratoRate = 0;
};

struct TXmModule {
  std::string Name;             // at most 20 characters are kept
  uint16_t Channels = 8;        // 2 .. 32, even
  uint16_t Speed = 6;           // ticks per row
  uint16_t Bpm = 125;           // a tick lasts 2.5 / Bpm seconds
  uint16_t Restart = 0;         // order position the song loops back to
  std::vector<uint8_t> Orders;  // pattern numbers, 1 .. 256 entries
  std::vector<TXmPattern> Patterns;
  std::vector<TXmInstrument> Instruments;
};

// Checks the module can be written; empty when it can, else the fault.
std::string CheckXmModule(const TXmModule& Module);

// The whole file. The module must pass CheckXmModule.
std::vector<uint8_t> WriteXm(const TXmModule& Module);
