// Start-up: the real program from its playable folder against a bare SDL window, started in
// turn (game, bare, game, bare, ...) so that a drift of the machine's speed hits both alike.
// Each run is timed from just before its start to its first shown picture (the program
// reports that moment through the start probe, see platform/sdl/StartProbe.h) and runs on
// for a few pictures before it ends; its peak resident memory is what the program reports
// at its end. Run once with SDL's dummy video driver and, when DISPLAY is
// set, once on that display (start a window manager there first: the game is measured as a
// player would meet it).
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/bench/Bench.h"

extern char** environ;

namespace {

// Pictures shown before the program is asked to close: about half a second of the menu.
constexpr int32_t kPicturesShown = 30;
constexpr int kTimeoutMs = 30000;

struct TStartRun {
  bool Ok = false;
  double FirstPictureMs = 0;
  double PeakMb = 0;
};

int64_t NowMicros() {
  return std::chrono::duration_cast<std::chrono::microseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// Environment of the child: ours with SDL_VIDEODRIVER set or removed, and the probe's two.
std::vector<std::string> ChildEnvironment(const char* VideoDriver, int ProbeFd) {
  std::vector<std::string> Env;
  for (char** E = environ; *E; ++E) {
    const std::string Entry = *E;
    if (Entry.rfind("SDL_VIDEODRIVER=", 0) == 0 || Entry.rfind("TB_PROBE_", 0) == 0) continue;
    Env.push_back(Entry);
  }
  if (VideoDriver) Env.push_back(std::string("SDL_VIDEODRIVER=") + VideoDriver);
  Env.push_back("TB_PROBE_PICTURE_FD=" + std::to_string(ProbeFd));
  Env.push_back("TB_PROBE_QUIT_AFTER=" + std::to_string(kPicturesShown));
  return Env;
}

TStartRun StartOnce(const std::string& Program, const std::string& Folder,
                    const char* VideoDriver) {
  TStartRun Run;
  int Pipe[2];
  if (pipe2(Pipe, O_CLOEXEC) != 0) return Run;
  // The child's end must survive exec: give it a fixed number without close-on-exec.
  constexpr int kChildFd = 9;
  const std::vector<std::string> Env = ChildEnvironment(VideoDriver, kChildFd);
  std::vector<char*> EnvPointers;
  for (const std::string& E : Env) EnvPointers.push_back(const_cast<char*>(E.c_str()));
  EnvPointers.push_back(nullptr);

  const int64_t Start = NowMicros();
  const pid_t Child = fork();
  if (Child == 0) {
    dup2(Pipe[1], kChildFd);  // dup2 clears close-on-exec on the copy
    const int Null = open("/dev/null", O_RDWR);
    dup2(Null, 0);
    dup2(Null, 1);
    dup2(Null, 2);
    if (chdir(Folder.c_str()) != 0) _exit(126);
    char* Argv[] = {const_cast<char*>(Program.c_str()), nullptr};
    execve(Program.c_str(), Argv, EnvPointers.data());
    _exit(127);
  }
  close(Pipe[1]);
  if (Child < 0) {
    close(Pipe[0]);
    return Run;
  }
  std::string Line;
  pollfd P{Pipe[0], POLLIN, 0};
  while (poll(&P, 1, kTimeoutMs) > 0) {
    char Buffer[64];
    const ssize_t N = read(Pipe[0], Buffer, sizeof Buffer);
    if (N <= 0) break;
    Line.append(Buffer, static_cast<size_t>(N));
  }
  close(Pipe[0]);
  if (Line.empty()) kill(Child, SIGKILL);  // no picture in time: do not wait for ever
  int Status = 0;
  rusage Usage{};
  while (wait4(Child, &Status, 0, &Usage) < 0 && errno == EINTR) {
  }
  if (Line.empty() || !WIFEXITED(Status) || WEXITSTATUS(Status) != 0) return Run;
  Run.Ok = true;
  Run.FirstPictureMs = static_cast<double>(std::atoll(Line.c_str()) - Start) / 1000.0;
  // The program's own peak, its second line; the kernel's account of the child (kilobytes on
  // Linux) also holds our resident memory at the fork, so it only stands in.
  const size_t Second = Line.find('\n');
  const long long PeakKb = Second == std::string::npos ? -1 : std::atoll(Line.c_str() + Second + 1);
  Run.PeakMb = static_cast<double>(PeakKb > 0 ? PeakKb : Usage.ru_maxrss) / 1024.0;
  return Run;
}

double Median(std::vector<double> V) {
  if (V.empty()) return 0;
  std::nth_element(V.begin(), V.begin() + static_cast<long>(V.size() / 2), V.end());
  return V[V.size() / 2];
}

void PrintMs(const char* What, double Ms) {
  std::printf("  %-46s %10.1f ms\n", What, Ms);
}

void PrintMb(const char* What, double Mb, const char* Target = nullptr) {
  if (Target)
    std::printf("  %-46s %10.1f MB   (target %s)\n", What, Mb, Target);
  else
    std::printf("  %-46s %10.1f MB\n", What, Mb);
}

void CompareStarts(const std::string& Game, const char* Title, const char* VideoDriver,
                   int32_t Pairs) {
  const std::string Bare = std::string(TB_BENCH_BIN_DIR) + "/tallow-bench-bare";
  std::vector<double> GameMs, BareMs, Ratios, GamePeak, BarePeak;
  int32_t Failed = 0;
  StartOnce(Game, TB_BENCH_GAME_DIR, VideoDriver);  // warm the file cache, not counted
  StartOnce(Bare, TB_BENCH_GAME_DIR, VideoDriver);
  for (int32_t I = 0; I < Pairs; ++I) {
    const TStartRun A = StartOnce(Game, TB_BENCH_GAME_DIR, VideoDriver);
    const TStartRun B = StartOnce(Bare, TB_BENCH_GAME_DIR, VideoDriver);
    if (!A.Ok || !B.Ok) {
      ++Failed;
      continue;
    }
    GameMs.push_back(A.FirstPictureMs);
    BareMs.push_back(B.FirstPictureMs);
    Ratios.push_back(A.FirstPictureMs / B.FirstPictureMs);
    GamePeak.push_back(A.PeakMb);
    BarePeak.push_back(B.PeakMb);
  }
  std::printf("  %s: %zu pairs", Title, Ratios.size());
  if (Failed) std::printf(", %d failed (no picture, or a non-zero exit)", Failed);
  std::printf("\n");
  if (Ratios.empty()) return;
  PrintMs("game: start to first picture", Median(GameMs));
  PrintMs("bare SDL window: start to first picture", Median(BareMs));
  PrintRatio("game / bare window (median of pairs)", Median(Ratios), "<= 1.5");
  PrintMb("game: peak resident memory on the menu", Median(GamePeak), "< 64");
  PrintMb("bare SDL window: peak resident memory", Median(BarePeak));
}

void RunStart(const TBenchOptions& Options) {
  const int32_t Pairs = std::max(Options.Runs, 1);
  std::string Game = std::string(TB_BENCH_GAME_DIR) + "/tallowbrackles";
  if (!Options.Game.empty()) {
    std::error_code Ec;
    Game = std::filesystem::absolute(Options.Game, Ec).string();
  }
  std::printf("  %s against a bare SDL window, %d pairs a driver, each run %d pictures long\n",
              Game.c_str(), Pairs, kPicturesShown);
  CompareStarts(Game, "dummy video driver", "dummy", Pairs);
  const char* Display = std::getenv("DISPLAY");
  if (Display && *Display) {
    const std::string Title = std::string("display ") + Display;
    CompareStarts(Game, Title.c_str(), nullptr, Pairs);
  } else {
    std::printf("  no DISPLAY: the start on a display is not measured\n");
  }
}

}  // namespace

void AddStartSections(std::vector<TBenchSection>& Sections) {
  Sections.push_back({"start", RunStart});
}
