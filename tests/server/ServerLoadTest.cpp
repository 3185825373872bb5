// The server under load over loopback: 2,000 uploads from 8 clients, none lost; and the
// real program killed in the middle of such a load, with every upload it had answered
// found in its file afterwards.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "ServerFixture.h"

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

}  // namespace

TEST(ServerLoad, TwoThousandUploadsFromEightClientsNoneLost) {
  constexpr int kEach = 250;
  TScoreServerConfig Config;
  Config.UploadsPerMinute = 100000;
  TRunningServer S(Config);
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

TEST(ServerLoad, KilledMidLoadKeepsEveryAnsweredUpload) {
  TTempFolder Folder;
  const std::string Db = Folder.Path + "/scores.db";
  const std::string LogFile = Folder.Path + "/log.txt";
  const std::string Program = TB_BINARY_DIR "/bin/tallow-scores";
  std::vector<std::string> Args = {
      Program, "--port", "0", "--host", "127.0.0.1", "--db", Db, "--uploads-per-minute", "100000"};
  std::vector<char*> Argv;
  for (std::string& A : Args) Argv.push_back(A.data());
  Argv.push_back(nullptr);
  posix_spawn_file_actions_t Files;
  posix_spawn_file_actions_init(&Files);
  posix_spawn_file_actions_addopen(&Files, 1, LogFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t Pid = 0;
  ASSERT_EQ(posix_spawn(&Pid, Program.c_str(), &Files, nullptr, Argv.data(), environ), 0);
  posix_spawn_file_actions_destroy(&Files);

  // The first line names the port it found.
  int32_t Port = 0;
  for (int Try = 0; Try < 500 && Port == 0; ++Try) {
    std::ifstream In(LogFile);
    std::string Line;
    if (std::getline(In, Line) && Line.find("listening on 127.0.0.1:") != std::string::npos)
      Port = std::stoi(Line.substr(Line.rfind(':') + 1));
    else
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (Port == 0) kill(Pid, SIGKILL);
  ASSERT_GT(Port, 0);

  const TOnlineConfig Site = LocalSite(Port);
  std::mutex Mutex;
  std::vector<std::string> Answered;
  std::atomic<bool> Killed{false};
  std::vector<std::thread> Clients;
  for (int C = 0; C < kClients; ++C) {
    Clients.emplace_back([&, C] {
      for (int I = 0; !Killed && I < 100000; ++I) {
        const std::string Name = ClientName(C, I);
        if (Fetch(Port, GameUploadPath(Site, Name, I, "_")).Status == 200) {
          std::lock_guard<std::mutex> Lock(Mutex);
          Answered.push_back(Name);
        }
      }
    });
  }
  const auto Until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  for (;;) {
    {
      std::lock_guard<std::mutex> Lock(Mutex);
      if (Answered.size() >= 400) break;
    }
    if (std::chrono::steady_clock::now() > Until) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  kill(Pid, SIGKILL);
  int Status = 0;
  waitpid(Pid, &Status, 0);
  Killed = true;
  for (std::thread& T : Clients) T.join();
  EXPECT_TRUE(WIFSIGNALED(Status));
  ASSERT_GE(Answered.size(), 400u);

  TScoreStore Store(Db);  // recovers the write-ahead log the killed server left
  const std::set<std::string> Names = StoredNames(Store);
  for (const std::string& Name : Answered) EXPECT_EQ(Names.count(Name), 1u) << Name;
  // Uploads stored but not yet answered when it died may be there too; nothing else is.
  EXPECT_GE(Names.size(), Answered.size());
  EXPECT_LE(Names.size(), Answered.size() + kClients);
}
