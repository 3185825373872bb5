// tallow-replay: plays back a game recorded with `tallowbrackles --record FILE`, headless,
// frame by frame, and prints how it ended: frames, score, level and lives. When the program
// no longer reaches the recorded state, it names the first frame that differs and how.
//
//   tallow-replay [--window] [--data DIR] [--all] FILE...
//
// --window shows the game being played back (Esc or closing the window stops); --data names
// the playable folder (build/game beside this program by default); --all goes on past the
// first difference to the end of the recording. Exit status: 0 all agree, 1 a replay
// differs, 2 a replay cannot be read or played.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/sdl/SdlPlatform.h"
#include "shell/MainForm.h"
#include "shell/Replay.h"

namespace fs = std::filesystem;

namespace {

std::string DefaultDataRoot() {
  std::error_code Ec;
  const fs::path Self = fs::read_symlink("/proc/self/exe", Ec);
  if (!Ec) {
    const fs::path Game = Self.parent_path().parent_path() / "game";
    if (fs::exists(Game / "Data/Res/Res1.dxg", Ec)) return Game.string() + "/";
  }
  return "";
}

// A fresh folder for the start files and whatever the game saves; removed afterwards.
class TScratch {
 public:
  TScratch() {
    std::string Pattern = (fs::temp_directory_path() / "tallow-replay-XXXXXX").string();
    if (mkdtemp(Pattern.data()) != nullptr) Path = Pattern;
  }
  ~TScratch() {
    std::error_code Ec;
    if (!Path.empty()) fs::remove_all(Path, Ec);
  }
  std::string Path;
};

int Usage() {
  std::fprintf(stderr, "usage: tallow-replay [--window] [--data DIR] [--all] FILE...\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  bool Window = false, All = false;
  std::string DataRoot = DefaultDataRoot();
  std::vector<std::string> Files;
  for (int I = 1; I < argc; ++I) {
    const std::string Arg = argv[I];
    if (Arg == "--window") {
      Window = true;
    } else if (Arg == "--all") {
      All = true;
    } else if (Arg == "--data" && I + 1 < argc) {
      DataRoot = argv[++I];
      if (!DataRoot.empty() && DataRoot.back() != '/') DataRoot += '/';
    } else if (Arg == "--help" || Arg == "-h" || (!Arg.empty() && Arg[0] == '-')) {
      return Usage();
    } else {
      Files.push_back(Arg);
    }
  }
  if (Files.empty()) return Usage();

  std::unique_ptr<TSdlPlatform> Viewer;
  if (Window) Viewer = std::make_unique<TSdlPlatform>();
  int Status = 0;
  for (const std::string& File : Files) {
    TReplay Replay;
    try {
      Replay = LoadReplay(File);
    } catch (const EReplayError& E) {
      std::fprintf(stderr, "tallow-replay: %s\n", E.what());
      Status = 2;
      continue;
    }
    TScratch Scratch;
    if (Scratch.Path.empty()) {
      std::fprintf(stderr, "tallow-replay: no scratch folder can be made in %s\n",
                   fs::temp_directory_path().c_str());
      return 2;
    }
    TPlaybackSettings Settings;
    Settings.DataRoot = DataRoot;
    Settings.ScratchDir = Scratch.Path;
    Settings.Viewer = Viewer.get();
    Settings.StopAtDifference = !All;
    const TPlaybackResult R = PlayReplay(Replay, Settings);
    if (!R.Error.empty()) {
      std::fprintf(stderr, "tallow-replay: %s: %s\n", File.c_str(), R.Error.c_str());
      Status = 2;
      continue;
    }
    std::printf("%s: %zu of %zu frames, score %d, level %d, lives %d\n", File.c_str(), R.Frames,
                Replay.FrameCount(), R.Final.Score, R.Final.Level, R.Final.Lives);
    if (!R.AskedDifference.empty()) std::printf("  note: %s\n", R.AskedDifference.c_str());
    if (R.FirstDifferent >= 0) {
      std::printf("  differs from the recording: %s\n", R.Difference.c_str());
      if (Status == 0) Status = 1;
    }
  }
  return Status;
}
