// Writes a player's save files into a run folder with the game's own saving code: the
// local high-score table of a beginner (ten modest results, the last of them 0) and the
// default options, which carry the table's check text so that the game keeps the table.
// LAST gives the last entry another score (-1: any finished game earns a place, even 0).
//   tb_seed_table SAVE_DIR [LAST]
#include <iostream>
#include <string>

#include "services/HighScores.h"
#include "services/Options.h"

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::cerr << "usage: tb_seed_table SAVE_DIR [LAST]\n";
    return 2;
  }
  const std::string Dir = argv[1];
  THighScores Table;
  for (int32_t I = 1; I <= 10; ++I) Table[I] = {"BEGINNER", 45 * (10 - I)};
  if (argc == 3) Table[10].Score = std::stoi(argv[2]);
  TGameOptions Options;
  SetDefaultOptions(Options);
  if (!SaveHighScores(Table, Dir + "/hs") ||
      !SaveOptions(Options, HighScoreCheckText(Table), Dir + "/options")) {
    std::cerr << "tb_seed_table: cannot write the save files in " << Dir << "\n";
    return 1;
  }
  return 0;
}
