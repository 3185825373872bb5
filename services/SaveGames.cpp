#include "services/SaveGames.h"

#include "services/SaveFile.h"

TSaveGameFiles SaveGameFilesIn(const std::string& Root) {
  TSaveGameFiles Files;
  Files.Folder = Root + "Data/Save";
  Files.Options = Root + kOptionsFile;
  Files.HighScores = Root + kHighScoreFile;
  Files.Marker = Files.Folder + "/saving";
  return Files;
}

void RecoverSaveGames(const TSaveGameFiles& Files) {
  RecoverFilePair(Files.Options, Files.HighScores, Files.Marker);
}

bool SaveGames(const TSaveGameFiles& Files, const TGameOptions& Options, const THighScores& Table,
               std::string& Error, const TPairFault& Fault) {
  // The options first, as the design writes them; they carry the check text of the table
  // written with them.
  const TPairResult Result =
      ReplaceFilePair({Files.Options, OptionsFileText(Options, HighScoreCheckText(Table))},
                      {Files.HighScores, HighScoreFileText(Table)}, Files.Marker, Error, Fault);
  if (Result == TPairResult::Replaced) return true;
  if (Result == TPairResult::FirstOnly) {
    // The new options stand beside the old table: they must carry that table's check
    // text, or the next start would throw the table away.
    THighScores OnDisk{};
    LoadHighScores(OnDisk, Files.HighScores);
    SaveOptions(Options, HighScoreCheckText(OnDisk), Files.Options);
  }
  return false;
}
