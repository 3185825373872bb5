// tallow-scores: the world high-score server.
//   tallow-scores [--port N] [--db FILE|postgresql://...] [--host ADDR] [--config Online.ini]
//                 [--key LETTER] [--alphabet TABLE] [--uploads-per-minute N]
//                 [--connections-per-address N] [--max-connections N] [--threads N]
// Ctrl+C or SIGTERM ends it cleanly; every answered upload is already on the disk.
#include <pthread.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <thread>

#include "server/ScoreServer.h"
#include "services/OnlineConfig.h"

namespace {

void Usage(std::ostream& Out) {
  Out << "usage: tallow-scores [--port N] [--db FILE] [--host ADDR] [--config FILE]\n"
         "                     [--key LETTER] [--alphabet TABLE] [--uploads-per-minute N]\n"
         "                     [--connections-per-address N] [--max-connections N] [--threads N]\n"
         "  --port N                port to listen on (default 8080)\n"
         "  --db FILE|URL           SQLite file of the table (default scores.db), or a\n"
         "                          PostgreSQL database, postgresql://USER@HOST/DB, that\n"
         "                          several servers may share\n"
         "  --host ADDR             address to listen on (default 0.0.0.0, every address)\n"
         "  --config FILE           read key and alphabet from the game's Online.ini\n"
         "  --key LETTER            the key letter the game sends (default T)\n"
         "  --alphabet TABLE        the game's 32-character code table\n"
         "  --uploads-per-minute N  uploads one address may make per minute (default 10)\n"
         "  --connections-per-address N\n"
         "                          connections one address may hold open (default 128)\n"
         "  --max-connections N     connections open at once in all (default 4096)\n"
         "  --threads N             serving threads, each waiting on many connections\n"
         "                          (default 4)\n";
}

bool ParseNumber(const std::string& Text, int32_t Low, int32_t High, int32_t& Value) {
  if (Text.empty() || Text.size() > 9) return false;
  for (char C : Text)
    if (C < '0' || C > '9') return false;
  const long V = std::stol(Text);
  if (V < Low || V > High) return false;
  Value = static_cast<int32_t>(V);
  return true;
}

}  // namespace

int main(int Argc, char** Argv) {
  int32_t Port = 8080;
  std::string Db = "scores.db", Host = "0.0.0.0";
  TScoreServerConfig Config;
  for (int I = 1; I < Argc; ++I) {
    const std::string Arg = Argv[I];
    if (Arg == "--help" || Arg == "-h") {
      Usage(std::cout);
      return 0;
    }
    if (I + 1 >= Argc) {
      std::cerr << "tallow-scores: " << Arg << " needs a value\n";
      Usage(std::cerr);
      return 2;
    }
    const std::string Value = Argv[++I];
    bool Ok = true;
    if (Arg == "--port") {
      Ok = ParseNumber(Value, 0, 65535, Port);
    } else if (Arg == "--db") {
      Db = Value;
    } else if (Arg == "--host") {
      Host = Value;
    } else if (Arg == "--config") {
      std::ifstream Probe(Value);
      if (!Probe) {
        std::cerr << "tallow-scores: cannot read " << Value << "\n";
        return 2;
      }
      const TOnlineConfig Online = LoadOnlineConfig(Value, std::cerr);
      Config.Key = Online.Key;
      Config.Alphabet = Online.Alphabet;
    } else if (Arg == "--key") {
      Ok = ValidScoreKey(Value);
      Config.Key = Value;
    } else if (Arg == "--alphabet") {
      Ok = ValidScoreAlphabet(Value);
      Config.Alphabet = Value;
    } else if (Arg == "--uploads-per-minute") {
      Ok = ParseNumber(Value, 1, 100000000, Config.UploadsPerMinute);
    } else if (Arg == "--connections-per-address" || Arg == "--max-connections" ||
               Arg == "--threads") {
      int32_t N = 0;
      Ok = ParseNumber(Value, 1, Arg == "--threads" ? 64 : 1000000, N);
      (Arg == "--threads"               ? Config.Http.Threads
       : Arg == "--max-connections"     ? Config.Http.MaxConnections
                                        : Config.Http.ConnectionsPerAddress) = static_cast<uint32_t>(N);
    } else {
      std::cerr << "tallow-scores: unknown option " << Arg << "\n";
      Usage(std::cerr);
      return 2;
    }
    if (!Ok) {
      std::cerr << "tallow-scores: bad value for " << Arg << ": " << Value << "\n";
      return 2;
    }
  }

  // Signals are taken by one thread that stops the server, so none lands in a worker.
  sigset_t Stopping;
  sigemptyset(&Stopping);
  sigaddset(&Stopping, SIGINT);
  sigaddset(&Stopping, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &Stopping, nullptr);
  signal(SIGPIPE, SIG_IGN);

  // Each connection holds a descriptor: room for all of them, as far as the system allows.
  rlimit Files{};
  if (getrlimit(RLIMIT_NOFILE, &Files) == 0) {
    const rlim_t Wanted = static_cast<rlim_t>(Config.Http.MaxConnections) + 64;
    if (Files.rlim_cur < Wanted) {
      Files.rlim_cur = Files.rlim_max == RLIM_INFINITY ? Wanted : std::min(Wanted, Files.rlim_max);
      setrlimit(RLIMIT_NOFILE, &Files);
      getrlimit(RLIMIT_NOFILE, &Files);
    }
    if (Files.rlim_cur < Wanted)
      std::cerr << "tallow-scores: room for " << Files.rlim_cur << " open files only; "
                << "fewer connections than --max-connections will be taken\n";
  }

  try {
    const std::unique_ptr<TScoreStore> Store = OpenScoreStore(Db);
    TScoreServer Server(*Store, Config, std::cout);
    if (!Server.Bind(Host, Port)) {
      std::cerr << "tallow-scores: cannot listen on " << Host << ":" << Port << "\n";
      return 1;
    }
    std::cout << "tallow-scores: table " << Store->Describe() << ", listening on " << Host << ":" << Server.Port()
              << std::endl;
    std::thread Waiter([&Server, Stopping] {
      int Signal = 0;
      sigwait(&Stopping, &Signal);
      Server.Stop();
    });
    const bool Served = Server.Run();
    // Run also ends when the server fails; wake the waiter so it can be joined. Sent to
    // the process, the signal stays pending and harmless if the waiter already ended.
    kill(getpid(), SIGTERM);
    Waiter.join();
    if (!Served) {
      std::cerr << "tallow-scores: the serving threads could not start\n";
      return 1;
    }
  } catch (const TScoreStoreError& E) {
    std::cerr << "tallow-scores: " << E.what() << "\n";
    return 1;
  }
  return 0;
}
