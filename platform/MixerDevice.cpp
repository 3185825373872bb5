#include "platform/MixerDevice.h"

#include <utility>

bool TMixerDevice::Open() {
  FOpen = StartOutput();
  return FOpen;
}

void TMixerDevice::Close() {
  if (!FOpen) return;
  TMixerLock Lock(*this);
  FMixer.ReleaseAll();
  FOpen = false;
}

TSoundBufferId TMixerDevice::CreateBuffer(const TWaveFormat& Format, TSampleData Samples) {
  if (!FOpen) return 0;
  TMixerLock Lock(*this);
  return FMixer.CreateBuffer(Format, std::move(Samples));
}

TSoundBufferId TMixerDevice::DuplicateBuffer(TSoundBufferId Source) {
  if (!FOpen) return 0;
  TMixerLock Lock(*this);
  return FMixer.DuplicateBuffer(Source);
}

void TMixerDevice::ReleaseBuffer(TSoundBufferId Buffer) {
  if (!FOpen) return;
  TMixerLock Lock(*this);
  FMixer.ReleaseBuffer(Buffer);
}

void TMixerDevice::Play(TSoundBufferId Buffer, bool Looped) {
  if (!FOpen) return;
  TMixerLock Lock(*this);
  FMixer.Play(Buffer, Looped);
}

void TMixerDevice::Stop(TSoundBufferId Buffer) {
  if (!FOpen) return;
  TMixerLock Lock(*this);
  FMixer.Stop(Buffer);
}

void TMixerDevice::SetPosition(TSoundBufferId Buffer, uint32_t ByteOffset) {
  if (!FOpen) return;
  TMixerLock Lock(*this);
  FMixer.SetPosition(Buffer, ByteOffset);
}

uint32_t TMixerDevice::GetPosition(TSoundBufferId Buffer) {
  if (!FOpen) return 0;
  TMixerLock Lock(*this);
  return FMixer.GetPosition(Buffer);
}

bool TMixerDevice::IsPlaying(TSoundBufferId Buffer) {
  if (!FOpen) return false;
  TMixerLock Lock(*this);
  return FMixer.IsPlaying(Buffer);
}

void TMixerDevice::SetFrequency(TSoundBufferId Buffer, uint32_t Hz) {
  if (!FOpen) return;
  TMixerLock Lock(*this);
  FMixer.SetFrequency(Buffer, Hz);
}

void TMixerDevice::SetPan(TSoundBufferId Buffer, int32_t Pan) {
  if (!FOpen) return;
  TMixerLock Lock(*this);
  FMixer.SetPan(Buffer, Pan);
}

void TMixerDevice::SetVolume(TSoundBufferId Buffer, int32_t Volume) {
  if (!FOpen) return;
  TMixerLock Lock(*this);
  FMixer.SetVolume(Buffer, Volume);
}
