#include "tools/soundmaker/SoundMaker.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <numbers>
#include <set>
#include <sstream>

#include "tools/soundmaker/Noise.h"

namespace {

constexpr double Pi = std::numbers::pi;

std::string Trim(const std::string& S) {
  const auto First = S.find_first_not_of(" \t\r");
  if (First == std::string::npos) return {};
  const auto Last = S.find_last_not_of(" \t\r");
  return S.substr(First, Last - First + 1);
}

bool ParseNumber(const std::string& Text, double& Value) {
  if (Text.empty()) return false;
  char* End = nullptr;
  Value = std::strtod(Text.c_str(), &End);
  return End == Text.c_str() + Text.size() && std::isfinite(Value);
}

// A fault of a layer: the key at fault (empty when it is the whole layer) and the reason.
struct TLayerFault {
  std::string Key;
  std::string Message;
  bool Empty() const { return Message.empty(); }
};

// Checks that a layer can be rendered at SampleRate.
TLayerFault CheckLayer(const TSoundLayer& L, uint32_t SampleRate) {
  const double Nyquist = SampleRate / 2.0;
  const std::string NyquistText = std::to_string(static_cast<int>(Nyquist));
  auto Outside = [](double V, double Lo, double Hi) { return !(V >= Lo && V <= Hi); };
  if (Outside(L.Duty, 0.01, 0.99)) return {"duty", "duty must be between 0.01 and 0.99"};
  if (Outside(L.FreqStart, 1.0, Nyquist)) {
    return {"freq", "freq must be between 1 and " + NyquistText + " Hz"};
  }
  if (L.FreqEnd >= 0 && Outside(L.FreqEnd, 1.0, Nyquist)) {
    return {"freq_end", "freq_end must be between 1 and " + NyquistText + " Hz"};
  }
  if (Outside(L.VibratoDepth, 0.0, 24.0)) {
    return {"vibrato_depth", "vibrato_depth must be between 0 and 24"};
  }
  if (Outside(L.VibratoRate, 0.0, 100.0)) {
    return {"vibrato_rate", "vibrato_rate must be between 0 and 100"};
  }
  const std::pair<const char*, double> Times[] = {
      {"attack", L.AttackMs},   {"hold", L.HoldMs},
      {"decay", L.DecayMs},     {"sustain_time", L.SustainMs},
      {"release", L.ReleaseMs}, {"gap", L.GapMs},
      {"delay", L.DelayMs},     {"arpeggio_step", L.ArpeggioStepMs}};
  for (const auto& [Key, Ms] : Times) {
    if (Outside(Ms, 0.0, 10000.0)) return {Key, std::string(Key) + " must be 0 .. 10000 ms"};
  }
  if (L.NoteMs() <= 0.0) {
    return {"", "layer has no length (attack, hold, decay, sustain_time and release are all 0)"};
  }
  if (Outside(L.Sustain, 0.0, 1.0)) return {"sustain", "sustain must be between 0 and 1"};
  if (Outside(L.NoiseMix, 0.0, 1.0)) return {"noise_mix", "noise_mix must be between 0 and 1"};
  const std::pair<const char*, double> Cutoffs[] = {{"lowpass", L.LowPass},
                                                    {"lowpass_end", L.LowPassEnd},
                                                    {"highpass", L.HighPass},
                                                    {"highpass_end", L.HighPassEnd}};
  for (const auto& [Key, F] : Cutoffs) {
    if (F > 0 && Outside(F, 10.0, Nyquist)) {
      return {Key, std::string(Key) + " must be between 10 and " + NyquistText + " Hz"};
    }
  }
  if (L.LowPass <= 0 && L.LowPassEnd > 0) return {"lowpass_end", "lowpass_end needs lowpass"};
  if (L.HighPass <= 0 && L.HighPassEnd > 0) {
    return {"highpass_end", "highpass_end needs highpass"};
  }
  if (Outside(L.Resonance, 0.5, 10.0)) {
    return {"resonance", "resonance must be between 0.5 and 10"};
  }
  if (L.Repeat < 1 || L.Repeat > 64) return {"repeat", "repeat must be from 1 to 64"};
  if (Outside(L.RepeatShift, -48.0, 48.0)) {
    return {"repeat_shift", "repeat_shift must be between -48 and 48"};
  }
  for (double Step : L.Arpeggio) {
    if (Outside(Step, -48.0, 48.0)) {
      return {"arpeggio", "arpeggio steps must be between -48 and 48"};
    }
  }
  if (!L.Arpeggio.empty() && L.ArpeggioStepMs <= 0) {
    return {"arpeggio", "arpeggio needs arpeggio_step"};
  }
  if (Outside(L.Volume, 0.0, 4.0)) return {"volume", "volume must be between 0 and 4"};
  return {};
}

std::string CheckGlobals(const TSoundParams& P) {
  if (P.SampleRate != 22050 && P.SampleRate != 44100) return "rate must be 22050 or 44100";
  if (!(P.PeakDb >= -30.0 && P.PeakDb <= -0.1)) return "peak must be between -30 and -0.1 dBFS";
  return {};
}

// Second-order (biquad) filter in direct form I; coefficients are set per sample so that
// the cut-off can sweep.
class TBiquad {
 public:
  void Set(bool HighPass, double Cutoff, double Q, double Rate) {
    const double W = 2.0 * Pi * std::min(Cutoff, Rate * 0.45) / Rate;
    const double Alpha = std::sin(W) / (2.0 * Q);
    const double C = std::cos(W);
    const double A0 = 1.0 + Alpha;
    if (HighPass) {
      B0 = (1.0 + C) / 2.0 / A0;
      B1 = -(1.0 + C) / A0;
    } else {
      B0 = (1.0 - C) / 2.0 / A0;
      B1 = (1.0 - C) / A0;
    }
    B2 = B0;
    A1 = -2.0 * C / A0;
    A2 = (1.0 - Alpha) / A0;
  }
  double Run(double X) {
    const double Y = B0 * X + B1 * X1 + B2 * X2 - A1 * Y1 - A2 * Y2;
    X2 = X1;
    X1 = X;
    Y2 = Y1;
    Y1 = Y;
    return Y;
  }

 private:
  double B0 = 1, B1 = 0, B2 = 0, A1 = 0, A2 = 0;
  double X1 = 0, X2 = 0, Y1 = 0, Y2 = 0;
};

// Band-limited step correction for the square and saw edges (polynomial BLEP), so that
// high slides do not alias into whistles.
double PolyBlep(double T, double Dt) {
  if (T < Dt) {
    T /= Dt;
    return T + T - T * T - 1.0;
  }
  if (T > 1.0 - Dt) {
    T = (T - 1.0) / Dt;
    return T * T + T + T + 1.0;
  }
  return 0.0;
}

double Sweep(double From, double To, double T) {
  if (To <= 0) return From;
  return From * std::pow(To / From, T);
}

// Envelope level at Ms into one note: attack (linear rise), hold at 1, decay to the sustain
// level, sustain, release to 0. Decay and release bend downwards so hits sound punchy.
double Envelope(const TSoundLayer& L, double Ms) {
  if (Ms < L.AttackMs) return Ms / L.AttackMs;
  Ms -= L.AttackMs;
  if (Ms < L.HoldMs) return 1.0;
  Ms -= L.HoldMs;
  if (Ms < L.DecayMs) {
    const double K = 1.0 - Ms / L.DecayMs;
    return L.Sustain + (1.0 - L.Sustain) * K * K;
  }
  Ms -= L.DecayMs;
  if (Ms < L.SustainMs) return L.Sustain;
  Ms -= L.SustainMs;
  if (Ms < L.ReleaseMs) {
    const double K = 1.0 - Ms / L.ReleaseMs;
    return L.Sustain * K * K;
  }
  return 0.0;
}

void RenderVoice(const TSoundLayer& L, int Repeat, uint32_t Rate, TNoise& Noise,
                 std::vector<double>& Mix, size_t Start) {
  const size_t Count = static_cast<size_t>(std::llround(L.NoteMs() * Rate / 1000.0));
  const double FreqEnd = L.FreqEnd >= 0 ? L.FreqEnd : L.FreqStart;
  const double Shift = std::pow(2.0, L.RepeatShift * Repeat / 12.0);
  TBiquad Low, High;
  double Phase = 0.0;
  double Held = Noise.Next();  // sample-and-hold value of the noise shape
  if (Mix.size() < Start + Count) Mix.resize(Start + Count, 0.0);
  for (size_t I = 0; I < Count; ++I) {
    const double T = Count > 1 ? static_cast<double>(I) / (Count - 1) : 0.0;
    const double Ms = I * 1000.0 / Rate;
    double Freq = L.Slide == TSlideKind::Linear ? L.FreqStart + (FreqEnd - L.FreqStart) * T
                                                : Sweep(L.FreqStart, FreqEnd, T);
    Freq *= Shift;
    if (!L.Arpeggio.empty()) {
      const size_t Step =
          std::min(static_cast<size_t>(Ms / L.ArpeggioStepMs), L.Arpeggio.size() - 1);
      Freq *= std::pow(2.0, L.Arpeggio[Step] / 12.0);
    }
    if (L.VibratoDepth > 0 && L.VibratoRate > 0) {
      Freq *=
          std::pow(2.0, L.VibratoDepth * std::sin(2.0 * Pi * L.VibratoRate * Ms / 1000.0) / 12.0);
    }
    const double Dt = std::min(Freq / Rate, 0.5);
    double V = 0.0;
    switch (L.Shape) {
      case TWaveShape::Square: {
        V = Phase < L.Duty ? 1.0 : -1.0;
        V += PolyBlep(Phase, Dt);
        double Fall = Phase - L.Duty;
        if (Fall < 0) Fall += 1.0;
        V -= PolyBlep(Fall, Dt);
        V -= 2.0 * L.Duty - 1.0;  // a narrow pulse is mostly low: take out its DC offset
        break;
      }
      case TWaveShape::Saw:
        V = 2.0 * Phase - 1.0 - PolyBlep(Phase, Dt);
        break;
      case TWaveShape::Triangle:
        V = 4.0 * std::abs(Phase - 0.5) - 1.0;
        break;
      case TWaveShape::Sine:
        V = std::sin(2.0 * Pi * Phase);
        break;
      case TWaveShape::Noise:
        V = Held;
        break;
    }
    Phase += Dt;
    if (Phase >= 1.0) {
      Phase -= 1.0;
      Held = Noise.Next();
    }
    if (L.NoiseMix > 0) V = V * (1.0 - L.NoiseMix) + Noise.Next() * L.NoiseMix;
    if (L.LowPass > 0) {
      Low.Set(false, Sweep(L.LowPass, L.LowPassEnd, T), L.Resonance, Rate);
      V = Low.Run(V);
    }
    if (L.HighPass > 0) {
      High.Set(true, Sweep(L.HighPass, L.HighPassEnd, T), L.Resonance, Rate);
      V = High.Run(V);
    }
    Mix[Start + I] += V * Envelope(L, Ms) * L.Volume;
  }
}

enum class TKeyKind { Global, Layer };

const std::map<std::string, TKeyKind>& Keys() {
  static const std::map<std::string, TKeyKind> Table = {
      {"rate", TKeyKind::Global},         {"peak", TKeyKind::Global},
      {"seed", TKeyKind::Global},         {"shape", TKeyKind::Layer},
      {"duty", TKeyKind::Layer},          {"freq", TKeyKind::Layer},
      {"freq_end", TKeyKind::Layer},      {"slide", TKeyKind::Layer},
      {"vibrato_depth", TKeyKind::Layer}, {"vibrato_rate", TKeyKind::Layer},
      {"attack", TKeyKind::Layer},        {"hold", TKeyKind::Layer},
      {"decay", TKeyKind::Layer},         {"sustain", TKeyKind::Layer},
      {"sustain_time", TKeyKind::Layer},  {"release", TKeyKind::Layer},
      {"noise_mix", TKeyKind::Layer},     {"lowpass", TKeyKind::Layer},
      {"lowpass_end", TKeyKind::Layer},   {"highpass", TKeyKind::Layer},
      {"highpass_end", TKeyKind::Layer},  {"resonance", TKeyKind::Layer},
      {"repeat", TKeyKind::Layer},        {"gap", TKeyKind::Layer},
      {"repeat_shift", TKeyKind::Layer},  {"arpeggio", TKeyKind::Layer},
      {"arpeggio_step", TKeyKind::Layer}, {"delay", TKeyKind::Layer},
      {"volume", TKeyKind::Layer},
  };
  return Table;
}

// Applies one key to the parameters; an empty result means it was taken.
std::string ApplyKey(const std::string& Key, const std::string& Value, TSoundParams& P,
                     TSoundLayer& L) {
  if (Key == "shape") {
    static const std::map<std::string, TWaveShape> Shapes = {{"square", TWaveShape::Square},
                                                             {"saw", TWaveShape::Saw},
                                                             {"triangle", TWaveShape::Triangle},
                                                             {"sine", TWaveShape::Sine},
                                                             {"noise", TWaveShape::Noise}};
    const auto It = Shapes.find(Value);
    if (It == Shapes.end()) {
      return "unknown shape '" + Value + "' (square, saw, triangle, sine or noise)";
    }
    L.Shape = It->second;
    return {};
  }
  if (Key == "slide") {
    if (Value == "exp") {
      L.Slide = TSlideKind::Exponential;
    } else if (Value == "linear") {
      L.Slide = TSlideKind::Linear;
    } else {
      return "unknown slide '" + Value + "' (exp or linear)";
    }
    return {};
  }
  if (Key == "arpeggio") {
    std::istringstream In(Value);
    std::string Word;
    L.Arpeggio.clear();
    while (In >> Word) {
      double Step = 0;
      if (!ParseNumber(Word, Step)) return "arpeggio step '" + Word + "' is not a number";
      L.Arpeggio.push_back(Step);
    }
    if (L.Arpeggio.empty()) return "arpeggio needs at least one step";
    return {};
  }
  double V = 0;
  if (!ParseNumber(Value, V)) return "'" + Key + "' needs a number, got '" + Value + "'";
  auto Whole = [&](int64_t Lo, int64_t Hi, auto& Out) -> std::string {
    if (V != std::floor(V) || V < static_cast<double>(Lo) || V > static_cast<double>(Hi)) {
      return "'" + Key + "' must be a whole number from " + std::to_string(Lo) + " to " +
             std::to_string(Hi);
    }
    Out = static_cast<std::remove_reference_t<decltype(Out)>>(V);
    return {};
  };
  if (Key == "rate") {
    if (V != 22050 && V != 44100) return "rate must be 22050 or 44100";
    P.SampleRate = static_cast<uint32_t>(V);
    return {};
  }
  if (Key == "seed") return Whole(0, 4294967295LL, P.Seed);
  if (Key == "repeat") return Whole(1, 64, L.Repeat);
  static const std::map<std::string, double TSoundLayer::*> Fields = {
      {"duty", &TSoundLayer::Duty},
      {"freq", &TSoundLayer::FreqStart},
      {"freq_end", &TSoundLayer::FreqEnd},
      {"vibrato_depth", &TSoundLayer::VibratoDepth},
      {"vibrato_rate", &TSoundLayer::VibratoRate},
      {"attack", &TSoundLayer::AttackMs},
      {"hold", &TSoundLayer::HoldMs},
      {"decay", &TSoundLayer::DecayMs},
      {"sustain", &TSoundLayer::Sustain},
      {"sustain_time", &TSoundLayer::SustainMs},
      {"release", &TSoundLayer::ReleaseMs},
      {"noise_mix", &TSoundLayer::NoiseMix},
      {"lowpass", &TSoundLayer::LowPass},
      {"lowpass_end", &TSoundLayer::LowPassEnd},
      {"highpass", &TSoundLayer::HighPass},
      {"highpass_end", &TSoundLayer::HighPassEnd},
      {"resonance", &TSoundLayer::Resonance},
      {"gap", &TSoundLayer::GapMs},
      {"repeat_shift", &TSoundLayer::RepeatShift},
      {"arpeggio_step", &TSoundLayer::ArpeggioStepMs},
      {"delay", &TSoundLayer::DelayMs},
      {"volume", &TSoundLayer::Volume},
  };
  if (Key == "peak") {
    if (!(V >= -30.0 && V <= -0.1)) return "peak must be between -30 and -0.1 dBFS";
    P.PeakDb = V;
    return {};
  }
  const auto It = Fields.find(Key);
  if (It == Fields.end()) return "unknown key '" + Key + "'";
  L.*(It->second) = V;
  return {};
}

std::string Where(const std::string& FileName, int Line) {
  return FileName + ":" + std::to_string(Line) + ": ";
}

}  // namespace

bool ParseSoundParams(const std::string& Text, const std::string& FileName, TSoundParams& Params,
                      std::string& Error) {
  Params = TSoundParams{};
  std::vector<int> LayerLines;  // line of each layer's first line, for later messages
  std::vector<std::map<std::string, int>> KeyLines;  // per layer: key -> its line
  std::set<std::string> Seen;                        // keys given in the current layer
  std::set<std::string> SeenGlobal;
  std::istringstream In(Text);
  std::string Raw;
  int LineNo = 0;
  TSoundLayer Scratch;
  while (std::getline(In, Raw)) {
    ++LineNo;
    const auto Hash = Raw.find('#');
    const std::string Line = Trim(Hash == std::string::npos ? Raw : Raw.substr(0, Hash));
    if (Line.empty()) continue;
    if (Line.front() == '[') {
      if (Line != "[layer]") {
        Error = Where(FileName, LineNo) + "unknown section '" + Line + "' (only [layer])";
        return false;
      }
      Params.Layers.emplace_back();
      LayerLines.push_back(LineNo);
      KeyLines.emplace_back();
      Seen.clear();
      continue;
    }
    const auto Eq = Line.find('=');
    if (Eq == std::string::npos) {
      Error = Where(FileName, LineNo) + "expected 'key = value', got '" + Line + "'";
      return false;
    }
    const std::string Key = Trim(Line.substr(0, Eq));
    const std::string Value = Trim(Line.substr(Eq + 1));
    const auto Kind = Keys().find(Key);
    if (Kind == Keys().end()) {
      Error = Where(FileName, LineNo) + "unknown key '" + Key + "'";
      return false;
    }
    if (Value.empty()) {
      Error = Where(FileName, LineNo) + "'" + Key + "' has no value";
      return false;
    }
    auto& SeenSet = Kind->second == TKeyKind::Global ? SeenGlobal : Seen;
    if (Kind->second == TKeyKind::Layer && Params.Layers.empty()) {
      Params.Layers.emplace_back();
      LayerLines.push_back(LineNo);
      KeyLines.emplace_back();
    }
    if (Kind->second == TKeyKind::Layer) KeyLines.back()[Key] = LineNo;
    if (!SeenSet.insert(Key).second) {
      Error = Where(FileName, LineNo) + "'" + Key + "' is given twice";
      return false;
    }
    TSoundLayer& Layer = Params.Layers.empty() ? Scratch : Params.Layers.back();
    const std::string Fault = ApplyKey(Key, Value, Params, Layer);
    if (!Fault.empty()) {
      Error = Where(FileName, LineNo) + Fault;
      return false;
    }
  }
  if (Params.Layers.empty()) {
    Error = FileName + ": no layer (give at least a freq and an envelope)";
    return false;
  }
  for (size_t I = 0; I < Params.Layers.size(); ++I) {
    const TLayerFault Fault = CheckLayer(Params.Layers[I], Params.SampleRate);
    if (!Fault.Empty()) {
      const auto At = KeyLines[I].find(Fault.Key);
      const int Line = At == KeyLines[I].end() ? LayerLines[I] : At->second;
      Error = Where(FileName, Line) + "layer " + std::to_string(I + 1) + ": " + Fault.Message;
      return false;
    }
  }
  return true;
}

bool RenderSound(const TSoundParams& Params, std::vector<int16_t>& Samples, std::string& Error) {
  Samples.clear();
  Error = CheckGlobals(Params);
  if (!Error.empty()) return false;
  if (Params.Layers.empty()) {
    Error = "no layer";
    return false;
  }
  std::vector<double> Mix;
  const uint32_t Rate = Params.SampleRate;
  for (size_t I = 0; I < Params.Layers.size(); ++I) {
    const TSoundLayer& L = Params.Layers[I];
    const TLayerFault Fault = CheckLayer(L, Rate);
    if (!Fault.Empty()) {
      Error = "layer " + std::to_string(I + 1) + ": " + Fault.Message;
      return false;
    }
    // Each layer has its own noise stream so that adding a layer leaves the others as they were.
    TNoise Noise(Params.Seed * 2654435761u + static_cast<uint32_t>(I) * 40503u + 1u, 0x9e3779b9u);
    for (int R = 0; R < L.Repeat; ++R) {
      const double StartMs = L.DelayMs + R * (L.NoteMs() + L.GapMs);
      RenderVoice(L, R, Rate, Noise, Mix,
                  static_cast<size_t>(std::llround(StartMs * Rate / 1000.0)));
    }
  }
  double Peak = 0.0;
  for (double V : Mix) Peak = std::max(Peak, std::abs(V));
  if (Peak < 1e-6) {
    Error = "the sound is silent";
    return false;
  }
  const double Scale = std::pow(10.0, Params.PeakDb / 20.0) * 32767.0 / Peak;
  Samples.reserve(Mix.size());
  for (double V : Mix) {
    const long S = std::lround(V * Scale);
    Samples.push_back(static_cast<int16_t>(std::clamp(S, -32767L, 32767L)));
  }
  return true;
}

std::vector<uint8_t> MakeWaveFile(const std::vector<int16_t>& Samples, uint32_t SampleRate) {
  std::vector<uint8_t> Out;
  Out.reserve(44 + Samples.size() * 2);
  auto U16 = [&](uint32_t V) {
    Out.push_back(static_cast<uint8_t>(V));
    Out.push_back(static_cast<uint8_t>(V >> 8));
  };
  auto U32 = [&](uint32_t V) {
    U16(V & 0xffff);
    U16(V >> 16);
  };
  auto Tag = [&](const char* T) {
    for (int I = 0; I < 4; ++I) Out.push_back(static_cast<uint8_t>(T[I]));
  };
  const uint32_t DataBytes = static_cast<uint32_t>(Samples.size() * 2);
  Tag("RIFF");
  U32(4 + 8 + 16 + 8 + DataBytes);
  Tag("WAVE");
  Tag("fmt ");
  U32(16);
  U16(1);  // PCM
  U16(1);  // mono
  U32(SampleRate);
  U32(SampleRate * 2);  // bytes per second
  U16(2);               // block alignment
  U16(16);              // bits per sample
  Tag("data");
  U32(DataBytes);
  for (int16_t S : Samples) U16(static_cast<uint16_t>(S));
  return Out;
}

bool RenderSoundFile(const std::string& ParamPath, std::vector<uint8_t>& WaveFile,
                     std::string& Error) {
  WaveFile.clear();
  std::ifstream File(ParamPath, std::ios::binary);
  if (!File) {
    Error = ParamPath + ": cannot be opened";
    return false;
  }
  std::stringstream Text;
  Text << File.rdbuf();
  TSoundParams Params;
  if (!ParseSoundParams(Text.str(), ParamPath, Params, Error)) return false;
  std::vector<int16_t> Samples;
  if (!RenderSound(Params, Samples, Error)) {
    Error = ParamPath + ": " + Error;
    return false;
  }
  WaveFile = MakeWaveFile(Samples, Params.SampleRate);
  return true;
}
