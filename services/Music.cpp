#include "services/Music.h"

void TMusic::PlayMusic(const std::string& FileName, bool MusicOn) {
  if (!MusicOn) return;
  if (FSongHandle != 0) FPlayer.SongFree(FSongHandle);
  FSongHandle = FPlayer.SongLoadFromFile(FileName);
  if (FSongHandle != 0) FPlayer.SongPlay(FSongHandle);
}

void TMusic::StopMusic() {
  if (FSongHandle != 0) FPlayer.SongFree(FSongHandle);
  FSongHandle = 0;
}

void TMusic::PlayScreenMusic(bool InGame, bool MusicOn) {
  PlayMusic(InGame ? kRaceMusic : kMenuMusic, MusicOn);
}
