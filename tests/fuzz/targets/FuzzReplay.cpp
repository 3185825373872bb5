// Fuzz target: a recording as anyone may send one, read and then played back headless on the
// real packs of the playable folder, at most 300 frames and 3 s of it. A damaged recording
// must end in the reader's message, the player's message or a played result: never an
// abort, a hang or an allocation out of proportion to the file.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "platform/replay/ReplayFile.h"
#include "shell/Replay.h"

namespace {

// One scratch folder for the whole run: each playback writes its start files over the last.
std::string ScratchFolder() {
  namespace fs = std::filesystem;
  const fs::path Path =
      fs::temp_directory_path() / ("fuzz-replay-" + std::to_string(std::random_device()()));
  fs::create_directories(Path);
  return Path.string();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  static const std::string Scratch = ScratchFolder();
  TReplay Replay;
  try {
    // A body of 16 MB is hours of play; the fuzzer's inputs are far smaller.
    Replay = ParseReplayFile(std::vector<uint8_t>(Data, Data + Size), size_t{16} << 20);
  } catch (const EReplayError&) {
    return 0;
  }
  TPlaybackSettings Settings;
  Settings.DataRoot = TB_FUZZ_GAME_DIR "/";
  Settings.ScratchDir = Scratch;
  Settings.MaxFrames = 300;
  const auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
  Settings.OutOfTime = [Deadline] { return std::chrono::steady_clock::now() > Deadline; };
  const TPlaybackResult Result = PlayReplay(Replay, Settings);
  // A playback that neither started nor says why has lost its message.
  if (!Result.Started && Result.Error.empty()) __builtin_trap();
  return 0;
}
