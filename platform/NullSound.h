#pragma once
// Sound pieces for a machine that cannot make sound (and the starting point of the real
// platform until its mixer is plugged in): every call is a harmless no-op.

#include <fstream>
#include <string>

#include "platform/PlatformAudio.h"

class TNullAudioDevice final : public IAudioDevice {
 public:
  bool Open() override { return false; }
  void Close() override {}
  bool IsOpen() override { return false; }
  TSoundBufferId CreateBuffer(const TWaveFormat&, TSampleData) override { return 0; }
  TSoundBufferId DuplicateBuffer(TSoundBufferId) override { return 0; }
  void ReleaseBuffer(TSoundBufferId) override {}
  void Play(TSoundBufferId, bool) override {}
  void Stop(TSoundBufferId) override {}
  void SetPosition(TSoundBufferId, uint32_t) override {}
  uint32_t GetPosition(TSoundBufferId) override { return 0; }
  bool IsPlaying(TSoundBufferId) override { return false; }
  void SetFrequency(TSoundBufferId, uint32_t) override {}
  void SetPan(TSoundBufferId, int32_t) override {}
  void SetVolume(TSoundBufferId, int32_t) override {}
};

// Accepts any module file that exists (so start-up checks still see a missing file) and
// plays it in silence.
class TNullMusicPlayer final : public IMusicPlayer {
 public:
  uint32_t SongLoadFromFile(const std::string& FileName) override {
    std::ifstream In(FileName, std::ios::binary);
    return In ? ++FLast : 0;
  }
  void SongPlay(uint32_t) override {}
  void SongFree(uint32_t) override {}

 private:
  uint32_t FLast = 0;
};
