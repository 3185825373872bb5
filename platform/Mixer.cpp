#include "platform/Mixer.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr uint64_t kOne = uint64_t{1} << 32;  // one source frame in 32.32 fixed point
// The range a voice's frequency is kept in, in Hz (DirectSound's is 100 .. 100000).
constexpr uint32_t kMinFrequency = 100;
constexpr uint32_t kMaxFrequency = 200000;

// One channel of one frame as a signed 16-bit value.
inline float SampleAt(const uint8_t* Frame, uint16_t Bits, uint32_t Channel) {
  if (Bits == 8) return static_cast<float>((static_cast<int32_t>(Frame[Channel]) - 128) * 256);
  const uint8_t* P = Frame + 2 * Channel;
  return static_cast<float>(static_cast<int16_t>(static_cast<uint16_t>(P[0] | (P[1] << 8))));
}

inline int16_t Clamp16(float V) {
  if (V >= 32767.0f) return 32767;
  if (V <= -32768.0f) return -32768;
  return static_cast<int16_t>(std::lrint(V));
}

}  // namespace

double AttenuationGain(int32_t Attenuation) {
  if (Attenuation >= 0) return 1.0;
  if (Attenuation <= -10000) return 0.0;
  return std::pow(10.0, Attenuation / 2000.0);  // hundredths of a decibel
}

TMixer::TMixer(uint32_t OutputRate) : FOutputRate(OutputRate == 0 ? kDefaultRate : OutputRate) {}

TMixer::TBuffer* TMixer::Find(TSoundBufferId Buffer) {
  auto It = FBuffers.find(Buffer);
  return It == FBuffers.end() ? nullptr : &It->second;
}

const TMixer::TBuffer* TMixer::Find(TSoundBufferId Buffer) const {
  auto It = FBuffers.find(Buffer);
  return It == FBuffers.end() ? nullptr : &It->second;
}

TSoundBufferId TMixer::CreateBuffer(const TWaveFormat& Format, TSampleData Samples) {
  if (Format.FormatTag != 1) return 0;
  if (Format.BitsPerSample != 8 && Format.BitsPerSample != 16) return 0;
  if (Format.Channels != 1 && Format.Channels != 2) return 0;
  if (Format.SamplesPerSec == 0 || !Samples) return 0;
  TBuffer B;
  B.Format = Format;
  // The frame size follows from channels and bits; a wrong BlockAlign in a file must not
  // make the mixer read past the samples.
  B.FrameBytes = static_cast<uint32_t>(Format.Channels) * (Format.BitsPerSample / 8);
  B.FrameCount = static_cast<uint32_t>(Samples->size() / B.FrameBytes);
  if (B.FrameCount == 0) return 0;
  B.Samples = std::move(Samples);
  TSoundBufferId Id = FNextId++;
  FBuffers.emplace(Id, std::move(B));
  return Id;
}

TSoundBufferId TMixer::DuplicateBuffer(TSoundBufferId Source) {
  const TBuffer* S = Find(Source);
  if (!S) return 0;
  TBuffer B;
  B.Format = S->Format;
  B.Samples = S->Samples;  // shared, not copied
  B.FrameBytes = S->FrameBytes;
  B.FrameCount = S->FrameCount;
  B.Frequency = S->Frequency;
  B.Pan = S->Pan;
  B.Volume = S->Volume;
  UpdateGains(B);
  TSoundBufferId Id = FNextId++;
  FBuffers.emplace(Id, std::move(B));
  return Id;
}

void TMixer::ReleaseBuffer(TSoundBufferId Buffer) {
  FBuffers.erase(Buffer);
}

void TMixer::ReleaseAll() {
  FBuffers.clear();
}

TSampleData TMixer::Samples(TSoundBufferId Buffer) const {
  const TBuffer* B = Find(Buffer);
  return B ? B->Samples : nullptr;
}

void TMixer::Play(TSoundBufferId Buffer, bool Looped) {
  if (TBuffer* B = Find(Buffer)) {
    B->Playing = true;
    B->Looped = Looped;
  }
}

void TMixer::Stop(TSoundBufferId Buffer) {
  if (TBuffer* B = Find(Buffer)) B->Playing = false;
}

void TMixer::SetPosition(TSoundBufferId Buffer, uint32_t ByteOffset) {
  if (TBuffer* B = Find(Buffer)) {
    uint32_t Frame = std::min(ByteOffset / B->FrameBytes, B->FrameCount);
    B->Position = static_cast<uint64_t>(Frame) << 32;
  }
}

uint32_t TMixer::GetPosition(TSoundBufferId Buffer) const {
  const TBuffer* B = Find(Buffer);
  return B ? static_cast<uint32_t>(B->Position >> 32) * B->FrameBytes : 0;
}

bool TMixer::IsPlaying(TSoundBufferId Buffer) const {
  const TBuffer* B = Find(Buffer);
  return B && B->Playing;
}

void TMixer::SetFrequency(TSoundBufferId Buffer, uint32_t Hz) {
  if (TBuffer* B = Find(Buffer))
    B->Frequency = Hz == 0 ? 0 : std::clamp(Hz, kMinFrequency, kMaxFrequency);
}

void TMixer::SetPan(TSoundBufferId Buffer, int32_t Pan) {
  if (TBuffer* B = Find(Buffer)) {
    B->Pan = std::clamp(Pan, -10000, 10000);
    UpdateGains(*B);
  }
}

void TMixer::SetVolume(TSoundBufferId Buffer, int32_t Volume) {
  if (TBuffer* B = Find(Buffer)) {
    B->Volume = std::clamp(Volume, -10000, 0);
    UpdateGains(*B);
  }
}

int32_t TMixer::PlayingCount() const {
  int32_t N = 0;
  for (const auto& [Id, B] : FBuffers) N += B.Playing ? 1 : 0;
  return N;
}

void TMixer::SetMusicVolume(int32_t Attenuation) {
  FMusicGain = static_cast<float>(AttenuationGain(Attenuation));
}

// Pan attenuates one side only: negative pans turn the right channel down, positive the
// left, each by the pan's value in hundredths of a decibel.
void TMixer::UpdateGains(TBuffer& B) {
  double Volume = AttenuationGain(B.Volume);
  B.GainLeft = static_cast<float>(Volume * AttenuationGain(B.Pan > 0 ? -B.Pan : 0));
  B.GainRight = static_cast<float>(Volume * AttenuationGain(B.Pan < 0 ? B.Pan : 0));
}

void TMixer::MixVoice(TBuffer& B, uint32_t Frames) {
  const uint32_t Hz = B.Frequency ? B.Frequency : B.Format.SamplesPerSec;
  const uint64_t Step = (static_cast<uint64_t>(Hz) << 32) / FOutputRate;
  const uint8_t* Data = B.Samples->data();
  const uint16_t Bits = B.Format.BitsPerSample;
  const bool Stereo = B.Format.Channels == 2;
  const uint64_t End = static_cast<uint64_t>(B.FrameCount) << 32;
  float* Out = FAccum.data();
  for (uint32_t F = 0; F < Frames; ++F) {
    if (B.Position >= End) {
      if (!B.Looped) {
        B.Playing = false;
        B.Position = 0;
        return;
      }
      B.Position %= End;
    }
    const uint32_t Index = static_cast<uint32_t>(B.Position >> 32);
    uint32_t Next = Index + 1;
    if (Next >= B.FrameCount) Next = B.Looped ? 0 : Index;
    const float Frac = static_cast<float>(B.Position & (kOne - 1)) * (1.0f / 4294967296.0f);
    const uint8_t* P0 = Data + static_cast<size_t>(Index) * B.FrameBytes;
    const uint8_t* P1 = Data + static_cast<size_t>(Next) * B.FrameBytes;
    float L0 = SampleAt(P0, Bits, 0);
    float L1 = SampleAt(P1, Bits, 0);
    float Left = L0 + (L1 - L0) * Frac;
    float Right = Left;
    if (Stereo) {
      float R0 = SampleAt(P0, Bits, 1);
      float R1 = SampleAt(P1, Bits, 1);
      Right = R0 + (R1 - R0) * Frac;
    }
    Out[2 * F] += Left * B.GainLeft;
    Out[2 * F + 1] += Right * B.GainRight;
    B.Position += Step;
  }
}

void TMixer::Render(int16_t* Out, uint32_t Frames) {
  if (Frames == 0) return;
  FAccum.assign(static_cast<size_t>(Frames) * 2, 0.0f);
  if (FMusic) {
    FMusicScratch.assign(static_cast<size_t>(Frames) * 2, 0);
    FMusic->RenderMusic(FMusicScratch.data(), Frames);
    for (size_t I = 0; I < FAccum.size(); ++I) FAccum[I] = FMusicScratch[I] * FMusicGain;
  }
  for (auto& [Id, B] : FBuffers)
    if (B.Playing) MixVoice(B, Frames);
  for (size_t I = 0; I < FAccum.size(); ++I) Out[I] = Clamp16(FAccum[I]);
}
