#include "server/ScoreServer.h"

#include <httplib.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <optional>
#include <utility>
#include <vector>

#include "server/ScorePages.h"

namespace {

constexpr const char* kScoreScript = "/cgi/version.pl";
constexpr const char* kProgramName = "Tallowbrackle";
constexpr size_t kMaxBody = 1024;
// Everything one connection may send: the request line, the headers and the body.
constexpr size_t kMaxRequestBytes = 16 * 1024;
// Each wait for the client, and the whole request: a client that trickles its request in
// cannot hold a worker longer than this.
constexpr int kTimeoutMs = 5000;
constexpr int64_t kRequestDeadlineMs = 10000;
constexpr size_t kLoggedTarget = 160;
constexpr size_t kWorkerThreads = 16;

int HexValue(char C) {
  if (C >= '0' && C <= '9') return C - '0';
  if (C >= 'A' && C <= 'F') return C - 'A' + 10;
  if (C >= 'a' && C <= 'f') return C - 'a' + 10;
  return -1;
}

// %XX escapes undone; nothing when an escape is broken. A '+' stays a '+': the game
// escapes every character outside the address-safe set.
std::optional<std::string> PercentDecoded(const std::string& Text) {
  std::string Out;
  for (size_t I = 0; I < Text.size(); ++I) {
    if (Text[I] != '%') {
      Out += Text[I];
      continue;
    }
    if (I + 2 >= Text.size()) return {};
    const int Hi = HexValue(Text[I + 1]), Lo = HexValue(Text[I + 2]);
    if (Hi < 0 || Lo < 0) return {};
    Out += static_cast<char>(Hi * 16 + Lo);
    I += 2;
  }
  return Out;
}

// The query of the raw request target, split at '&' into names and values (a bare word has
// no value). The library's own parameter map merges repeated names and drops a value's
// text after a second '=', so the script reads the target itself.
struct TQueryItem {
  std::string Name;
  std::optional<std::string> Value;
};

std::optional<std::vector<TQueryItem>> ParseQuery(const std::string& Target) {
  std::vector<TQueryItem> Items;
  const size_t Mark = Target.find('?');
  if (Mark == std::string::npos) return Items;
  const std::string Query = Target.substr(Mark + 1);
  size_t Start = 0;
  while (Start <= Query.size()) {
    size_t End = Query.find('&', Start);
    if (End == std::string::npos) End = Query.size();
    const std::string Part = Query.substr(Start, End - Start);
    if (!Part.empty()) {
      TQueryItem Item;
      const size_t Eq = Part.find('=');
      auto Name = PercentDecoded(Part.substr(0, Eq));
      if (!Name) return {};
      Item.Name = *Name;
      if (Eq != std::string::npos) {
        Item.Value = PercentDecoded(Part.substr(Eq + 1));
        if (!Item.Value) return {};
      }
      Items.push_back(std::move(Item));
    }
    Start = End + 1;
  }
  return Items;
}

// How often Name occurs, and its last value.
size_t Count(const std::vector<TQueryItem>& Items, const std::string& Name,
             std::optional<std::string>* Value = nullptr) {
  size_t N = 0;
  for (const TQueryItem& I : Items) {
    if (I.Name != Name) continue;
    ++N;
    if (Value) *Value = I.Value;
  }
  return N;
}

// Printable ASCII only, so a request cannot write control characters or false lines into
// the log; long targets are cut.
std::string Loggable(const std::string& Text, size_t Max) {
  std::string Out;
  for (size_t I = 0; I < Text.size() && I < Max; ++I) {
    const auto C = static_cast<unsigned char>(Text[I]);
    Out += C >= 0x20 && C < 0x7F ? static_cast<char>(C) : '?';
  }
  if (Text.size() > Max) Out += "...(" + std::to_string(Text.size()) + " bytes)";
  return Out;
}

std::string LogTime() {
  const std::time_t T = std::time(nullptr);
  std::tm Utc{};
  gmtime_r(&T, &Utc);
  char Buffer[32];
  std::strftime(Buffer, sizeof Buffer, "%Y-%m-%dT%H:%M:%SZ", &Utc);
  return Buffer;
}

void Answer(httplib::Response& Res, int Status, const std::string& Body) {
  Res.status = Status;
  Res.set_content(Body + "\n", "text/plain; charset=utf-8");
}

// The library reads a request line whole before it checks its length, however long it is.
// This stream hands it at most kMaxRequestBytes of a connection and then reports the
// connection broken, so a client cannot fill the server's memory with one endless line.
class TBoundedStream final : public httplib::Stream {
 public:
  explicit TBoundedStream(int Sock)
      : FSock(Sock),
        FDeadline(std::chrono::steady_clock::now() +
                  std::chrono::milliseconds(kRequestDeadlineMs)) {}
  bool is_readable() const override { return Wait(POLLIN); }
  bool is_writable() const override { return Wait(POLLOUT); }
  ssize_t read(char* Ptr, size_t Size) override {
    if (FRead >= kMaxRequestBytes) {
      FExceeded = true;
      return -1;
    }
    if (!Wait(POLLIN)) return -1;
    const ssize_t N = recv(FSock, Ptr, std::min(Size, kMaxRequestBytes - FRead), 0);
    if (N > 0) FRead += static_cast<size_t>(N);
    return N;
  }
  ssize_t write(const char* Ptr, size_t Size) override {
    if (!Wait(POLLOUT)) return -1;
    return send(FSock, Ptr, Size, MSG_NOSIGNAL);
  }
  void get_remote_ip_and_port(std::string& Ip, int& Port) const override {
    Address(getpeername, Ip, Port);
  }
  void get_local_ip_and_port(std::string& Ip, int& Port) const override {
    Address(getsockname, Ip, Port);
  }
  socket_t socket() const override { return FSock; }
  bool Exceeded() const { return FExceeded; }
  size_t BytesRead() const { return FRead; }

 private:
  bool Wait(short Events) const {
    const auto Left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          FDeadline - std::chrono::steady_clock::now())
                          .count();
    if (Left <= 0) return false;
    pollfd P{FSock, Events, 0};
    const int Ms = static_cast<int>(std::min<int64_t>(Left, kTimeoutMs));
    return poll(&P, 1, Ms) > 0 && (P.revents & (Events | POLLHUP | POLLERR));
  }
  template <class TName>
  void Address(TName Name, std::string& Ip, int& Port) const {
    sockaddr_storage A{};
    socklen_t Len = sizeof A;
    Ip.clear();
    Port = -1;
    if (Name(FSock, reinterpret_cast<sockaddr*>(&A), &Len) != 0) return;
    char Host[NI_MAXHOST];
    char Serv[NI_MAXSERV];
    if (getnameinfo(reinterpret_cast<sockaddr*>(&A), Len, Host, sizeof Host, Serv, sizeof Serv,
                    NI_NUMERICHOST | NI_NUMERICSERV) != 0)
      return;
    Ip = Host;
    Port = std::atoi(Serv);
  }
  int FSock;
  std::chrono::steady_clock::time_point FDeadline;
  size_t FRead = 0;
  bool FExceeded = false;
};

}  // namespace

// One request per connection, through the bounded stream; a request that runs past the
// bound gets a 414 here, since the library has no answer to a broken stream.
class TGuardedHttpServer final : public httplib::Server {
 public:
  static std::string Peer(const httplib::Stream& Stream) {
    std::string Ip;
    int Port;
    Stream.get_remote_ip_and_port(Ip, Port);
    return Ip;
  }
  // Logs a request that got no answer from the library: Address and what happened.
  std::function<void(const std::string& Address, const std::string& What)> OnBroken;

 private:
  bool process_and_close_socket(socket_t Sock) override {
    TBoundedStream Stream(Sock);
    bool Closed = false;
    const bool Ok = process_request(Stream, true, Closed, nullptr);
    if (Stream.Exceeded()) {
      static const std::string kTooLong =
          "HTTP/1.1 414 URI Too Long\r\nContent-Type: text/plain; charset=utf-8\r\n"
          "Content-Length: 22\r\nConnection: close\r\n\r\nrequest line too long\n";
      Stream.write(kTooLong.data(), kTooLong.size());
      if (OnBroken) OnBroken(Peer(Stream), "414 request line too long");
      // Read on a little after answering, so that the client, still sending, gets the
      // answer rather than a reset.
      shutdown(Sock, SHUT_WR);
      char Sink[4096];
      for (size_t Drained = 0; Drained < 1024 * 1024;) {
        pollfd P{Sock, POLLIN, 0};
        if (poll(&P, 1, 1000) <= 0) break;
        const ssize_t N = recv(Sock, Sink, sizeof Sink, 0);
        if (N <= 0) break;
        Drained += static_cast<size_t>(N);
      }
    } else if (!Ok && Stream.BytesRead() > 0 && OnBroken) {
      OnBroken(Peer(Stream), "- incomplete request or lost connection");
    }
    shutdown(Sock, SHUT_RDWR);
    close(Sock);
    return Ok;
  }
};

TScoreServer::TScoreServer(TScoreStore& Store, TScoreServerConfig Config, std::ostream& Log)
    : FStore(Store),
      FConfig(std::move(Config)),
      FLog(Log),
      FLimit(FConfig.UploadsPerMinute),
      FHttp(std::make_unique<TGuardedHttpServer>()) {
  if (!FConfig.WallClock)
    FConfig.WallClock = [] {
      return static_cast<int64_t>(std::chrono::duration_cast<std::chrono::seconds>(
                                      std::chrono::system_clock::now().time_since_epoch())
                                      .count());
    };
  if (!FConfig.SteadyClockMs)
    FConfig.SteadyClockMs = [] {
      return static_cast<int64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                      std::chrono::steady_clock::now().time_since_epoch())
                                      .count());
    };

  FHttp->OnBroken = [this](const std::string& Address, const std::string& What) {
    std::lock_guard<std::mutex> Lock(FLogMutex);
    FLog << LogTime() << " " << (Address.empty() ? "-" : Loggable(Address, 64)) << " - - " << What
         << std::endl;
  };
  httplib::Server& H = *FHttp;
  H.new_task_queue = [] { return new httplib::ThreadPool(kWorkerThreads); };
  H.set_payload_max_length(kMaxBody);
  H.set_read_timeout(5, 0);
  H.set_write_timeout(5, 0);
  H.set_keep_alive_timeout(5);

  H.Get(kScoreScript, [this](const httplib::Request& Req, httplib::Response& Res) {
    const auto Items = ParseQuery(Req.target);
    if (!Items) return Answer(Res, 400, "bad escape in the query");
    std::optional<std::string> Prg, Type, Inf, Hs, Show;
    const bool Ours = Count(*Items, "prg", &Prg) == 1 && Prg == std::string(kProgramName);
    if (!Ours) return Answer(Res, 400, "unknown program");
    if (Count(*Items, "hs", &Hs) > 0) {
      if (Count(*Items, "hs", &Hs) != 1 || Hs || Count(*Items, "inf", &Inf) != 1 || !Inf)
        return Answer(Res, 400, "an upload needs hs, prg and inf once each");
      const TAnswer A = Upload(Req.remote_addr, *Inf);
      return Answer(Res, A.Status, A.Body);
    }
    if (Count(*Items, "show", &Show) == 1 && Count(*Items, "type", &Type) == 1 &&
        Type == std::string("0")) {
      Res.set_content(ScoreTablePage(FStore.Best(FConfig.TableSize)), "text/html; charset=utf-8");
      return;
    }
    Answer(Res, 400, "unknown request");
  });

  H.Get("/scores.json", [this](const httplib::Request&, httplib::Response& Res) {
    Res.set_content(ScoreTableJson(FStore.Best(FConfig.TableSize)),
                    "application/json; charset=utf-8");
  });

  H.set_error_handler([](const httplib::Request&, httplib::Response& Res) {
    if (!Res.body.empty()) return;
    switch (Res.status) {
      case 404:
        return Answer(Res, 404, "not found");
      case 413:
        return Answer(Res, 413, "body too large");
      case 414:
        return Answer(Res, 414, "request line too long");
      default:
        return Answer(Res, Res.status, "refused");
    }
  });

  H.set_logger([this](const httplib::Request& Req, const httplib::Response& Res) {
    const auto Field = [](const std::string& Text, size_t Max) {
      return Text.empty() ? std::string("-") : Loggable(Text, Max);
    };
    std::string Line = LogTime() + " " + Field(Req.remote_addr, 64) + " " + Field(Req.method, 16) +
                       " " + Field(Req.target, kLoggedTarget) + " " + std::to_string(Res.status);
    // A refusal's reason is its one-line plain-text body.
    if (Res.status >= 400 && Res.body.size() < 200)
      Line += " " + Loggable(Res.body.substr(0, Res.body.find('\n')), 200);
    std::lock_guard<std::mutex> Lock(FLogMutex);
    FLog << Line << std::endl;
  });
}

TScoreServer::~TScoreServer() {
  Stop();
}

bool TScoreServer::Bind(const std::string& Host, int32_t Port) {
  if (Port == 0) {
    FPort = FHttp->bind_to_any_port(Host);
    return FPort > 0;
  }
  if (!FHttp->bind_to_port(Host, Port)) return false;
  FPort = Port;
  return true;
}

void TScoreServer::Run() {
  FHttp->listen_after_bind();
}

void TScoreServer::Stop() {
  FHttp->stop();
}

bool TScoreServer::Running() const {
  return FHttp->is_running();
}

TScoreServer::TAnswer TScoreServer::Upload(const std::string& Address, const std::string& Encoded) {
  // Counted before anything else, so that a flood of bad records is held back too.
  if (!FLimit.Allow(Address, FConfig.SteadyClockMs()))
    return {429, "too many uploads from this address; try again in a minute"};
  if (Encoded.size() > kMaxEncodedLength) return {414, "record too long"};
  const auto Record = DecodeFiveBitText(Encoded, FConfig.Alphabet);
  if (!Record) return {400, "record not in the code table"};
  const TRecordCheck Check = CheckScoreRecord(*Record, FConfig.Key);
  if (Check.Error == TRecordError::WrongKey) return {403, Check.Reason};
  if (Check.Error != TRecordError::None) return {400, Check.Reason};
  const TScoreRecord& R = Check.Record;
  if (!FStore.Add(R.Name, R.Score, R.Country, FConfig.WallClock()))
    return {503, "the table cannot be written now"};
  return {200, "OK"};
}
