#pragma once
// The module's synthesised instruments: every sample wave is computed here.

#include <cstdint>
#include <string>

#include "tools/xmwriter/XmFile.h"

enum class TInstrumentKind {
  Lead,   // soft band-limited pulse (or triangle, saw) cycle, looped
  Pluck,  // plucked string (Karplus-Strong), decaying, not looped
  Pad,    // three detuned saws and a quiet octave, one long seamless loop
  Kick,   // sine with a falling pitch and a click
  Snare,  // tone body and bright noise
  Hat     // high noise tick
};

enum class TLeadShape { Pulse, Triangle, Saw };

struct TInstrumentRecipe {
  std::string Name;
  TInstrumentKind Kind = TInstrumentKind::Lead;
  uint8_t Volume = 48;  // sample volume 0..64
  uint8_t Pan = 128;    // 0 left .. 255 right
  TLeadShape Shape = TLeadShape::Pulse;
  double Duty = 0.5;         // pulse width of the lead, 0.05 .. 0.95
  int AttackTicks = 1;       // volume envelope: rise to full,
  int DecayTicks = 8;        // then fall to the sustain level,
  int SustainLevel = 48;     // 0..64, held until key off,
  int Fadeout = 1024;        // then lose this much of 32,768 per tick
  int VibratoDepth = 0;      // instrument vibrato, tracker units (0..15)
  int VibratoRate = 0;       // 0..63
  int VibratoSweep = 0;      // ticks to reach full depth
  double LengthMs = 0;       // drums and pluck: sample length (0 = the kind's own)
  double DetuneCents = 14;   // pad: spread of its voices
  double Brightness = 1.0;   // 0.25 .. 4: more or fewer upper harmonics
  uint8_t DefaultNote = 49;  // C-4: played by a bare instrument name in a score
  uint32_t Seed = 1;
};

// The recipe a kind starts from before the score's keys are applied.
TInstrumentRecipe DefaultInstrument(TInstrumentKind Kind);

// Builds the instrument: sample data at full level (peak about -1 dBFS), loop, tuning so
// that note C-4 sounds 261.63 Hz (drums: C-4 plays the sample at its own rate), envelope.
TXmInstrument MakeInstrument(const TInstrumentRecipe& Recipe);
