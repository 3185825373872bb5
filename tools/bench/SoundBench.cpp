// The mixer's cost per 10 ms of output (441 stereo frames at 44.1 kHz) with 16 voices and
// the menu music playing, next to the 10 ms those frames last and to an empty mix measured
// in the same run.
#include <memory>
#include <string>
#include <vector>

#include "platform/fake/FakeAudio.h"
#include "platform/sdl/XmpMusic.h"
#include "tools/bench/Bench.h"

namespace {

constexpr uint32_t kFrames = 441;  // 10 ms
constexpr double kTenMs = 10000.0;

// Mean, not median: the module player renders a whole tick (about 20 ms) at once and
// serves the calls between from it, so the median would hide its cost.
template <class TStep>
double MeanMicros(int32_t Frames, TStep&& Step) {
  for (int32_t I = 0; I < 20; ++I) Step(I);
  const auto T0 = std::chrono::steady_clock::now();
  for (int32_t I = 0; I < Frames; ++I) Step(I);
  const auto T1 = std::chrono::steady_clock::now();
  return std::chrono::duration<double, std::micro>(T1 - T0).count() / std::max(Frames, 1);
}

// 16 looped voices of the pack's kinds: 22050 Hz and 44100 Hz mono 16-bit, each 0.5 s,
// panned and attenuated differently so that no shortcut applies.
void StartVoices(TFakeAudio& Audio) {
  for (int V = 0; V < 16; ++V) {
    TWaveFormat F;
    F.SamplesPerSec = V % 2 ? 44100 : 22050;
    F.AvgBytesPerSec = F.SamplesPerSec * 2;
    auto Samples = std::make_shared<std::vector<uint8_t>>(F.SamplesPerSec);  // 0.5 s
    for (size_t I = 0; I < Samples->size(); ++I) (*Samples)[I] = static_cast<uint8_t>(I * 37 + V);
    const TSoundBufferId Main = Audio.CreateBuffer(F, Samples);
    const TSoundBufferId Copy = Audio.DuplicateBuffer(Main);
    Audio.SetPan(Copy, (V - 8) * 1000);
    Audio.SetVolume(Copy, -100 * V);
    Audio.Play(Copy, true);
  }
}

void RunSound(const TBenchOptions& Options) {
  TFakeAudio Audio;
  Audio.Open();
  std::vector<int16_t> Out(2 * kFrames);
  auto Render = [&](int32_t) { Audio.Mixer().Render(Out.data(), kFrames); };
  const double Empty = MeanMicros(Options.Frames, Render);
  StartVoices(Audio);
  const double Voices = MeanMicros(Options.Frames, Render);
  TXmpMusic Music(Audio);
  const uint32_t Song = Music.SongLoadFromFile(TB_BENCH_MUSIC);
  if (Song) Music.SongPlay(Song);
  const double Full = MeanMicros(Options.Frames, Render);
  PrintFigure("10 ms of output lasts", kTenMs);
  PrintFigure("mean mix of 10 ms, nothing playing", Empty);
  PrintFigure("mean mix of 10 ms, 16 voices", Voices);
  if (Song) {
    PrintFigure("mean mix of 10 ms, 16 voices + menu music", Full);
    PrintRatio("16 voices + music / empty mix", Empty > 0 ? Full / Empty : 0.0);
    std::printf("  %-46s %10.3f %%\n", "16 voices + music, share of real time",
                100.0 * Full / kTenMs);
  } else {
    std::printf("  music: %s did not load, not measured\n", TB_BENCH_MUSIC);
  }
}

}  // namespace

void AddSoundSections(std::vector<TBenchSection>& Sections) {
  Sections.push_back({"sound", RunSound});
}
