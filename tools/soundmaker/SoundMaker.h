#pragma once
// The sound maker: renders the game's sound effects from small text parameter files.
//
// A parameter file holds `key = value` lines; `#` starts a comment. Keys before the first
// `[layer]` line that are not global start an implicit first layer; every `[layer]` line
// starts a new layer, and all layers are mixed, then normalised to the peak level.
//
// Global keys:
//   rate = 22050 | 44100        sample rate in Hz (default 22050)
//   peak = -1                   normalised peak in dBFS, -30 .. -0.1 (default -1)
//   seed = 1                    noise generator seed (default 1)
// Layer keys (times in ms, frequencies in Hz):
//   shape = square | saw | triangle | sine | noise   (default square)
//   duty = 0.5                  pulse width of the square, 0.01 .. 0.99
//   freq = 440                  start frequency; freq_end = end of the pitch slide
//   slide = exp | linear        how the pitch moves from freq to freq_end (default exp)
//   vibrato_depth = 0           semitones; vibrato_rate = Hz
//   attack, hold, decay, sustain_time, release    envelope phase lengths
//   sustain = 1                 level of the sustain phase, 0 .. 1
//   noise_mix = 0               share of white noise mixed into the oscillator, 0 .. 1
//   lowpass = 0, lowpass_end    low-pass cut-off and its sweep end (0 = no filter)
//   highpass = 0, highpass_end  high-pass cut-off and its sweep end (0 = no filter)
//   resonance = 0.7             filter Q, 0.5 .. 10
//   repeat = 1, gap = 0         the layer plays `repeat` times, `gap` ms apart
//   repeat_shift = 0            semitones added to the pitch on each repeat
//   arpeggio = 0 4 7            semitone steps; arpeggio_step = ms per step (last held)
//   delay = 0                   start of the layer in the mix
//   volume = 1                  layer gain before normalisation, 0 .. 4

#include <cstdint>
#include <string>
#include <vector>

enum class TWaveShape { Square, Saw, Triangle, Sine, Noise };
enum class TSlideKind { Exponential, Linear };

struct TSoundLayer {
  TWaveShape Shape = TWaveShape::Square;
  double Duty = 0.5;
  double FreqStart = 440.0;
  double FreqEnd = -1.0;  // below 0: no slide (same as FreqStart)
  TSlideKind Slide = TSlideKind::Exponential;
  double VibratoDepth = 0.0;  // semitones
  double VibratoRate = 0.0;   // Hz
  double AttackMs = 0.0;
  double HoldMs = 0.0;
  double DecayMs = 0.0;
  double SustainMs = 0.0;
  double ReleaseMs = 0.0;
  double Sustain = 1.0;
  double NoiseMix = 0.0;
  double LowPass = 0.0;  // 0 = off
  double LowPassEnd = -1.0;
  double HighPass = 0.0;  // 0 = off
  double HighPassEnd = -1.0;
  double Resonance = 0.707;
  int32_t Repeat = 1;
  double GapMs = 0.0;
  double RepeatShift = 0.0;      // semitones per repeat
  std::vector<double> Arpeggio;  // semitone offsets, one per step
  double ArpeggioStepMs = 0.0;
  double DelayMs = 0.0;
  double Volume = 1.0;

  // Length of one play of the envelope, in ms.
  double NoteMs() const { return AttackMs + HoldMs + DecayMs + SustainMs + ReleaseMs; }
};

struct TSoundParams {
  uint32_t SampleRate = 22050;
  double PeakDb = -1.0;
  uint32_t Seed = 1;
  std::vector<TSoundLayer> Layers;
};

// Parses the text of a parameter file. FileName is used in messages only, which read
// "FILE:LINE: fault".
bool ParseSoundParams(const std::string& Text, const std::string& FileName, TSoundParams& Params,
                      std::string& Error);

// Renders mono samples, mixed and normalised to Params.PeakDb. Fails on invalid parameters
// and on a result that is silent.
bool RenderSound(const TSoundParams& Params, std::vector<int16_t>& Samples, std::string& Error);

// A whole RIFF/WAVE file: "RIFF" size "WAVE", a 16-byte "fmt " chunk (PCM, mono, 16-bit)
// and the "data" chunk.
std::vector<uint8_t> MakeWaveFile(const std::vector<int16_t>& Samples, uint32_t SampleRate);

// Reads, parses and renders ParamPath into a whole wave file.
bool RenderSoundFile(const std::string& ParamPath, std::vector<uint8_t>& WaveFile,
                     std::string& Error);
