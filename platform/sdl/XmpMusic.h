#pragma once
// The module player behind SongLoadFromFile, SongPlay and SongFree: libxmp renders the
// playing module into the mixer's music input, looping at the module's end. Handles are
// small numbers of our own (0 = none); a handle is dead once freed. One module plays at a
// time: playing another stops the first.

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "platform/Mixer.h"
#include "platform/PlatformAudio.h"

class TXmpMusic final : public IMusicPlayer, private IMusicSource {
 public:
  explicit TXmpMusic(IMixerHost& Host);
  ~TXmpMusic() override;
  TXmpMusic(const TXmpMusic&) = delete;
  TXmpMusic& operator=(const TXmpMusic&) = delete;

  uint32_t SongLoadFromFile(const std::string& FileName) override;  // 0 on failure
  void SongPlay(uint32_t Handle) override;
  void SongFree(uint32_t Handle) override;

  int32_t LoadedCount() const { return static_cast<int32_t>(FSongs.size()); }
  uint32_t Playing() const { return FPlaying; }

 private:
  struct TSong;
  void RenderMusic(int16_t* Stereo, uint32_t Frames) override;
  void StopPlaying();  // with the mixer locked

  IMixerHost& FHost;
  std::map<uint32_t, std::unique_ptr<TSong>> FSongs;
  uint32_t FPlaying = 0;
  uint32_t FNextHandle = 1;
};
