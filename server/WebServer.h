#pragma once
// The world table's HTTP serving, on libmicrohttpd in its epoll mode: a few threads each
// wait on many connections at once, so a connection that sends nothing or one byte a
// second holds no thread, only a slot of its address's share and a bounded buffer.
//
// The bounds, each answered or enforced here before a handler sees the request:
//   - the request target at most MaxTarget bytes (414); a request line too long for the
//     connection's buffer is refused by the library itself (414);
//   - the request line and headers at most MaxHeaderBytes (431);
//   - a body at most what MaxBody allows for the method and path (413);
//   - at most ConnectionsPerAddress connections from one address, MaxConnections in all;
//   - a connection quiet for IdleTimeoutS seconds is closed, and one that has not sent a
//     whole request line and headers RequestDeadlineMs after it opened (or after its last
//     answer) is cut off, so a trickling client cannot keep a slot for hours.
// Connections are kept alive between requests. Every request that reached the server ends
// in exactly one call of OnLog, answered or not.

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

struct MHD_Daemon;
struct MHD_Connection;

struct TWebRequest {
  std::string Method;
  std::string Target;   // as sent: the path and the query, nothing unescaped
  std::string Path;     // the target up to its '?'
  std::string Address;  // the peer's numeric address
  std::vector<std::pair<std::string, std::string>> Headers;
  std::string Body;
  // The value of the first header of that name (any case), or nullptr.
  const std::string* Header(const std::string& Name) const;
};

struct TWebResponse {
  int Status = 200;
  std::string ContentType = "text/plain; charset=utf-8";
  std::string Body;
  std::vector<std::pair<std::string, std::string>> Headers;
};

struct TWebLogEntry {
  std::string Address;  // empty when unknown
  std::string Method;   // empty when no whole request line came
  std::string Target;
  int Status = 0;       // 0: not answered
  std::string Reason;   // for refusals and requests that got no answer
};

struct TWebLimits {
  size_t MaxTarget = 8 * 1024;
  size_t MaxHeaderBytes = 16 * 1024;
  uint32_t IdleTimeoutS = 10;
  int64_t RequestDeadlineMs = 30000;
  uint32_t ConnectionsPerAddress = 128;
  uint32_t MaxConnections = 4096;
  uint32_t Threads = 4;
};

class TWebServer {
 public:
  using THandler = std::function<TWebResponse(const TWebRequest&)>;
  // The largest body a request of that method and path may carry.
  using TBodyLimit = std::function<size_t(const std::string& Method, const std::string& Path)>;
  using TLog = std::function<void(const TWebLogEntry&)>;

  TWebServer(TWebLimits Limits, THandler Handler, TBodyLimit MaxBody, TLog OnLog);
  ~TWebServer();
  TWebServer(const TWebServer&) = delete;
  TWebServer& operator=(const TWebServer&) = delete;

  // Binds and listens on Host:Port (Port 0: any free port); false when it cannot.
  bool Bind(const std::string& Host, int32_t Port);
  int32_t Port() const { return FPort; }
  // Serves until Stop; false at once when the serving threads cannot start.
  bool Run();
  // From any thread, also before Run.
  void Stop();
  bool Running() const { return FRunning; }

  struct TConnection;

 private:
  friend struct TWebCallbacks;  // the library's callbacks, in the source file
  void Sweep();

  TWebLimits FLimits;
  THandler FHandler;
  TBodyLimit FMaxBody;
  TLog FOnLog;
  int FListen = -1;
  int32_t FPort = 0;
  MHD_Daemon* FDaemon = nullptr;
  std::atomic<bool> FRunning{false};
  std::mutex FRunMutex;
  std::condition_variable FRunWake;
  bool FStopping = false;
  // Every open connection, for the sweep of those past their deadline.
  std::mutex FConnectionsMutex;
  std::unordered_set<TConnection*> FConnections;
};
