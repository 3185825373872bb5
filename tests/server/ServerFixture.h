#pragma once
// A world table server on 127.0.0.1 at a free port, in this process, over a fresh table in
// either store (an SQLite file in a folder of its own, or a database of its own in the
// tests' PostgreSQL cluster); and what the tests send it: records encoded by the game's
// own encoder, plain GETs that report status and body, and raw connections.

#include <arpa/inet.h>
#include <httplib.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <libpq-fe.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>

#include "server/ScoreServer.h"
#include "server/ScoreStore.h"
#include "services/WorldScore.h"

// A folder under the system's temporary folder, removed with everything in it at the end.
class TTempFolder {
 public:
  TTempFolder() {
    std::string Pattern = (std::filesystem::temp_directory_path() / "tallow-scores-XXXXXX");
    Path = mkdtemp(Pattern.data()) ? Pattern : std::string();
  }
  ~TTempFolder() {
    std::error_code Ignored;
    if (!Path.empty()) std::filesystem::remove_all(Path, Ignored);
  }
  std::string Path;
};

// "type=0|name=...|..." filled with "0" to a multiple of 5, as the game fills it, from any
// field texts (the game's own builder takes only what the game can send).
inline std::string FilledRecord(std::string Record) {
  while (Record.size() % 5 != 0) Record += '0';
  return Record;
}

inline std::string Encoded(const std::string& Record,
                           const std::string& Alphabet = kDefaultScoreAlphabet) {
  return FiveBitText(BitString(Record), Alphabet);
}

inline std::string UploadPath(const std::string& Inf) {
  return "/cgi/version.pl?hs&prg=Tallowbrackle&inf=" + Inf;
}

// The path and query of the game's own upload address.
inline std::string GameUploadPath(const TOnlineConfig& Online, const std::string& Name,
                                  int32_t Score, const std::string& Country) {
  const std::string Url = WorldScoreUrl(Online, Name, Score, Country);
  return Url.substr(Online.SiteUrl().size());
}

inline constexpr const char* kTablePath = "/cgi/version.pl?prg=Tallowbrackle&type=0&show";

struct TReply {
  int Status = 0;  // 0: no answer
  std::string Body;
};

inline TReply Fetch(int32_t Port, const std::string& Path) {
  httplib::Client Client("127.0.0.1", Port);
  Client.set_connection_timeout(5, 0);
  Client.set_read_timeout(10, 0);
  TReply R;
  if (auto Res = Client.Get(Path)) {
    R.Status = Res->status;
    R.Body = Res->body;
  }
  return R;
}

// The two stores every store and server test runs against.
enum class TStoreKind { Sqlite, Postgres };

inline std::string StoreKindName(const testing::TestParamInfo<TStoreKind>& Info) {
  return Info.param == TStoreKind::Sqlite ? "Sqlite" : "Postgres";
}

// The scratch cluster's address (postgresql://...), as the tests' set-up step wrote it.
inline std::string PostgresClusterUrl() {
  std::ifstream In(TB_POSTGRES_STATE "/url");
  std::string Url;
  std::getline(In, Url);
  return Url;
}

// A place for a fresh table: an SQLite file in a folder of its own, or a database of its
// own in the scratch PostgreSQL cluster, dropped at the end.
class TScratchStore {
 public:
  explicit TScratchStore(TStoreKind Kind) {
    if (Kind == TStoreKind::Sqlite) {
      Where = Folder.Path + "/scores.db";
      return;
    }
    Cluster = PostgresClusterUrl();
    if (Cluster.empty()) {
      Error = "no PostgreSQL cluster: run the tests through ctest, or start one with "
              "tests/server/postgres-cluster.sh start " TB_POSTGRES_STATE;
      return;
    }
    static std::atomic<int> Serial{0};
    Database = "t" + std::to_string(getpid()) + "_" + std::to_string(Serial++) + "_" +
               std::to_string(std::chrono::steady_clock::now().time_since_epoch().count() % 100000);
    if (!Admin("CREATE DATABASE " + Database)) {
      Database.clear();
      return;
    }
    Where = Cluster.substr(0, Cluster.rfind('/') + 1) + Database;
  }
  ~TScratchStore() {
    if (!Database.empty()) Admin("DROP DATABASE IF EXISTS " + Database + " WITH (FORCE)");
  }
  TScratchStore(const TScratchStore&) = delete;
  TScratchStore& operator=(const TScratchStore&) = delete;

  // Throws TScoreStoreError, which fails the test with its reason.
  std::unique_ptr<TScoreStore> Open() const {
    if (!Error.empty()) throw TScoreStoreError(Error);
    return OpenScoreStore(Where);
  }

  TTempFolder Folder;
  std::string Where;  // the file or the database's address
  std::string Error;

 private:
  bool Admin(const std::string& Sql) {
    PGconn* C = PQconnectdb(Cluster.c_str());
    bool Done = PQstatus(C) == CONNECTION_OK;
    if (Done) {
      PGresult* R = PQexec(C, Sql.c_str());
      Done = PQresultStatus(R) == PGRES_COMMAND_OK;
      PQclear(R);
    }
    if (!Done) Error = Sql + ": " + PQerrorMessage(C);
    PQfinish(C);
    return Done;
  }
  std::string Cluster;
  std::string Database;
};

class TRunningServer {
 public:
  explicit TRunningServer(TScoreServerConfig Config = {}, TStoreKind Kind = TStoreKind::Sqlite)
      : Scratch(std::make_unique<TScratchStore>(Kind)) {
    Start(std::move(Config), Scratch->Open());
  }
  // Another server on a table that exists already, as a second process would be.
  TRunningServer(TScoreServerConfig Config, const std::string& Where) {
    Start(std::move(Config), OpenScoreStore(Where));
  }
  ~TRunningServer() { Stop(); }
  // Ends serving; the log may be read after this.
  void Stop() {
    if (Server) Server->Stop();
    if (Thread.joinable()) Thread.join();
  }
  int32_t Port() const { return Server->Port(); }
  TReply Get(const std::string& Path) const { return Fetch(Port(), Path); }
  const std::string& Where() const { return Scratch->Where; }

  std::unique_ptr<TScratchStore> Scratch;
  std::ostringstream Log;  // written only by the server's logger, read after it stops
  std::unique_ptr<TScoreStore> Store;
  std::unique_ptr<TScoreServer> Server;
  std::thread Thread;

 private:
  void Start(TScoreServerConfig Config, std::unique_ptr<TScoreStore> Opened) {
    // The server closes a connection that sends past a refusal; the tests' client, still
    // sending, must see that as an error and not die of the broken pipe.
    signal(SIGPIPE, SIG_IGN);
    Store = std::move(Opened);
    Server = std::make_unique<TScoreServer>(*Store, std::move(Config), Log);
    if (!Server->Bind("127.0.0.1", 0)) return;
    Thread = std::thread([this] { Server->Run(); });
    while (!Server->Running()) std::this_thread::yield();
  }
};

// A plain TCP connection to the server from a chosen loopback address, for what an HTTP
// client library will not do: send half a request, trickle it, or hold it idle.
class TRawConnection {
 public:
  TRawConnection(int32_t Port, const std::string& From = "127.0.0.1") {
    Fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in Local{};
    Local.sin_family = AF_INET;
    inet_pton(AF_INET, From.c_str(), &Local.sin_addr);
    sockaddr_in Server{};
    Server.sin_family = AF_INET;
    Server.sin_port = htons(static_cast<uint16_t>(Port));
    inet_pton(AF_INET, "127.0.0.1", &Server.sin_addr);
    if (Fd < 0 || bind(Fd, reinterpret_cast<sockaddr*>(&Local), sizeof Local) != 0 ||
        connect(Fd, reinterpret_cast<sockaddr*>(&Server), sizeof Server) != 0) {
      if (Fd >= 0) close(Fd);
      Fd = -1;
    }
  }
  ~TRawConnection() {
    if (Fd >= 0) close(Fd);
  }
  TRawConnection(const TRawConnection&) = delete;
  TRawConnection& operator=(const TRawConnection&) = delete;

  bool Send(const std::string& Bytes) const {
    return Fd >= 0 && send(Fd, Bytes.data(), Bytes.size(), MSG_NOSIGNAL) ==
                          static_cast<ssize_t>(Bytes.size());
  }
  // What arrives within TimeoutMs, until Until is in it or the server closes.
  std::string Read(int TimeoutMs, const std::string& Until = "") {
    const auto End = std::chrono::steady_clock::now() + std::chrono::milliseconds(TimeoutMs);
    std::string Got;
    while (Fd >= 0 && (Until.empty() || Got.find(Until) == std::string::npos)) {
      const auto Left = std::chrono::duration_cast<std::chrono::milliseconds>(
                            End - std::chrono::steady_clock::now())
                            .count();
      if (Left <= 0) break;
      pollfd P{Fd, POLLIN, 0};
      if (poll(&P, 1, static_cast<int>(Left)) <= 0) break;
      char Buffer[4096];
      const ssize_t N = recv(Fd, Buffer, sizeof Buffer, 0);
      if (N <= 0) {
        ClosedByServer = true;
        break;
      }
      Got.append(Buffer, static_cast<size_t>(N));
    }
    return Got;
  }
  // Whether the server closes the connection within TimeoutMs.
  bool Closed(int TimeoutMs) {
    Read(TimeoutMs);
    return ClosedByServer;
  }

  int Fd = -1;
  bool ClosedByServer = false;
};
