#pragma once
// The one place that says where the game's data and the player's save files are.
//
// Linux: the working directory holds both (the launcher runs the installed game from the
// player's own folder, $XDG_DATA_HOME/tallowbrackles, whose Data/ links to the packs).
// Windows: the data stands beside the program, whatever folder it was started from; the
// saves and screenshots too when Data\Save there can be written, else (the game unzipped
// under Program Files) in the player's %APPDATA%\Tallow Brackles.

#include <string>

struct TGamePlaces {
  // The folder the save files' "Data/Save/..." and the screenshots' "Data/Screenshots" are
  // relative to, as UTF-8 ending in a separator; empty: the working directory.
  std::string SaveRoot;
};

// Called once by the program's entry before the game starts: makes the data's folder the
// working directory where the system needs it, makes the save folder when missing, and
// answers where the saves go.
TGamePlaces SettleGamePlaces();
