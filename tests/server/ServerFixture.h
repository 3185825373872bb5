#pragma once
// A world table server on 127.0.0.1 at a free port, in this process, over an SQLite file in
// a folder of its own; and what the tests send it: records encoded by the game's own
// encoder, and plain GETs that report status and body.

#include <httplib.h>
#include <stdlib.h>

#include <filesystem>
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

class TRunningServer {
 public:
  explicit TRunningServer(TScoreServerConfig Config = {}) {
    Store = std::make_unique<TScoreStore>(Folder.Path + "/scores.db");
    Server = std::make_unique<TScoreServer>(*Store, std::move(Config), Log);
    if (!Server->Bind("127.0.0.1", 0)) return;
    Thread = std::thread([this] { Server->Run(); });
    while (!Server->Running()) std::this_thread::yield();
  }
  ~TRunningServer() { Stop(); }
  // Ends serving; the log may be read after this.
  void Stop() {
    Server->Stop();
    if (Thread.joinable()) Thread.join();
  }
  int32_t Port() const { return Server->Port(); }
  TReply Get(const std::string& Path) const { return Fetch(Port(), Path); }

  TTempFolder Folder;
  std::ostringstream Log;  // written only by the server's logger, read after it stops
  std::unique_ptr<TScoreStore> Store;
  std::unique_ptr<TScoreServer> Server;
  std::thread Thread;
};
