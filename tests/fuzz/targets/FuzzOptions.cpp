// Fuzz target: the options file. Whatever it holds gives settings or the defaults, and the
// settings read are written back as seven lines that read back the same.
#include "services/Options.h"
#include "tests/fuzz/targets/FuzzSaveFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string Name = WriteFuzzInput("options", Data, Size);
  TGameOptions Options;
  LoadOptions(Options, Name);
  const std::string Text = OptionsFileText(Options, Options.HighScoreCheck);
  const uint8_t* Bytes = reinterpret_cast<const uint8_t*>(Text.data());
  TGameOptions Again;
  LoadOptions(Again, WriteFuzzInput("options", Bytes, Text.size()));
  if (Again.FullScreen != Options.FullScreen || Again.MusicOn != Options.MusicOn ||
      Again.SoundOn != Options.SoundOn || Again.BossKey != Options.BossKey)
    __builtin_trap();
  return 0;
}
