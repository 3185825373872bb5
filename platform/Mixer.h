#pragma once
// The software mixer behind the sound device: sound buffers (a wave format plus shared
// sample bytes), voices that play them once or looped with their own frequency, pan and
// volume, and one music input mixed under them. It renders signed 16-bit stereo frames at
// a fixed output rate into a caller's buffer, so the SDL audio callback and offline tests
// drive the very same code.
//
// The mixer itself takes no locks: whoever renders it on another thread (the SDL device)
// serialises every call through its host's LockMixer/UnlockMixer.

#include <cstdint>
#include <map>
#include <vector>

#include "platform/PlatformAudio.h"

// Fills Frames stereo frames (interleaved left, right, signed 16-bit) at the mixer's rate.
class IMusicSource {
 public:
  virtual ~IMusicSource() = default;
  virtual void RenderMusic(int16_t* Stereo, uint32_t Frames) = 0;
};

// Gain of an attenuation in hundredths of a decibel: 0 = 1.0, -10000 (and below) = 0.
double AttenuationGain(int32_t Attenuation);

class TMixer {
 public:
  static constexpr uint32_t kDefaultRate = 44100;
  explicit TMixer(uint32_t OutputRate = kDefaultRate);

  uint32_t OutputRate() const { return FOutputRate; }

  // 0 for a format the mixer cannot play (not PCM, not 8 or 16 bits, not 1 or 2 channels)
  // or for no samples at all.
  TSoundBufferId CreateBuffer(const TWaveFormat& Format, TSampleData Samples);
  TSoundBufferId DuplicateBuffer(TSoundBufferId Source);
  void ReleaseBuffer(TSoundBufferId Buffer);
  void ReleaseAll();
  bool Exists(TSoundBufferId Buffer) const { return FBuffers.count(Buffer) != 0; }
  int32_t BufferCount() const { return static_cast<int32_t>(FBuffers.size()); }
  // The sample bytes a buffer plays (shared between a buffer and its duplicates).
  TSampleData Samples(TSoundBufferId Buffer) const;

  void Play(TSoundBufferId Buffer, bool Looped);
  void Stop(TSoundBufferId Buffer);
  // Byte offsets into the samples, whole frames (rounded down to the block alignment).
  void SetPosition(TSoundBufferId Buffer, uint32_t ByteOffset);
  uint32_t GetPosition(TSoundBufferId Buffer) const;
  bool IsPlaying(TSoundBufferId Buffer) const;
  void SetFrequency(TSoundBufferId Buffer, uint32_t Hz);
  void SetPan(TSoundBufferId Buffer, int32_t Pan);
  void SetVolume(TSoundBufferId Buffer, int32_t Volume);
  int32_t PlayingCount() const;

  // The music input: mixed at MusicVolume under the voices; null for none.
  void SetMusicSource(IMusicSource* Source) { FMusic = Source; }
  IMusicSource* MusicSource() const { return FMusic; }
  void SetMusicVolume(int32_t Attenuation);

  // Mixes Frames stereo frames into Out (overwritten), advancing every playing voice.
  void Render(int16_t* Out, uint32_t Frames);

 private:
  struct TBuffer {
    TWaveFormat Format;
    TSampleData Samples;
    uint32_t FrameBytes = 0;
    uint32_t FrameCount = 0;
    // Position in source frames, 32.32 fixed point.
    uint64_t Position = 0;
    bool Playing = false;
    bool Looped = false;
    uint32_t Frequency = 0;  // 0 = Format.SamplesPerSec
    int32_t Pan = 0;
    int32_t Volume = 0;
    float GainLeft = 1.0f;
    float GainRight = 1.0f;
  };
  TBuffer* Find(TSoundBufferId Buffer);
  const TBuffer* Find(TSoundBufferId Buffer) const;
  static void UpdateGains(TBuffer& B);
  void MixVoice(TBuffer& B, uint32_t Frames);

  uint32_t FOutputRate;
  TSoundBufferId FNextId = 1;
  std::map<TSoundBufferId, TBuffer> FBuffers;
  IMusicSource* FMusic = nullptr;
  float FMusicGain = 1.0f;
  std::vector<float> FAccum;
  std::vector<int16_t> FMusicScratch;
};

// Whoever owns a mixer and renders it: lets a second client (the module player) reach the
// mixer under the same lock as the device's own calls.
class IMixerHost {
 public:
  virtual ~IMixerHost() = default;
  virtual TMixer& Mixer() = 0;
  // Starts rendering the mixer to the output if it is not running yet (the music may come
  // before any sound); false when there is no output at all.
  virtual bool StartOutput() = 0;
  virtual void LockMixer() = 0;
  virtual void UnlockMixer() = 0;
};

class TMixerLock {
 public:
  explicit TMixerLock(IMixerHost& Host) : FHost(Host) { FHost.LockMixer(); }
  ~TMixerLock() { FHost.UnlockMixer(); }
  TMixerLock(const TMixerLock&) = delete;
  TMixerLock& operator=(const TMixerLock&) = delete;

 private:
  IMixerHost& FHost;
};
