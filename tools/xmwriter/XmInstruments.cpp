#include "tools/xmwriter/XmInstruments.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "tools/soundmaker/Noise.h"

namespace {

constexpr double Pi = std::numbers::pi;
constexpr double MiddleC = 261.6256;   // Hz of note C-4
constexpr double XmBaseRate = 8363.0;  // playback rate of C-4 with no relative note
constexpr double DrumRate = 22050.0;
constexpr uint32_t kNoiseZeroSeed = 0x2545f491u;  // stands in for a recipe seed of 0

// Sets relative note and finetune so that a wave whose pitch is SamplesPerCycle samples long
// sounds MiddleC at note C-4.
void Tune(TXmSample& S, double SamplesPerCycle) {
  const double Semitones = 12.0 * std::log2(MiddleC * SamplesPerCycle / XmBaseRate);
  const double Whole = std::round(Semitones);
  S.RelativeNote = static_cast<int8_t>(Whole);
  S.Finetune =
      static_cast<int8_t>(std::clamp(std::lround((Semitones - Whole) * 128.0), -128L, 127L));
}

std::vector<int16_t> ToSamples(const std::vector<double>& Wave) {
  double Peak = 0;
  for (double V : Wave) Peak = std::max(Peak, std::abs(V));
  const double Scale = Peak > 0 ? 0.89 * 32767.0 / Peak : 0.0;
  std::vector<int16_t> Out;
  Out.reserve(Wave.size());
  for (double V : Wave) Out.push_back(static_cast<int16_t>(std::lround(V * Scale)));
  return Out;
}

// Harmonic K's amplitude for a lead or pad wave, with a gentle roll-off above `Soft`
// harmonics so the tone stays round.
double Harmonic(TLeadShape Shape, double Duty, int K, double Soft) {
  double A = 0;
  switch (Shape) {
    case TLeadShape::Pulse:
      A = std::sin(Pi * K * Duty) / K;
      break;
    case TLeadShape::Triangle:
      A = K % 2 ? 1.0 / (static_cast<double>(K) * K) : 0.0;
      break;
    case TLeadShape::Saw:
      A = 1.0 / K;
      break;
  }
  return A / (1.0 + (K / Soft) * (K / Soft));
}

TXmSample MakeLead(const TInstrumentRecipe& Recipe) {
  // One cycle of 128 samples, built from its harmonics so the loop is seamless and the
  // highest notes stay below the output's Nyquist limit (16 harmonics at most).
  const int Cycle = 128;
  std::vector<double> Wave(Cycle, 0.0);
  for (int K = 1; K <= 16; ++K) {
    const double A = Harmonic(Recipe.Shape, Recipe.Duty, K, 5.0 * Recipe.Brightness);
    for (int I = 0; I < Cycle; ++I) Wave[I] += A * std::cos(2.0 * Pi * K * I / Cycle);
  }
  TXmSample S;
  S.Data = ToSamples(Wave);
  S.Loop = TXmLoop::Forward;
  S.LoopStart = 0;
  S.LoopLength = Cycle;
  Tune(S, Cycle);
  return S;
}

TXmSample MakePad(const TInstrumentRecipe& Recipe) {
  // A loop of 16,384 samples holding exactly 128 cycles of the middle voice and 128 -+ d of
  // the detuned ones: every voice is periodic in the loop, so it repeats without a seam
  // and the voices beat slowly against each other.
  const int Loop = 16384, Cycles = 128;
  const int Spread = std::max(
      1,
      static_cast<int>(std::lround(Cycles * (std::pow(2.0, Recipe.DetuneCents / 1200.0) - 1.0))));
  struct TVoice {
    int Cycles;
    double Gain;
  };
  const TVoice Voices[] = {
      {Cycles, 1.0}, {Cycles - Spread, 0.8}, {Cycles + Spread, 0.8}, {2 * Cycles + Spread, 0.25}};
  TNoise Phase(Recipe.Seed, kNoiseZeroSeed);
  std::vector<double> Wave(Loop, 0.0);
  for (const TVoice& V : Voices) {
    for (int K = 1; K * V.Cycles < Loop / 8 && K <= 24; ++K) {
      const double A = V.Gain * Harmonic(TLeadShape::Saw, 0.5, K, 4.0 * Recipe.Brightness);
      const double Start = Pi * Phase.Next();
      const double Step = 2.0 * Pi * K * V.Cycles / Loop;
      for (int I = 0; I < Loop; ++I) Wave[I] += A * std::sin(Start + Step * I);
    }
  }
  TXmSample S;
  S.Data = ToSamples(Wave);
  S.Loop = TXmLoop::Forward;
  S.LoopStart = 0;
  S.LoopLength = Loop;
  Tune(S, static_cast<double>(Loop) / Cycles);
  return S;
}

TXmSample MakePluck(const TInstrumentRecipe& Recipe) {
  // Karplus-Strong: a delay line of 200 samples at 22,050 Hz filled with soft noise and a
  // saw, fed back through a two-point average; the string sounds one cycle per 200.5 samples.
  const int Delay = 200;
  const double Ms = Recipe.LengthMs > 0 ? Recipe.LengthMs : 1800.0;
  const size_t Count = static_cast<size_t>(DrumRate * Ms / 1000.0);
  TNoise Noise(Recipe.Seed, kNoiseZeroSeed);
  std::vector<double> Line(Delay);
  double Smooth = 0;
  const double Bright = std::clamp(0.35 * Recipe.Brightness, 0.05, 0.95);
  for (int I = 0; I < Delay; ++I) {
    Smooth += Bright * (Noise.Next() - Smooth);
    Line[I] = 0.6 * Smooth + 0.4 * (1.0 - 2.0 * I / Delay);
  }
  std::vector<double> Wave(Count);
  const double Damping = 0.994;
  for (size_t I = 0; I < Count; ++I) {
    const size_t At = I % Delay;
    const double Out = Line[At];
    Wave[I] = Out;
    Line[At] = Damping * 0.5 * (Out + Line[(At + 1) % Delay]);
  }
  // Remove the DC of the pluck and fade the last 40 ms so the end does not click.
  double Mean = 0;
  for (double V : Wave) Mean += V;
  Mean /= static_cast<double>(Count);
  const size_t Fade = static_cast<size_t>(DrumRate * 0.04);
  for (size_t I = 0; I < Count; ++I) {
    Wave[I] -= Mean * std::exp(-static_cast<double>(I) / (DrumRate * 0.3));
    if (I + Fade >= Count) Wave[I] *= static_cast<double>(Count - I) / Fade;
  }
  TXmSample S;
  S.Data = ToSamples(Wave);
  Tune(S, Delay + 0.5);
  return S;
}

// Drum waves at 22,050 Hz; C-4 plays them at that rate.
TXmSample MakeDrum(const TInstrumentRecipe& Recipe) {
  double Ms = Recipe.LengthMs;
  if (Ms <= 0) {
    Ms = Recipe.Kind == TInstrumentKind::Kick    ? 380.0
         : Recipe.Kind == TInstrumentKind::Snare ? 260.0
                                                 : 70.0;
  }
  const size_t Count = static_cast<size_t>(DrumRate * Ms / 1000.0);
  const double Seconds = Ms / 1000.0;
  TNoise Noise(Recipe.Seed, kNoiseZeroSeed);
  std::vector<double> Wave(Count);
  double Phase = 0, Low = 0, High1 = 0, High2 = 0, Last = 0, Last2 = 0;
  for (size_t I = 0; I < Count; ++I) {
    const double T = I / DrumRate;
    const double N = Noise.Next();
    double V = 0;
    switch (Recipe.Kind) {
      case TInstrumentKind::Kick: {
        const double Freq = 48.0 + 120.0 * std::exp(-T / 0.035);
        Phase += 2.0 * Pi * Freq / DrumRate;
        Low += 0.3 * (N - Low);
        const double Click = T < 0.004 ? Low * (1.0 - T / 0.004) : 0.0;
        V = std::sin(Phase) * std::exp(-T / (Seconds * 0.4)) + 0.6 * Click;
        break;
      }
      case TInstrumentKind::Snare: {
        const double Freq = 160.0 + 40.0 * std::exp(-T / 0.02);
        Phase += 2.0 * Pi * Freq / DrumRate;
        // One-pole high-pass near 1.5 kHz keeps the snap and drops the rumble.
        High1 = 0.65 * (High1 + N - Last);
        Last = N;
        V = 0.55 * std::sin(Phase) * std::exp(-T / 0.045) +
            0.8 * High1 * std::exp(-T / (Seconds * 0.3));
        break;
      }
      default: {
        // Two high-pass stages near 6 kHz: a thin metallic tick.
        High1 = 0.25 * (High1 + N - Last);
        Last = N;
        High2 = 0.25 * (High2 + High1 - Last2);
        Last2 = High1;
        V = High2 * std::exp(-T / (Seconds * 0.25));
        break;
      }
    }
    // The last 5 ms fade to zero.
    const double Tail = (Count - I) / (DrumRate * 0.005);
    Wave[I] = V * std::min(1.0, Tail);
  }
  TXmSample S;
  S.Data = ToSamples(Wave);
  Tune(S, DrumRate / MiddleC);
  return S;
}

}  // namespace

TInstrumentRecipe DefaultInstrument(TInstrumentKind Kind) {
  TInstrumentRecipe S;
  S.Kind = Kind;
  switch (Kind) {
    case TInstrumentKind::Lead:
      S.Volume = 40;
      S.AttackTicks = 2;
      S.DecayTicks = 10;
      S.SustainLevel = 44;
      S.Fadeout = 1200;
      S.VibratoDepth = 2;
      S.VibratoRate = 10;
      S.VibratoSweep = 24;
      break;
    case TInstrumentKind::Pad:
      S.Volume = 28;
      S.AttackTicks = 20;
      S.DecayTicks = 20;
      S.SustainLevel = 48;
      S.Fadeout = 400;
      break;
    case TInstrumentKind::Pluck:
      S.Volume = 48;
      S.AttackTicks = 0;
      S.DecayTicks = 6;
      S.SustainLevel = 56;
      S.Fadeout = 3000;
      break;
    case TInstrumentKind::Kick:
    case TInstrumentKind::Snare:
    case TInstrumentKind::Hat:
      S.Volume = 48;
      S.AttackTicks = 0;
      S.DecayTicks = 0;
      S.SustainLevel = 64;
      S.Fadeout = 0;
      break;
  }
  return S;
}

TXmInstrument MakeInstrument(const TInstrumentRecipe& Recipe) {
  TXmInstrument I;
  I.Name = Recipe.Name;
  switch (Recipe.Kind) {
    case TInstrumentKind::Lead:
      I.Sample = MakeLead(Recipe);
      break;
    case TInstrumentKind::Pad:
      I.Sample = MakePad(Recipe);
      break;
    case TInstrumentKind::Pluck:
      I.Sample = MakePluck(Recipe);
      break;
    default:
      I.Sample = MakeDrum(Recipe);
      break;
  }
  I.Sample.Name = Recipe.Name;
  I.Sample.Volume = Recipe.Volume;
  I.Sample.Panning = Recipe.Pan;
  const bool Drum = Recipe.Kind == TInstrumentKind::Kick || Recipe.Kind == TInstrumentKind::Snare ||
                    Recipe.Kind == TInstrumentKind::Hat;
  if (!Drum) {
    // Rise, fall to the sustain level and hold there until key off; the fadeout releases.
    auto& P = I.VolumeEnvelope.Points;
    const uint16_t Attack = static_cast<uint16_t>(Recipe.AttackTicks);
    if (Attack > 0) P.push_back({0, 0});
    P.push_back({Attack, 64});
    P.push_back({static_cast<uint16_t>(Attack + std::max(1, Recipe.DecayTicks)),
                 static_cast<uint16_t>(Recipe.SustainLevel)});
    I.VolumeEnvelope.Sustain = static_cast<int>(P.size()) - 1;
    I.Fadeout = static_cast<uint16_t>(Recipe.Fadeout);
  }
  I.VibratoDepth = static_cast<uint8_t>(Recipe.VibratoDepth);
  I.VibratoRate = static_cast<uint8_t>(Recipe.VibratoRate);
  I.VibratoSweep = static_cast<uint8_t>(Recipe.VibratoSweep);
  return I;
}
