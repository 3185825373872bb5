#include "platform/sdl/XmpMusic.h"

#include <xmp.h>

#include <cstring>

struct TXmpMusic::TSong {
  xmp_context Context = nullptr;
  bool Started = false;
  ~TSong() {
    if (!Context) return;
    if (Started) xmp_end_player(Context);
    xmp_release_module(Context);
    xmp_free_context(Context);
  }
};

TXmpMusic::TXmpMusic(IMixerHost& Host) : FHost(Host) {}

TXmpMusic::~TXmpMusic() {
  {
    TMixerLock Lock(FHost);
    StopPlaying();
  }
  FSongs.clear();
}

uint32_t TXmpMusic::SongLoadFromFile(const std::string& FileName) {
  auto Song = std::make_unique<TSong>();
  Song->Context = xmp_create_context();
  if (!Song->Context) return 0;
  if (xmp_load_module(Song->Context, FileName.c_str()) != 0) {
    xmp_free_context(Song->Context);
    Song->Context = nullptr;
    return 0;
  }
  const uint32_t Handle = FNextHandle++;
  if (FNextHandle == 0) FNextHandle = 1;
  // The render thread only reads the song being played, but the map itself changes here.
  TMixerLock Lock(FHost);
  FSongs[Handle] = std::move(Song);
  return Handle;
}

void TXmpMusic::StopPlaying() {
  if (FHost.Mixer().MusicSource() == this) FHost.Mixer().SetMusicSource(nullptr);
  auto It = FSongs.find(FPlaying);
  if (It != FSongs.end() && It->second->Started) {
    xmp_end_player(It->second->Context);
    It->second->Started = false;
  }
  FPlaying = 0;
}

void TXmpMusic::SongPlay(uint32_t Handle) {
  auto It = FSongs.find(Handle);
  if (It == FSongs.end()) return;
  if (!FHost.StartOutput()) return;  // no output at all: silence
  TMixerLock Lock(FHost);
  StopPlaying();
  TSong& Song = *It->second;
  if (xmp_start_player(Song.Context, static_cast<int>(FHost.Mixer().OutputRate()), 0) != 0) return;
  Song.Started = true;
  FPlaying = Handle;
  FHost.Mixer().SetMusicSource(this);
}

void TXmpMusic::SongFree(uint32_t Handle) {
  std::unique_ptr<TSong> Dead;
  {
    TMixerLock Lock(FHost);
    if (Handle == FPlaying) StopPlaying();
    auto It = FSongs.find(Handle);
    if (It == FSongs.end()) return;
    Dead = std::move(It->second);
    FSongs.erase(It);
  }
  // Dead releases the module here, outside the lock.
}

// Runs on the audio thread with the mixer locked.
void TXmpMusic::RenderMusic(int16_t* Stereo, uint32_t Frames) {
  auto It = FSongs.find(FPlaying);
  const int Bytes = static_cast<int>(Frames * 4);
  // Loop 0: no loop check, the module starts over at its end for as long as it plays.
  if (It == FSongs.end() || xmp_play_buffer(It->second->Context, Stereo, Bytes, 0) != 0)
    std::memset(Stereo, 0, static_cast<size_t>(Bytes));
}
