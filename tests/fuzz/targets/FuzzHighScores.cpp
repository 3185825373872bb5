// Fuzz target: the high-score file. Whatever it holds gives a table (or the default one)
// whose check text can be made, and which is written back as twenty lines that read back
// the same.
#include "services/HighScores.h"
#include "tests/fuzz/targets/FuzzSaveFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  THighScores Table;
  LoadHighScores(Table, WriteFuzzInput("hs", Data, Size));
  (void)HighScoreCheckOk(Table, HighScoreCheckText(Table));
  const std::string Text = HighScoreFileText(Table);
  THighScores Again;
  LoadHighScores(Again,
                 WriteFuzzInput("hs", reinterpret_cast<const uint8_t*>(Text.data()), Text.size()));
  for (int32_t I = 1; I <= 10; ++I)
    if (Again[I].Score != Table[I].Score) __builtin_trap();
  return 0;
}
