#pragma once
// Background music: one module at a time, the menu music on every screen but play and the
// race music during play, switched by the music option. The module player does the
// playing; this keeps the one handle.

#include <cstdint>
#include <string>

#include "platform/PlatformAudio.h"

inline constexpr const char* kMenuMusic = "Data/Music/Menu.xm";
inline constexpr const char* kRaceMusic = "Data/Music/Race.xm";

class TMusic {
 public:
  explicit TMusic(IMusicPlayer& Player) : FPlayer(Player) {}
  ~TMusic() { StopMusic(); }
  TMusic(const TMusic&) = delete;
  TMusic& operator=(const TMusic&) = delete;

  // With MusicOn false nothing changes. Otherwise the playing module is freed first, so two
  // never play together; a file that does not load leaves silence, and the next call
  // simply tries again.
  void PlayMusic(const std::string& FileName, bool MusicOn);
  void StopMusic();
  // The race music in a game, the menu music elsewhere.
  void PlayScreenMusic(bool InGame, bool MusicOn);

  uint32_t SongHandle() const { return FSongHandle; }  // 0 = none

 private:
  IMusicPlayer& FPlayer;
  uint32_t FSongHandle = 0;
};
