#include "platform/fake/FakeAudio.h"

bool TFakeAudio::Open() {
  FOpen = FAvailable;
  return FOpen;
}

void TFakeAudio::Close() {
  FMixer.ReleaseAll();
  FOpen = false;
}

TSoundBufferId TFakeAudio::CreateBuffer(const TWaveFormat& Format, TSampleData Samples) {
  return FOpen ? FMixer.CreateBuffer(Format, std::move(Samples)) : 0;
}

TSoundBufferId TFakeAudio::DuplicateBuffer(TSoundBufferId Source) {
  return FOpen ? FMixer.DuplicateBuffer(Source) : 0;
}

void TFakeAudio::ReleaseBuffer(TSoundBufferId Buffer) {
  if (FOpen) FMixer.ReleaseBuffer(Buffer);
}

void TFakeAudio::Play(TSoundBufferId Buffer, bool Looped) {
  if (!FOpen || !FMixer.Exists(Buffer)) return;
  FMixer.Play(Buffer, Looped);
  FPlays.push_back({Buffer, Looped});
}

void TFakeAudio::Stop(TSoundBufferId Buffer) {
  if (FOpen) FMixer.Stop(Buffer);
}

void TFakeAudio::SetPosition(TSoundBufferId Buffer, uint32_t ByteOffset) {
  if (FOpen) FMixer.SetPosition(Buffer, ByteOffset);
}

uint32_t TFakeAudio::GetPosition(TSoundBufferId Buffer) {
  return FOpen ? FMixer.GetPosition(Buffer) : 0;
}

bool TFakeAudio::IsPlaying(TSoundBufferId Buffer) {
  return FOpen && FMixer.IsPlaying(Buffer);
}

void TFakeAudio::SetFrequency(TSoundBufferId Buffer, uint32_t Hz) {
  if (FOpen) FMixer.SetFrequency(Buffer, Hz);
}

void TFakeAudio::SetPan(TSoundBufferId Buffer, int32_t Pan) {
  if (FOpen) FMixer.SetPan(Buffer, Pan);
}

void TFakeAudio::SetVolume(TSoundBufferId Buffer, int32_t Volume) {
  if (FOpen) FMixer.SetVolume(Buffer, Volume);
}

std::vector<int16_t> TFakeAudio::Render(uint32_t Frames) {
  std::vector<int16_t> Out(static_cast<size_t>(Frames) * 2);
  FMixer.Render(Out.data(), Frames);
  return Out;
}

void TFakeAudio::Advance(uint32_t Ms) {
  Render(static_cast<uint32_t>(static_cast<uint64_t>(FMixer.OutputRate()) * Ms / 1000));
}
