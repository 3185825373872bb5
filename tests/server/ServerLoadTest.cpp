// The server under load over loopback, on either store: 2,000 uploads from 8 clients, none
// lost; and the real program killed in the middle of such a load, with every upload it had
// answered found in its table afterwards. On PostgreSQL two programs share the table and
// one of them is killed while the other serves on.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "ServerFixture.h"
#include "server/ScorePages.h"

extern char** environ;

namespace {

constexpr int kClients = 8;

std::string ClientName(int Client, int Upload) {
  return "C" + std::to_string(Client) + "n" + std::to_string(Upload);
}

TOnlineConfig LocalSite(int32_t Port) {
  TOnlineConfig C;
  C.Host = "127.0.0.1";
  C.Port = Port;
  return C;
}

std::set<std::string> StoredNames(TScoreStore& Store) {
  std::set<std::string> Names;
  for (const TScoreRow& R : Store.Best(1000000)) Names.insert(R.Name);
  return Names;
}

// The real program on a table, its log in a file; killed at the end if still running.
class TServerProcess {
 public:
  TServerProcess(const std::string& Db, const std::string& LogFile) {
    const std::string Program = TB_BINARY_DIR "/bin/tallow-scores";
    std::vector<std::string> Args = {Program, "--port", "0", "--host", "127.0.0.1", "--db", Db,
                                     "--uploads-per-minute", "100000"};
    std::vector<char*> Argv;
    for (std::string& A : Args) Argv.push_back(A.data());
    Argv.push_back(nullptr);
    posix_spawn_file_actions_t Files;
    posix_spawn_file_actions_init(&Files);
    posix_spawn_file_actions_addopen(&Files, 1, LogFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    if (posix_spawn(&Pid, Program.c_str(), &Files, nullptr, Argv.data(), environ) != 0) Pid = 0;
    posix_spawn_file_actions_destroy(&Files);
    // The first line names the port it found.
    for (int Try = 0; Pid > 0 && Try < 1000 && Port == 0; ++Try) {
      std::ifstream In(LogFile);
      std::string Line;
      if (std::getline(In, Line) && Line.find("listening on 127.0.0.1:") != std::string::npos)
        Port = std::stoi(Line.substr(Line.rfind(':') + 1));
      else
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  ~TServerProcess() { Kill(); }
  // SIGKILL; true when it was running until then.
  bool Kill() {
    if (Pid <= 0) return false;
    kill(Pid, SIGKILL);
    int Status = 0;
    waitpid(Pid, &Status, 0);
    Pid = 0;
    return WIFSIGNALED(Status) && WTERMSIG(Status) == SIGKILL;
  }
  pid_t Pid = 0;
  int32_t Port = 0;
};

class ServerLoad : public testing::TestWithParam<TStoreKind> {};

}  // namespace

INSTANTIATE_TEST_SUITE_P(Stores, ServerLoad,
                         testing::Values(TStoreKind::Sqlite, TStoreKind::Postgres), StoreKindName);

TEST_P(ServerLoad, TwoThousandUploadsFromEightClientsNoneLost) {
  constexpr int kEach = 250;
  TScoreServerConfig Config;
  Config.UploadsPerMinute = 100000;
  TRunningServer S(Config, GetParam());
  const TOnlineConfig Site = LocalSite(S.Port());
  std::atomic<int> Answered{0};
  std::vector<std::thread> Clients;
  for (int C = 0; C < kClients; ++C) {
    Clients.emplace_back([&, C] {
      for (int I = 0; I < kEach; ++I)
        if (S.Get(GameUploadPath(Site, ClientName(C, I), C * 1000 + I, "_______")).Status == 200)
          ++Answered;
    });
  }
  for (std::thread& T : Clients) T.join();
  EXPECT_EQ(Answered.load(), kClients * kEach);
  EXPECT_EQ(S.Store->RowCount(), kClients * kEach);
  const std::set<std::string> Names = StoredNames(*S.Store);
  for (int C = 0; C < kClients; ++C)
    for (int I = 0; I < kEach; ++I) EXPECT_EQ(Names.count(ClientName(C, I)), 1u);
  const TReply Json = S.Get("/scores.json");
  EXPECT_EQ(Json.Status, 200);
  EXPECT_EQ(std::count(Json.Body.begin(), Json.Body.end(), '{'), 100);
}

TEST_P(ServerLoad, KilledMidLoadKeepsEveryAnsweredUpload) {
  TScratchStore Scratch(GetParam());
  ASSERT_TRUE(Scratch.Error.empty()) << Scratch.Error;
  const bool Shared = GetParam() == TStoreKind::Postgres;
  std::vector<std::unique_ptr<TServerProcess>> Servers;
  for (int I = 0; I < (Shared ? 2 : 1); ++I) {
    Servers.push_back(std::make_unique<TServerProcess>(
        Scratch.Where, Scratch.Folder.Path + "/log" + std::to_string(I) + ".txt"));
    ASSERT_GT(Servers.back()->Port, 0) << "server " << I << " did not start";
  }
  const int32_t Victim = Servers[0]->Port;

  // Each client sends to one server; on PostgreSQL half of them to the one that survives.
  std::mutex Mutex;
  std::vector<std::string> Answered;
  size_t AnsweredBySurvivor = 0;
  std::atomic<bool> Done{false};
  std::vector<std::thread> Clients;
  for (int C = 0; C < kClients; ++C) {
    const int32_t Port = Servers[static_cast<size_t>(C) % Servers.size()]->Port;
    Clients.emplace_back([&, C, Port] {
      const TOnlineConfig Site = LocalSite(Port);
      for (int I = 0; !Done && I < 100000; ++I) {
        const std::string Name = ClientName(C, I);
        if (Fetch(Port, GameUploadPath(Site, Name, I, "_")).Status == 200) {
          std::lock_guard<std::mutex> Lock(Mutex);
          Answered.push_back(Name);
          if (Port != Victim) ++AnsweredBySurvivor;
        }
      }
    });
  }
  const auto WaitFor = [&](const std::function<bool()>& Reached) {
    const auto Until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    for (;;) {
      {
        std::lock_guard<std::mutex> Lock(Mutex);
        if (Reached()) return true;
      }
      if (std::chrono::steady_clock::now() > Until) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  };
  WaitFor([&] { return Answered.size() >= 400; });
  EXPECT_TRUE(Servers[0]->Kill());
  size_t SurvivorAtKill = 0;
  {
    std::lock_guard<std::mutex> Lock(Mutex);
    SurvivorAtKill = AnsweredBySurvivor;
  }
  // The other server serves on after its partner died.
  if (Shared) {
    EXPECT_TRUE(WaitFor([&] { return AnsweredBySurvivor >= SurvivorAtKill + 100; }));
  }
  Done = true;
  for (std::thread& T : Clients) T.join();
  ASSERT_GE(Answered.size(), 400u);

  // A fresh look at the table (for SQLite, recovering the write-ahead log the killed server
  // left): every answered upload is there.
  const auto Store = Scratch.Open();
  const std::set<std::string> Names = StoredNames(*Store);
  for (const std::string& Name : Answered) EXPECT_EQ(Names.count(Name), 1u) << Name;
  // Uploads stored but not yet answered when it died may be there too; nothing else is.
  EXPECT_GE(Names.size(), Answered.size());
  EXPECT_LE(Names.size(), Answered.size() + kClients);
  if (Shared) {
    const TReply Json = Fetch(Servers[1]->Port, "/scores.json");
    EXPECT_EQ(Json.Body, ScoreTableJson(Store->Best(100)));
  }
}
