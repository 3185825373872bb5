// Pacing: what the real program costs while it shows 60 pictures a second on a display, next
// to a bare SDL window that shows an 800 x 600 picture at the same rate. Each run starts the
// program from a run folder of its own (links to the playable folder, an empty Data/Save, so
// the default options: a window), brings it where it is measured with real key presses
// (xdotool): the main menu, a game in play with the fire key held, the same in full screen
// (Alt+Enter, the desktop's size), and then counts for the measured seconds:
//   - the pictures shown and their intervals, from the time of each that the program writes
//     to a pipe (TB_PROBE_FRAME_FD, see platform/sdl/StartProbe.h);
//   - the CPU time of the program (utime + stime of all its threads, /proc/PID/stat) and of
//     the X server, as shares of one core over the same wall time.
// It needs a display with a window manager (full screen misbehaves without one):
//   xvfb-run -a -s "-screen 0 1920x1080x24" bash -c 'openbox & sleep 0.5; tallow-bench pacing'
#include <SDL.h>
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tools/bench/Bench.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr int kFrameFd = 9;  // the child's end of the frame pipe

int64_t NowMicros() {
  return std::chrono::duration_cast<std::chrono::microseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// utime + stime of a process, all its threads, in seconds; negative when it cannot be read.
double CpuSeconds(pid_t Pid) {
  std::ifstream In("/proc/" + std::to_string(Pid) + "/stat");
  std::string Text((std::istreambuf_iterator<char>(In)), std::istreambuf_iterator<char>());
  // The command name stands in parentheses and may hold spaces: count fields after it.
  const size_t Close = Text.rfind(')');
  if (Close == std::string::npos) return -1;
  std::istringstream Fields(Text.substr(Close + 2));
  std::string Field;
  unsigned long long UTime = 0, STime = 0;
  // Fields 3 .. 15 of proc(5); utime is the 14th, stime the 15th.
  for (int I = 3; I <= 15 && Fields >> Field; ++I) {
    if (I == 14) UTime = std::strtoull(Field.c_str(), nullptr, 10);
    if (I == 15) STime = std::strtoull(Field.c_str(), nullptr, 10);
  }
  return static_cast<double>(UTime + STime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// The X server of DISPLAY (an Xvfb or Xorg process with the display's name among its
// arguments), or 0.
pid_t XServerPid(const std::string& Display) {
  const std::string Name = Display.substr(0, Display.find('.'));
  DIR* Proc = opendir("/proc");
  if (!Proc) return 0;
  pid_t Found = 0;
  while (dirent* E = readdir(Proc)) {
    const pid_t Pid = static_cast<pid_t>(std::atoi(E->d_name));
    if (Pid <= 0) continue;
    std::ifstream In(std::string("/proc/") + E->d_name + "/cmdline");
    std::string Cmd((std::istreambuf_iterator<char>(In)), std::istreambuf_iterator<char>());
    std::vector<std::string> Args;
    for (size_t At = 0; At < Cmd.size();) {
      const size_t End = Cmd.find('\0', At);
      Args.push_back(Cmd.substr(At, End - At));
      if (End == std::string::npos) break;
      At = End + 1;
    }
    if (Args.empty()) continue;
    const std::string Program = fs::path(Args[0]).filename().string();
    if (Program != "Xvfb" && Program != "Xorg" && Program != "X") continue;
    for (size_t I = 1; I < Args.size(); ++I)
      if (Args[I] == Name) Found = Pid;
    if (Found) break;
  }
  closedir(Proc);
  return Found;
}

// Runs a command to its end, its output thrown away; answers whether it ended with status 0.
bool RunQuietly(const std::vector<std::string>& Command) {
  const pid_t Child = fork();
  if (Child == 0) {
    const int Null = open("/dev/null", O_RDWR);
    dup2(Null, 0);
    dup2(Null, 1);
    dup2(Null, 2);
    std::vector<char*> Argv;
    for (const std::string& A : Command) Argv.push_back(const_cast<char*>(A.c_str()));
    Argv.push_back(nullptr);
    execvp(Argv[0], Argv.data());
    _exit(127);
  }
  if (Child < 0) return false;
  int Status = 0;
  while (waitpid(Child, &Status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(Status) && WEXITSTATUS(Status) == 0;
}

bool XdotoolThere() {
  return RunQuietly({"xdotool", "version"});
}

// A folder that plays like the playable one but keeps its own empty Data/Save.
std::string MakeRunFolder(const std::string& GameDir) {
  char Template[] = "/tmp/tallow-pacing-XXXXXX";
  if (!mkdtemp(Template)) return "";
  const fs::path Run = Template;
  std::error_code Ec;
  for (const fs::directory_entry& E : fs::directory_iterator(GameDir, Ec)) {
    if (E.path().filename() == "Data") continue;
    fs::create_directory_symlink(E.path(), Run / E.path().filename(), Ec);
    if (Ec) fs::create_symlink(E.path(), Run / E.path().filename(), Ec);
  }
  fs::create_directories(Run / "Data" / "Save", Ec);
  for (const fs::directory_entry& E : fs::directory_iterator(fs::path(GameDir) / "Data", Ec)) {
    if (E.path().filename() == "Save") continue;
    if (E.is_directory())
      fs::create_directory_symlink(E.path(), Run / "Data" / E.path().filename(), Ec);
    else
      fs::create_symlink(E.path(), Run / "Data" / E.path().filename(), Ec);
  }
  return Run.string();
}

enum class TScene { Bare, Menu, Play, FullScreenPlay };

struct TPacingRun {
  bool Ok = false;
  std::string Failure;
  double Fps = 0, MedianMs = 0, P99Ms = 0, MaxMs = 0, CpuPercent = 0, ServerPercent = -1;
};

// A started program and the pipe its pictures' times arrive on.
class TChild {
 public:
  bool Start(const std::string& Program, const std::string& Folder) {
    int Pipe[2];
    if (pipe2(Pipe, O_CLOEXEC) != 0) return false;
    std::vector<std::string> Env;
    for (char** E = environ; *E; ++E) {
      const std::string Entry = *E;
      if (Entry.rfind("TB_PROBE_", 0) == 0 || Entry.rfind("SDL_VIDEODRIVER=", 0) == 0) continue;
      Env.push_back(Entry);
    }
    Env.push_back("TB_PROBE_FRAME_FD=" + std::to_string(kFrameFd));
    std::vector<char*> EnvPointers;
    for (const std::string& E : Env) EnvPointers.push_back(const_cast<char*>(E.c_str()));
    EnvPointers.push_back(nullptr);
    FPid = fork();
    if (FPid == 0) {
      dup2(Pipe[1], kFrameFd);
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
    if (FPid < 0) {
      close(Pipe[0]);
      return false;
    }
    FRead = Pipe[0];
    return true;
  }
  ~TChild() { Stop(); }

  // Reads picture times until Until (steady microseconds), or the program's end.
  void ReadUntil(int64_t Until) {
    while (FRead >= 0) {
      const int64_t Left = Until - NowMicros();
      if (Left <= 0) return;
      pollfd P{FRead, POLLIN, 0};
      if (poll(&P, 1, static_cast<int>(Left / 1000 + 1)) <= 0) continue;
      const ssize_t N = read(FRead, FPending + FPendingBytes, sizeof FPending - FPendingBytes);
      if (N <= 0) {
        close(FRead);
        FRead = -1;
        return;
      }
      FPendingBytes += static_cast<size_t>(N);
      size_t Used = 0;
      for (; Used + 8 <= FPendingBytes; Used += 8) {
        int64_t T = 0;
        std::memcpy(&T, FPending + Used, 8);
        Times.push_back(T);
      }
      std::memmove(FPending, FPending + Used, FPendingBytes - Used);
      FPendingBytes -= Used;
    }
  }
  bool Alive() { return FPid > 0 && waitpid(FPid, nullptr, WNOHANG) == 0; }
  pid_t Pid() const { return FPid; }

  void Stop() {
    if (FPid > 0) {
      kill(FPid, SIGTERM);
      int Status = 0;
      const int64_t Until = NowMicros() + 3000000;
      while (waitpid(FPid, &Status, WNOHANG) == 0) {
        if (NowMicros() > Until) {
          kill(FPid, SIGKILL);
          waitpid(FPid, &Status, 0);
          break;
        }
        usleep(20000);
      }
      FPid = -1;
    }
    if (FRead >= 0) close(FRead);
    FRead = -1;
  }

  std::vector<int64_t> Times;  // steady microseconds of each shown picture

 private:
  pid_t FPid = -1;
  int FRead = -1;
  char FPending[4096];
  size_t FPendingBytes = 0;
};

double Percentile(std::vector<double> V, double P) {
  if (V.empty()) return 0;
  std::sort(V.begin(), V.end());
  const size_t I = std::min(V.size() - 1, static_cast<size_t>(P * static_cast<double>(V.size())));
  return V[I];
}

TPacingRun RunScene(TScene Scene, const std::string& Game, const std::string& Display,
                    double Seconds) {
  TPacingRun Run;
  const std::string Bare = std::string(TB_BENCH_BIN_DIR) + "/tallow-bench-bare";
  const std::string Folder = MakeRunFolder(TB_BENCH_GAME_DIR);
  if (Folder.empty()) {
    Run.Failure = "no run folder in /tmp";
    return Run;
  }
  TChild Child;
  if (!Child.Start(Scene == TScene::Bare ? Bare : Game, Folder)) {
    Run.Failure = "cannot start the program";
    return Run;
  }
  auto Wait = [&](double S) { Child.ReadUntil(NowMicros() + static_cast<int64_t>(S * 1e6)); };
  // The first picture, within 20 s.
  const int64_t Until = NowMicros() + 20000000;
  while (Child.Times.empty() && NowMicros() < Until && Child.Alive()) Wait(0.05);
  if (Child.Times.empty()) {
    Run.Failure = "no picture";
    fs::remove_all(Folder);
    return Run;
  }
  const std::vector<std::string> Find = {
      "xdotool", "search", "--onlyvisible", "--name",
      Scene == TScene::Bare ? "^Bare window$" : "^Tallow Brackles$"};
  auto Xdo = [&](std::vector<std::string> Then) {
    std::vector<std::string> C = Find;
    C.push_back("windowactivate");
    C.push_back("--sync");
    C.insert(C.end(), Then.begin(), Then.end());
    return RunQuietly(C);
  };
  bool FireHeld = false;
  if (Scene == TScene::Bare) {
    Wait(1.0);
  } else {
    // The menu's buttons fade in, and keys wait for them.
    Wait(3.0);
    if (Scene == TScene::FullScreenPlay) {
      Xdo({"key", "--clearmodifiers", "alt+Return"});
      Wait(1.5);
    }
    if (Scene != TScene::Menu) {
      // Enter starts a game behind the level banner (2 s); fire is held from then on.
      Xdo({"key", "Return"});
      Wait(2.5);
      FireHeld = Xdo({"keydown", "space"});
    }
    Wait(0.5);
  }
  if (!Child.Alive()) {
    Run.Failure = "the program ended early";
    fs::remove_all(Folder);
    return Run;
  }
  const pid_t Server = XServerPid(Display);
  const size_t First = Child.Times.size();
  const int64_t T0 = NowMicros();
  const double Cpu0 = CpuSeconds(Child.Pid());
  const double Server0 = Server ? CpuSeconds(Server) : -1;
  Wait(Seconds);
  const int64_t T1 = NowMicros();
  const double Cpu1 = CpuSeconds(Child.Pid());
  const double Server1 = Server ? CpuSeconds(Server) : -1;
  if (FireHeld) RunQuietly({"xdotool", "keyup", "space"});
  const bool Alive = Child.Alive();
  Child.Stop();
  fs::remove_all(Folder);
  if (!Alive || Cpu0 < 0 || Cpu1 < 0) {
    Run.Failure = "the program ended while measured";
    return Run;
  }
  std::vector<double> Intervals;
  for (size_t I = First + 1; I < Child.Times.size(); ++I)
    Intervals.push_back(static_cast<double>(Child.Times[I] - Child.Times[I - 1]) / 1000.0);
  const double Wall = static_cast<double>(T1 - T0) / 1e6;
  Run.Ok = !Intervals.empty();
  if (!Run.Ok) Run.Failure = "no pictures while measured";
  Run.Fps = static_cast<double>(Child.Times.size() - First) / Wall;
  Run.MedianMs = Percentile(Intervals, 0.5);
  Run.P99Ms = Percentile(Intervals, 0.99);
  Run.MaxMs = Percentile(Intervals, 1.0);
  Run.CpuPercent = 100.0 * (Cpu1 - Cpu0) / Wall;
  if (Server0 >= 0 && Server1 >= 0) Run.ServerPercent = 100.0 * (Server1 - Server0) / Wall;
  return Run;
}

void PrintValue(const char* What, double Value, const char* Unit, const std::string& Target = "") {
  if (Target.empty())
    std::printf("    %-44s %8.1f %s\n", What, Value, Unit);
  else
    std::printf("    %-44s %8.1f %-12s (target %s)\n", What, Value, Unit, Target.c_str());
}

void PrintRun(const char* Title, const TPacingRun& R, const TPacingRun& Bare,
              const std::string& CpuTarget) {
  std::printf("  %s\n", Title);
  if (!R.Ok) {
    std::printf("    not measured: %s\n", R.Failure.c_str());
    return;
  }
  PrintValue("pictures a second", R.Fps, "", "59 to 61");
  PrintValue("frame interval, median", R.MedianMs, "ms");
  PrintValue("frame interval, 99th percentile", R.P99Ms, "ms", "< 20");
  PrintValue("frame interval, longest", R.MaxMs, "ms");
  PrintValue("CPU share of the program", R.CpuPercent, "% of a core", CpuTarget);
  if (R.ServerPercent >= 0) PrintValue("CPU share of the X server", R.ServerPercent, "% of a core");
  if (&R != &Bare && Bare.Ok && Bare.CpuPercent > 0)
    std::printf("    %-44s %8.2f x\n", "CPU share / the bare window's",
                R.CpuPercent / Bare.CpuPercent);
}

// The desktop's size, as full screen takes it.
bool DesktopSize(int& W, int& H) {
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
  SDL_DisplayMode Mode;
  const bool Ok = SDL_GetDesktopDisplayMode(0, &Mode) == 0;
  if (Ok) {
    W = Mode.w;
    H = Mode.h;
  }
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
  return Ok;
}

void RunPacing(const TBenchOptions& Options) {
  const char* DisplayVariable = std::getenv("DISPLAY");
  if (!DisplayVariable || !*DisplayVariable) {
    std::printf("  no DISPLAY: the pacing is not measured (run it under xvfb-run with openbox)\n");
    return;
  }
  const std::string Display = DisplayVariable;
  std::string Game = std::string(TB_BENCH_GAME_DIR) + "/tallowbrackles";
  if (!Options.Game.empty()) {
    std::error_code Ec;
    Game = fs::absolute(Options.Game, Ec).string();
  }
  int W = 0, H = 0;
  if (!DesktopSize(W, H)) {
    std::printf("  the display %s cannot be opened: %s\n", Display.c_str(), SDL_GetError());
    return;
  }
  const bool Keys = XdotoolThere();
  const double Seconds = Options.Seconds;
  std::printf("  %s on display %s (%d x %d), %.0f s a run, 60 pictures a second\n", Game.c_str(),
              Display.c_str(), W, H, Seconds);
  const TPacingRun Bare = RunScene(TScene::Bare, Game, Display, Seconds);
  PrintRun("bare SDL window, 800 x 600", Bare, Bare, "");
  const TPacingRun Menu = RunScene(TScene::Menu, Game, Display, Seconds);
  PrintRun("game, window, main menu", Menu, Bare, "");
  if (!Keys) {
    std::printf("  no xdotool: play and full screen are not measured\n");
    return;
  }
  const TPacingRun Play = RunScene(TScene::Play, Game, Display, Seconds);
  PrintRun("game, window, in play", Play, Bare, "<= 5");
  std::string FullTarget;
  if (W == 1920 && H == 1080) FullTarget = "<= 10";
  if (W == 3840 && H == 2160) FullTarget = "<= 25";
  const TPacingRun Full = RunScene(TScene::FullScreenPlay, Game, Display, Seconds);
  const std::string Title =
      "game, full screen " + std::to_string(W) + " x " + std::to_string(H) + ", in play";
  PrintRun(Title.c_str(), Full, Bare, FullTarget);
}

}  // namespace

void AddPacingSections(std::vector<TBenchSection>& Sections) {
  Sections.push_back({"pacing", RunPacing, false});
}
