// tallow-scores-load: the world-table server under load, on loopback only, with figures.
//   tallow-scores-load [slow] [uploads] [--uploads N] [--clients N] [--no-postgres]
// slow:    1,000 connections held open from 127.0.0.2 to 127.0.0.9, half of them idle and
//          half sending a request one byte a second (each opened again when the server
//          cuts it off), while 100 page requests from 127.0.0.10 are timed and uploads from
//          127.0.0.11 go on; prints the page requests' percentiles and the uploads stored.
// uploads: 10,000 uploads from 32 clients (each from an address of its own), the game's own
//          records, one connection each as the game sends them; prints the rate and checks
//          that every answered upload is in the table: on an SQLite file, on PostgreSQL with
//          one server and with two servers sharing the table.
// The servers (and a scratch PostgreSQL cluster) are started here and stopped at the end.
#include <arpa/inet.h>
#include <fcntl.h>
#include <libpq-fe.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "server/ScoreStore.h"
#include "services/OnlineConfig.h"
#include "services/WorldScore.h"

extern char** environ;

namespace {

using TClock = std::chrono::steady_clock;

double Seconds(TClock::duration D) {
  return std::chrono::duration<double>(D).count();
}

// A TCP connection to 127.0.0.1:Port from the loopback address From; -1 when refused.
int Connect(const std::string& From, int32_t Port) {
  const int Fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (Fd < 0) return -1;
  sockaddr_in Local{};
  Local.sin_family = AF_INET;
  inet_pton(AF_INET, From.c_str(), &Local.sin_addr);
  sockaddr_in Server{};
  Server.sin_family = AF_INET;
  Server.sin_port = htons(static_cast<uint16_t>(Port));
  inet_pton(AF_INET, "127.0.0.1", &Server.sin_addr);
  if (bind(Fd, reinterpret_cast<sockaddr*>(&Local), sizeof Local) != 0 ||
      connect(Fd, reinterpret_cast<sockaddr*>(&Server), sizeof Server) != 0) {
    close(Fd);
    return -1;
  }
  return Fd;
}

// One GET on a connection of its own, as the game sends it; the status, 0 for none.
int Get(const std::string& From, int32_t Port, const std::string& Path, int TimeoutMs = 10000) {
  const int Fd = Connect(From, Port);
  if (Fd < 0) return 0;
  const std::string Request =
      "GET " + Path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n";
  std::string Answer;
  if (send(Fd, Request.data(), Request.size(), MSG_NOSIGNAL) ==
      static_cast<ssize_t>(Request.size())) {
    const auto End = TClock::now() + std::chrono::milliseconds(TimeoutMs);
    char Buffer[16384];
    for (;;) {
      const auto Left =
          std::chrono::duration_cast<std::chrono::milliseconds>(End - TClock::now()).count();
      pollfd P{Fd, POLLIN, 0};
      if (Left <= 0 || poll(&P, 1, static_cast<int>(Left)) <= 0) break;
      const ssize_t N = recv(Fd, Buffer, sizeof Buffer, 0);
      if (N <= 0) break;
      Answer.append(Buffer, static_cast<size_t>(N));
    }
  }
  close(Fd);
  if (Answer.rfind("HTTP/1.1 ", 0) != 0 || Answer.size() < 12) return 0;
  return std::atoi(Answer.c_str() + 9);
}

class TTempFolder {
 public:
  TTempFolder() {
    std::string Pattern = (std::filesystem::temp_directory_path() / "tallow-load-XXXXXX");
    Path = mkdtemp(Pattern.data()) ? Pattern : std::string();
  }
  ~TTempFolder() {
    std::error_code Ignored;
    if (!Path.empty()) std::filesystem::remove_all(Path, Ignored);
  }
  std::string Path;
};

// tallow-scores on 127.0.0.1 at a free port, its log in a file; stopped at the end.
class TServer {
 public:
  TServer(const std::string& Db, const std::string& LogFile, std::vector<std::string> Extra = {}) {
    const std::string Program = TB_BIN_DIR "/tallow-scores";
    std::vector<std::string> Args = {Program, "--port",     "0",  "--host", "127.0.0.1",
                                     "--db",  Db,           "--uploads-per-minute", "100000"};
    Args.insert(Args.end(), Extra.begin(), Extra.end());
    std::vector<char*> Argv;
    for (std::string& A : Args) Argv.push_back(A.data());
    Argv.push_back(nullptr);
    posix_spawn_file_actions_t Files;
    posix_spawn_file_actions_init(&Files);
    posix_spawn_file_actions_addopen(&Files, 1, LogFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    if (posix_spawn(&Pid, Program.c_str(), &Files, nullptr, Argv.data(), environ) != 0) Pid = 0;
    posix_spawn_file_actions_destroy(&Files);
    for (int Try = 0; Pid > 0 && Try < 1000 && Port == 0; ++Try) {
      std::ifstream In(LogFile);
      std::string Line;
      if (std::getline(In, Line) && Line.find("listening on 127.0.0.1:") != std::string::npos)
        Port = std::stoi(Line.substr(Line.rfind(':') + 1));
      else
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  ~TServer() {
    if (Pid <= 0) return;
    kill(Pid, SIGTERM);
    waitpid(Pid, nullptr, 0);
  }
  pid_t Pid = 0;
  int32_t Port = 0;
};

// The scratch PostgreSQL cluster of the tests, and a fresh database in it per run.
class TPostgres {
 public:
  explicit TPostgres(const std::string& State) : FState(State) {
    const std::string Command =
        "sh " TB_SOURCE_DIR "/tests/server/postgres-cluster.sh start '" + State + "'";
    if (std::system(Command.c_str()) != 0) return;
    std::ifstream In(State + "/url");
    std::getline(In, Url);
  }
  ~TPostgres() {
    const std::string Command =
        "sh " TB_SOURCE_DIR "/tests/server/postgres-cluster.sh stop '" + FState + "'";
    if (std::system(Command.c_str()) != 0) std::cerr << "could not stop the cluster\n";
  }
  // The address of a new, empty database.
  std::string NewDatabase(const std::string& Name) {
    PGconn* C = PQconnectdb(Url.c_str());
    PQsetNoticeProcessor(C, [](void*, const char*) {}, nullptr);
    PQclear(PQexec(C, ("DROP DATABASE IF EXISTS " + Name).c_str()));
    PGresult* R = PQexec(C, ("CREATE DATABASE " + Name).c_str());
    const bool Made = PQresultStatus(R) == PGRES_COMMAND_OK;
    PQclear(R);
    PQfinish(C);
    return Made ? Url.substr(0, Url.rfind('/') + 1) + Name : std::string();
  }
  std::string Url;

 private:
  std::string FState;
};

std::string UploadPath(int32_t Port, const std::string& Name, int32_t Score) {
  TOnlineConfig Site;
  Site.Host = "127.0.0.1";
  Site.Port = Port;
  return WorldScoreUrl(Site, Name, Score, "Suomi").substr(Site.SiteUrl().size());
}

constexpr const char* kPagePath = "/cgi/version.pl?prg=Tallowbrackle&type=0&show";

double Percentile(std::vector<double> Values, double P) {
  if (Values.empty()) return 0;
  std::sort(Values.begin(), Values.end());
  const size_t I = std::min(Values.size() - 1, static_cast<size_t>(P * Values.size()));
  return Values[I];
}

void SlowClients(const TTempFolder& Folder) {
  constexpr int kHeld = 1000;
  constexpr int kPages = 100;
  constexpr int kPageGapMs = 350;  // 35 s of pages: past the server's 30 s deadline
  TServer Server(Folder.Path + "/slow.db", Folder.Path + "/slow.log",
                 {"--connections-per-address", "200"});
  if (Server.Port == 0) {
    std::cout << "slow: the server did not start\n";
    return;
  }
  // What a trickling client sends, one byte a second, never ending its headers.
  std::string Trickle = "GET /scores.json HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Slow: ";
  Trickle += std::string(4000, 'a');
  struct THeld {
    std::string From;
    bool Trickles = false;
    int Fd = -1;
    size_t Sent = 0;
  };
  std::vector<THeld> Held(kHeld);
  for (int I = 0; I < kHeld; ++I) {
    Held[I].From = "127.0.0." + std::to_string(2 + I % 8);
    Held[I].Trickles = I % 2 == 1;
    Held[I].Fd = Connect(Held[I].From, Server.Port);
  }
  std::atomic<bool> Done{false};
  std::atomic<int> Open{0}, Reopened{0};
  // Once a second: one byte on each trickling connection; a connection the server closed is
  // opened again, so the thousand stay held all along.
  std::thread Keeper([&] {
    while (!Done) {
      int Count = 0;
      for (THeld& H : Held) {
        bool Closed = H.Fd < 0;
        if (!Closed) {
          pollfd P{H.Fd, POLLIN, 0};
          char Sink[256];
          if (poll(&P, 1, 0) > 0 && recv(H.Fd, Sink, sizeof Sink, MSG_DONTWAIT) <= 0) Closed = true;
        }
        if (!Closed && H.Trickles) {
          Closed = send(H.Fd, Trickle.data() + H.Sent % Trickle.size(), 1, MSG_NOSIGNAL) != 1;
          ++H.Sent;
        }
        if (Closed) {
          if (H.Fd >= 0) close(H.Fd);
          H.Fd = Connect(H.From, Server.Port);
          H.Sent = 0;
          ++Reopened;
        }
        Count += H.Fd >= 0;
      }
      Open = Count;
      for (int I = 0; I < 10 && !Done; ++I) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
  });
  std::this_thread::sleep_for(std::chrono::seconds(2));

  std::mutex Mutex;
  std::vector<std::string> Stored;
  int Refused = 0;
  std::thread Uploader([&] {
    for (int I = 0; !Done; ++I) {
      const std::string Name = "Slow" + std::to_string(I);
      const int Status = Get("127.0.0.11", Server.Port, UploadPath(Server.Port, Name, I));
      std::lock_guard<std::mutex> Lock(Mutex);
      if (Status == 200)
        Stored.push_back(Name);
      else
        ++Refused;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
  });

  std::vector<double> Ms;
  int Failed = 0, LeastOpen = kHeld;
  for (int I = 0; I < kPages; ++I) {
    const auto Start = TClock::now();
    const int Status = Get("127.0.0.10", Server.Port, kPagePath);
    Ms.push_back(Seconds(TClock::now() - Start) * 1000);
    Failed += Status != 200;
    LeastOpen = std::min(LeastOpen, Open.load());
    std::this_thread::sleep_for(std::chrono::milliseconds(kPageGapMs));
  }
  Done = true;
  Keeper.join();
  Uploader.join();
  for (THeld& H : Held)
    if (H.Fd >= 0) close(H.Fd);

  const auto Store = OpenScoreStore(Folder.Path + "/slow.db");
  std::set<std::string> Names;
  for (const TScoreRow& R : Store->Best(1000000)) Names.insert(R.Name);
  size_t Lost = 0;
  for (const std::string& N : Stored) Lost += Names.count(N) == 0;
  std::printf(
      "slow clients (SQLite): %d connections held from 127.0.0.2-9 (half idle, half one byte a "
      "second; at least %d open at every page request, %d opened again after the server cut "
      "them off)\n"
      "  %d page requests from 127.0.0.10: median %.1f ms, 99th percentile %.1f ms, slowest "
      "%.1f ms, %d failed\n"
      "  uploads from 127.0.0.11 meanwhile: %zu answered and stored, %zu lost, %d refused\n",
      kHeld, LeastOpen, Reopened.load(), kPages, Percentile(Ms, 0.5), Percentile(Ms, 0.99),
      *std::max_element(Ms.begin(), Ms.end()), Failed, Stored.size(), Lost, Refused);
}

// Total uploads from Clients clients over the servers on Db; prints the figures.
void Uploads(const std::string& Title, const std::string& Db, const TTempFolder& Folder,
             int Servers, int Total, int Clients) {
  std::vector<std::unique_ptr<TServer>> Running;
  for (int I = 0; I < Servers; ++I) {
    Running.push_back(std::make_unique<TServer>(
        Db, Folder.Path + "/uploads" + std::to_string(I) + ".log"));
    if (Running.back()->Port == 0) {
      std::cout << Title << ": server " << I << " did not start\n";
      return;
    }
  }
  std::mutex Mutex;
  std::vector<std::string> Answered;
  std::atomic<int> Failed{0};
  std::vector<std::thread> Threads;
  const auto Start = TClock::now();
  for (int C = 0; C < Clients; ++C) {
    Threads.emplace_back([&, C] {
      const int32_t Port = Running[static_cast<size_t>(C % Servers)]->Port;
      const std::string From = "127.0.1." + std::to_string(C + 1);
      std::vector<std::string> Mine;
      for (int I = C; I < Total; I += Clients) {
        const std::string Name = "L" + std::to_string(C) + "n" + std::to_string(I);
        if (Get(From, Port, UploadPath(Port, Name, I)) == 200)
          Mine.push_back(Name);
        else
          ++Failed;
      }
      std::lock_guard<std::mutex> Lock(Mutex);
      Answered.insert(Answered.end(), Mine.begin(), Mine.end());
    });
  }
  for (std::thread& T : Threads) T.join();
  const double Took = Seconds(TClock::now() - Start);
  Running.clear();
  const auto Store = OpenScoreStore(Db);
  std::set<std::string> Names;
  for (const TScoreRow& R : Store->Best(Total + 1000)) Names.insert(R.Name);
  size_t Lost = 0;
  for (const std::string& N : Answered) Lost += Names.count(N) == 0;
  std::printf(
      "%s: %d uploads from %d clients, %zu answered, %zu rows stored, %zu lost, %d not "
      "answered; %.1f s, %.0f uploads a second\n",
      Title.c_str(), Total, Clients, Answered.size(), Names.size(), Lost, Failed.load(), Took,
      Answered.size() / Took);
}

}  // namespace

int main(int Argc, char** Argv) {
  bool Slow = false, Many = false, Postgres = true;
  int Total = 10000, Clients = 32;
  for (int I = 1; I < Argc; ++I) {
    const std::string Arg = Argv[I];
    if (Arg == "slow") {
      Slow = true;
    } else if (Arg == "uploads") {
      Many = true;
    } else if (Arg == "--no-postgres") {
      Postgres = false;
    } else if ((Arg == "--uploads" || Arg == "--clients") && I + 1 < Argc) {
      const int N = std::atoi(Argv[++I]);
      if (N < 1 || N > (Arg == "--clients" ? 200 : 1000000)) {
        std::cerr << "tallow-scores-load: bad value for " << Arg << "\n";
        return 2;
      }
      (Arg == "--uploads" ? Total : Clients) = N;
    } else {
      std::cerr << "usage: tallow-scores-load [slow] [uploads] [--uploads N] [--clients N] "
                   "[--no-postgres]\n";
      return Arg == "--help" || Arg == "-h" ? 0 : 2;
    }
  }
  if (!Slow && !Many) Slow = Many = true;
  signal(SIGPIPE, SIG_IGN);
  rlimit Files{};
  getrlimit(RLIMIT_NOFILE, &Files);
  Files.rlim_cur = std::min<rlim_t>(Files.rlim_max, 8192);
  setrlimit(RLIMIT_NOFILE, &Files);

  TTempFolder Folder;
  if (Slow) SlowClients(Folder);
  if (Many) {
    Uploads("SQLite, one server", Folder.Path + "/uploads.db", Folder, 1, Total, Clients);
    if (Postgres) {
      TPostgres Cluster(Folder.Path + "/postgres");
      if (Cluster.Url.empty()) {
        std::cout << "PostgreSQL: the scratch cluster did not start\n";
      } else {
        Uploads("PostgreSQL, one server", Cluster.NewDatabase("load_one"), Folder, 1, Total,
                Clients);
        Uploads("PostgreSQL, two servers", Cluster.NewDatabase("load_two"), Folder, 2, Total,
                Clients);
      }
    }
  }
  return 0;
}
