#pragma once
// The HTTP side of the world table, on the event-driven server of WebServer.h:
//   GET /cgi/version.pl?hs&prg=Tallowbrackle&inf=TEXT       the game's upload
//   GET /cgi/version.pl?prg=Tallowbrackle&type=0&show       the table as a web page
//   GET /scores.json                                        the table as JSON
// An upload is answered 200 when stored; 400 when it is not the game's record, 403 when
// its key letter is wrong, 414 when it is longer than any the game sends, 429 when its
// address has used up its uploads for the minute, 503 when the file cannot take it.
// Requests are bounded as WebServer.h says: 8 KB for the request target, 16 KB for the
// request line and headers, 1 KB of body; connections are kept alive between requests.
// One line per request goes to the log.

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>

#include "server/WebServer.h"
#include "server/ScoreRecord.h"
#include "server/ScoreStore.h"

struct TScoreServerConfig {
  std::string Alphabet = kDefaultScoreAlphabet;
  std::string Key = kDefaultScoreKey;
  int32_t UploadsPerMinute = 10;  // per address
  int32_t TableSize = 100;
  // Seconds since 1970 for the stored time of an upload.
  std::function<int64_t()> WallClock;
  // Milliseconds since 1970 for the upload limit, which every server on one store shares.
  std::function<int64_t()> ClockMs;
  TWebLimits Http;
};

class TScoreServer {
 public:
  TScoreServer(TScoreStore& Store, TScoreServerConfig Config, std::ostream& Log);
  ~TScoreServer();
  TScoreServer(const TScoreServer&) = delete;
  TScoreServer& operator=(const TScoreServer&) = delete;

  // Binds Host:Port (Port 0: any free port); false when it cannot.
  bool Bind(const std::string& Host, int32_t Port);
  int32_t Port() const { return FHttp->Port(); }
  // Serves until Stop; call after Bind. False when serving could not start.
  bool Run();
  // From any thread.
  void Stop();
  bool Running() const;

 private:
  TWebResponse Handle(const TWebRequest& Request);
  static size_t MaxBody(const std::string& Method, const std::string& Path);
  void Log(const TWebLogEntry& Entry);
  struct TAnswer {
    int Status;
    std::string Body;  // one line: "OK" or why it was refused
  };
  TAnswer Upload(const std::string& Address, const std::string& Encoded);

  TScoreStore& FStore;
  TScoreServerConfig FConfig;
  std::ostream& FLog;
  std::mutex FLogMutex;
  std::unique_ptr<TWebServer> FHttp;
};
