#include "platform/fake/FakeAudio.h"

void TFakeAudio::Play(TSoundBufferId Buffer, bool Looped) {
  if (!IsOpen() || !FMixer.Exists(Buffer)) return;
  TMixerDevice::Play(Buffer, Looped);
  FPlays.push_back({Buffer, Looped});
}

std::vector<int16_t> TFakeAudio::Render(uint32_t Frames) {
  std::vector<int16_t> Out(static_cast<size_t>(Frames) * 2);
  FMixer.Render(Out.data(), Frames);
  return Out;
}

void TFakeAudio::Advance(uint32_t Ms) {
  Render(static_cast<uint32_t>(static_cast<uint64_t>(FMixer.OutputRate()) * Ms / 1000));
}
