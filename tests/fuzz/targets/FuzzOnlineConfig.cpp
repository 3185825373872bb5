// Fuzz target: Data/Online.ini. Whatever it holds gives a configuration whose every value
// is one the game can use, and a message per ignored line.
#include <sstream>

#include "services/OnlineConfig.h"
#include "tests/fuzz/targets/FuzzSaveFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  std::ostringstream Errors;
  const TOnlineConfig C = LoadOnlineConfig(WriteFuzzInput("online", Data, Size), Errors);
  if (C.Host.empty() || C.Port < 1 || C.Port > 65535 || C.Key.size() != 1 ||
      C.Alphabet.size() != 32)
    __builtin_trap();
  (void)C.WorldTableUrl();
  (void)C.HomeUrl();
  return 0;
}
