#pragma once
// The game's two save files as one pair: the options file carries the check text of the
// high-score table, so the two are only ever replaced together (services/FilePair.h), and
// a start after any interruption finds a table that matches its check text.

#include <string>

#include "services/FilePair.h"
#include "services/HighScores.h"
#include "services/Options.h"

// The save folder's files below Root ("" = the working directory, else ending in "/").
struct TSaveGameFiles {
  std::string Folder;      // Data/Save
  std::string Options;     // Data/Save/options
  std::string HighScores;  // Data/Save/hs
  std::string Marker;      // Data/Save/saving: there only while a save is being put in place
};
TSaveGameFiles SaveGameFilesIn(const std::string& Root);

// Before the files are read at start-up: completes or rolls back a save that was cut off,
// and removes the temporary files it left.
void RecoverSaveGames(const TSaveGameFiles& Files);

// Writes both files (the options with the check text of Table). False with the reason in
// Error when something was not saved; the files on disk still agree with each other: when
// only the table could not be replaced, the options are written again with the check text
// of the table left on disk.
bool SaveGames(const TSaveGameFiles& Files, const TGameOptions& Options, const THighScores& Table,
               std::string& Error, const TPairFault& Fault = {});
