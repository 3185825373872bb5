// The mixer's cost per 10 ms of output (441 stereo frames at 44.1 kHz) with 16 voices and
// the menu music playing, next to the 10 ms those frames last, and to an empty mix
// measured in the same run.
#include "tools/soundbench/SoundBench.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/fake/FakeAudio.h"
#include "platform/sdl/XmpMusic.h"

namespace {

constexpr uint32_t kFrames = 441;  // 10 ms
constexpr int kRounds = 2000;      // 20 s of output per measurement

double MicrosPerRender(TFakeAudio& Audio) {
  std::vector<int16_t> Out(2 * kFrames);
  for (int I = 0; I < 50; ++I) Audio.Mixer().Render(Out.data(), kFrames);  // warm up
  const auto Start = std::chrono::steady_clock::now();
  for (int I = 0; I < kRounds; ++I) Audio.Mixer().Render(Out.data(), kFrames);
  const auto End = std::chrono::steady_clock::now();
  return std::chrono::duration<double, std::micro>(End - Start).count() / kRounds;
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

}  // namespace

void RunSoundBench(const std::string& MusicFile) {
  TFakeAudio Audio;
  Audio.Open();
  const double Empty = MicrosPerRender(Audio);
  StartVoices(Audio);
  const double Voices = MicrosPerRender(Audio);
  TXmpMusic Music(Audio);
  const uint32_t Song = Music.SongLoadFromFile(MusicFile);
  if (Song) Music.SongPlay(Song);
  const double Full = MicrosPerRender(Audio);
  std::printf("sound: mixer, per 10 ms of output (10000 us of sound):\n");
  std::printf("  empty mix            %8.1f us\n", Empty);
  std::printf("  16 voices            %8.1f us  (%.2f%% of real time)\n", Voices, Voices / 100.0);
  if (Song) {
    std::printf("  16 voices + music    %8.1f us  (%.2f%% of real time, %.1fx the empty mix)\n",
                Full, Full / 100.0, Empty > 0 ? Full / Empty : 0.0);
  } else {
    std::printf("  music: %s did not load, not measured\n", MusicFile.c_str());
  }
}
