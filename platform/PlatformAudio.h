#pragma once
// Sound output and the module player, as the engine and the music service see them.
// Sound buffers follow the DirectSound model: a buffer holds a wave format and samples,
// duplicates share the samples, and volume is an attenuation in hundredths of a decibel
// (0 = full, -10000 = silence). With no sound device every call is a harmless no-op.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The "fmt " record of a wave file (WAVEFORMATEX without the extra bytes).
struct TWaveFormat {
  uint16_t FormatTag = 1;  // 1 = PCM
  uint16_t Channels = 1;
  uint32_t SamplesPerSec = 22050;
  uint32_t AvgBytesPerSec = 44100;
  uint16_t BlockAlign = 2;
  uint16_t BitsPerSample = 16;
};

using TSoundBufferId = int32_t;  // 0 = none
using TSampleData = std::shared_ptr<const std::vector<uint8_t>>;

class IAudioDevice {
 public:
  virtual ~IAudioDevice() = default;
  // Opens the default output; false when there is no sound device (the game runs silent).
  virtual bool Open() = 0;
  virtual void Close() = 0;
  virtual bool IsOpen() = 0;
  virtual TSoundBufferId CreateBuffer(const TWaveFormat& Format, TSampleData Samples) = 0;
  // A new buffer sharing Source's samples (no copy); 0 when Source does not exist.
  virtual TSoundBufferId DuplicateBuffer(TSoundBufferId Source) = 0;
  virtual void ReleaseBuffer(TSoundBufferId Buffer) = 0;
  virtual void Play(TSoundBufferId Buffer, bool Looped) = 0;
  virtual void Stop(TSoundBufferId Buffer) = 0;
  virtual void SetPosition(TSoundBufferId Buffer, uint32_t ByteOffset) = 0;
  virtual uint32_t GetPosition(TSoundBufferId Buffer) = 0;
  virtual bool IsPlaying(TSoundBufferId Buffer) = 0;
  virtual void SetFrequency(TSoundBufferId Buffer, uint32_t Hz) = 0;  // 0 = the sound's own
  virtual void SetPan(TSoundBufferId Buffer, int32_t Pan) = 0;        // -10000 .. 10000
  virtual void SetVolume(TSoundBufferId Buffer, int32_t Volume) = 0;  // 0 .. -10000
};

// The module player behind SongLoadFromFile, SongPlay and SongFree.
class IMusicPlayer {
 public:
  virtual ~IMusicPlayer() = default;
  virtual uint32_t SongLoadFromFile(const std::string& FileName) = 0;  // 0 on failure
  virtual void SongPlay(uint32_t Handle) = 0;
  virtual void SongFree(uint32_t Handle) = 0;
};
