#include "server/WebServer.h"

#include <microhttpd.h>
#include <netdb.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <strings.h>

#include <chrono>

namespace {

int64_t NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

std::string NumericAddress(const sockaddr* A) {
  if (!A) return {};
  const socklen_t Len =
      A->sa_family == AF_INET6 ? sizeof(sockaddr_in6) : static_cast<socklen_t>(sizeof(sockaddr_in));
  char Host[NI_MAXHOST];
  if (getnameinfo(A, Len, Host, sizeof Host, nullptr, 0, NI_NUMERICHOST) != 0) return {};
  return Host;
}

}  // namespace

// One per open connection: who it is, and until when it may take to send a whole request.
struct TWebServer::TConnection {
  int Fd = -1;
  std::string Address;
  int64_t DeadlineMs = 0;  // 0 while a request is being handled or answered
  bool Cut = false;        // shut down by the sweep
  bool SawRequest = false;
};

// One per request, from its whole request line to its end.
struct TWebRequestState {
  TWebServer::TConnection* Connection = nullptr;
  TWebRequest Request;
  size_t MaxBody = 0;
  bool HeadersSeen = false;
  bool BodyTooLarge = false;
  int Status = 0;
  std::string Reason;
};

struct TWebCallbacks {
  static TWebServer& Server(void* Self) { return *static_cast<TWebServer*>(Self); }

  static TWebServer::TConnection* ConnectionOf(MHD_Connection* C) {
    const MHD_ConnectionInfo* Info =
        MHD_get_connection_info(C, MHD_CONNECTION_INFO_SOCKET_CONTEXT);
    return Info ? static_cast<TWebServer::TConnection*>(Info->socket_context) : nullptr;
  }

  static void OnConnection(void* Self, MHD_Connection* C, void** Context,
                           MHD_ConnectionNotificationCode What) {
    TWebServer& S = Server(Self);
    if (What == MHD_CONNECTION_NOTIFY_STARTED) {
      auto* Conn = new TWebServer::TConnection;
      if (const MHD_ConnectionInfo* Fd = MHD_get_connection_info(C, MHD_CONNECTION_INFO_CONNECTION_FD))
        Conn->Fd = Fd->connect_fd;
      if (const MHD_ConnectionInfo* A = MHD_get_connection_info(C, MHD_CONNECTION_INFO_CLIENT_ADDRESS))
        Conn->Address = NumericAddress(A->client_addr);
      Conn->DeadlineMs = NowMs() + S.FLimits.RequestDeadlineMs;
      std::lock_guard<std::mutex> Lock(S.FConnectionsMutex);
      S.FConnections.insert(Conn);
      *Context = Conn;
      return;
    }
    auto* Conn = static_cast<TWebServer::TConnection*>(*Context);
    if (!Conn) return;
    bool Cut;
    {
      std::lock_guard<std::mutex> Lock(S.FConnectionsMutex);
      S.FConnections.erase(Conn);
      Cut = Conn->Cut;
    }
    // A connection closed between requests is no request, unless it was cut off by its
    // deadline, or closed by the library before any whole request line with its bytes still
    // coming (a line longer than the buffer, refused 414): those are logged.
    int Unread = 0;
    if (Cut) {
      S.FOnLog({Conn->Address, "", "", 0, "no whole request within the deadline; cut off"});
    } else if (!Conn->SawRequest && Conn->Fd >= 0 && ioctl(Conn->Fd, FIONREAD, &Unread) == 0 &&
               Unread > 0) {
      S.FOnLog({Conn->Address, "", "", 414, "request line too long"});
    }
    delete Conn;
    *Context = nullptr;
  }

  static void* OnRequestLine(void*, const char* Uri, MHD_Connection* C) {
    auto* State = new TWebRequestState;
    State->Connection = ConnectionOf(C);
    State->Request.Target = Uri ? Uri : "";
    State->Request.Path = State->Request.Target.substr(0, State->Request.Target.find('?'));
    if (State->Connection) {
      State->Request.Address = State->Connection->Address;
      State->Connection->SawRequest = true;
    }
    return State;
  }

  static MHD_Result OnHeader(void* Into, MHD_ValueKind, const char* Name, const char* Value) {
    static_cast<TWebRequest*>(Into)->Headers.emplace_back(Name ? Name : "", Value ? Value : "");
    return MHD_YES;
  }

  static MHD_Result OnRequest(void* Self, MHD_Connection* C, const char*, const char* Method,
                              const char*, const char* Data, size_t* DataSize, void** Context) {
    TWebServer& S = Server(Self);
    auto* State = static_cast<TWebRequestState*>(*Context);
    if (!State) return MHD_NO;
    TWebRequest& R = State->Request;
    if (!State->HeadersSeen) {
      State->HeadersSeen = true;
      R.Method = Method ? Method : "";
      if (State->Connection) {
        std::lock_guard<std::mutex> Lock(S.FConnectionsMutex);
        State->Connection->DeadlineMs = 0;
      }
      MHD_get_connection_values(C, MHD_HEADER_KIND, OnHeader, &R);
      if (R.Target.size() > S.FLimits.MaxTarget) {
        Answer(S, C, *State, {414, "text/plain; charset=utf-8", "request line too long\n", {}});
        return MHD_YES;
      }
      const MHD_ConnectionInfo* Size =
          MHD_get_connection_info(C, MHD_CONNECTION_INFO_REQUEST_HEADER_SIZE);
      if (Size && Size->header_size > S.FLimits.MaxHeaderBytes) {
        Answer(S, C, *State, {431, "text/plain; charset=utf-8", "request headers too large\n", {}});
        return MHD_YES;
      }
      State->MaxBody = S.FMaxBody ? S.FMaxBody(R.Method, R.Path) : 0;
      if (const std::string* Length = R.Header("Content-Length")) {
        const bool Digits = !Length->empty() && Length->size() <= 18 &&
                            Length->find_first_not_of("0123456789") == std::string::npos;
        if (!Digits || std::stoull(*Length) > State->MaxBody) {
          Answer(S, C, *State, {413, "text/plain; charset=utf-8", "body too large\n", {}});
          return MHD_YES;
        }
      }
      return MHD_YES;
    }
    if (State->Status != 0) {  // answered already; what still comes is dropped
      *DataSize = 0;
      return MHD_YES;
    }
    if (*DataSize > 0) {
      if (R.Body.size() + *DataSize > State->MaxBody) {
        // A chunked body past the bound: the connection is closed, as reading on to answer
        // would let the client send without end.
        State->Reason = "body too large; closed";
        return MHD_NO;
      }
      R.Body.append(Data, *DataSize);
      *DataSize = 0;
      return MHD_YES;
    }
    TWebResponse Response;
    try {
      Response = S.FHandler(R);
    } catch (const std::exception& E) {
      Response = {500, "text/plain; charset=utf-8", "internal error\n", {}};
      State->Reason = E.what();
    }
    Answer(S, C, *State, Response);
    return MHD_YES;
  }

  static void Answer(TWebServer&, MHD_Connection* C, TWebRequestState& State,
                     const TWebResponse& R) {
    MHD_Response* Response = MHD_create_response_from_buffer(
        R.Body.size(), const_cast<char*>(R.Body.data()), MHD_RESPMEM_MUST_COPY);
    if (!Response) return;
    MHD_add_response_header(Response, MHD_HTTP_HEADER_CONTENT_TYPE, R.ContentType.c_str());
    for (const auto& [Name, Value] : R.Headers)
      MHD_add_response_header(Response, Name.c_str(), Value.c_str());
    if (MHD_queue_response(C, static_cast<unsigned>(R.Status), Response) == MHD_YES) {
      State.Status = R.Status;
      // A refusal's reason is its one-line plain-text body.
      if (R.Status >= 400 && State.Reason.empty() && R.Body.size() < 200)
        State.Reason = R.Body.substr(0, R.Body.find('\n'));
    }
    MHD_destroy_response(Response);
  }

  static void OnCompleted(void* Self, MHD_Connection*, void** Context,
                          MHD_RequestTerminationCode How) {
    TWebServer& S = Server(Self);
    auto* State = static_cast<TWebRequestState*>(*Context);
    if (!State) return;
    *Context = nullptr;
    TWebLogEntry E{State->Request.Address, State->Request.Method, State->Request.Target,
                    State->Status, State->Reason};
    if (E.Status == 0 && E.Reason.empty())
      E.Reason = How == MHD_REQUEST_TERMINATED_DAEMON_SHUTDOWN ? "server stopping"
                 : How == MHD_REQUEST_TERMINATED_TIMEOUT_REACHED
                     ? "incomplete request; timed out"
                     : "incomplete request or lost connection";
    S.FOnLog(E);
    if (State->Connection) {
      // Waiting for the next request on a kept-alive connection.
      std::lock_guard<std::mutex> Lock(S.FConnectionsMutex);
      State->Connection->DeadlineMs = NowMs() + S.FLimits.RequestDeadlineMs;
    }
    delete State;
  }
};

const std::string* TWebRequest::Header(const std::string& Name) const {
  for (const auto& [N, V] : Headers)
    if (strcasecmp(N.c_str(), Name.c_str()) == 0) return &V;
  return nullptr;
}

TWebServer::TWebServer(TWebLimits Limits, THandler Handler, TBodyLimit MaxBody, TLog OnLog)
    : FLimits(Limits),
      FHandler(std::move(Handler)),
      FMaxBody(std::move(MaxBody)),
      FOnLog(std::move(OnLog)) {}

TWebServer::~TWebServer() {
  Stop();
  if (FListen >= 0) close(FListen);
}

bool TWebServer::Bind(const std::string& Host, int32_t Port) {
  addrinfo Hints{};
  Hints.ai_family = AF_UNSPEC;
  Hints.ai_socktype = SOCK_STREAM;
  Hints.ai_flags = AI_PASSIVE;
  addrinfo* Found = nullptr;
  const std::string Service = std::to_string(Port);
  if (getaddrinfo(Host.empty() ? nullptr : Host.c_str(), Service.c_str(), &Hints, &Found) != 0)
    return false;
  for (addrinfo* A = Found; A && FListen < 0; A = A->ai_next) {
    const int Fd = socket(A->ai_family, A->ai_socktype | SOCK_CLOEXEC, A->ai_protocol);
    if (Fd < 0) continue;
    const int On = 1;
    setsockopt(Fd, SOL_SOCKET, SO_REUSEADDR, &On, sizeof On);
    if (bind(Fd, A->ai_addr, A->ai_addrlen) == 0 && listen(Fd, 1024) == 0) {
      FListen = Fd;
    } else {
      close(Fd);
    }
  }
  freeaddrinfo(Found);
  if (FListen < 0) return false;
  sockaddr_storage Bound{};
  socklen_t Len = sizeof Bound;
  getsockname(FListen, reinterpret_cast<sockaddr*>(&Bound), &Len);
  FPort = ntohs(Bound.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6*>(&Bound)->sin6_port
                                            : reinterpret_cast<sockaddr_in*>(&Bound)->sin_port);
  return true;
}

bool TWebServer::Run() {
  std::unique_lock<std::mutex> Lock(FRunMutex);
  if (FStopping || FListen < 0) return false;
  using TUriLog = void* (*)(void*, const char*, MHD_Connection*);
  using TCompleted = void (*)(void*, MHD_Connection*, void**, MHD_RequestTerminationCode);
  using TNotify = void (*)(void*, MHD_Connection*, void**, MHD_ConnectionNotificationCode);
  FDaemon = MHD_start_daemon(
      MHD_USE_EPOLL_INTERNAL_THREAD | MHD_USE_ITC, 0, nullptr, nullptr, &TWebCallbacks::OnRequest,
      this, MHD_OPTION_LISTEN_SOCKET, FListen, MHD_OPTION_THREAD_POOL_SIZE,
      static_cast<unsigned>(FLimits.Threads), MHD_OPTION_CONNECTION_LIMIT,
      static_cast<unsigned>(FLimits.MaxConnections), MHD_OPTION_PER_IP_CONNECTION_LIMIT,
      static_cast<unsigned>(FLimits.ConnectionsPerAddress), MHD_OPTION_CONNECTION_TIMEOUT,
      static_cast<unsigned>(FLimits.IdleTimeoutS), MHD_OPTION_CONNECTION_MEMORY_LIMIT,
      static_cast<size_t>(FLimits.MaxHeaderBytes + 16 * 1024), MHD_OPTION_URI_LOG_CALLBACK,
      static_cast<TUriLog>(&TWebCallbacks::OnRequestLine), this, MHD_OPTION_NOTIFY_COMPLETED,
      static_cast<TCompleted>(&TWebCallbacks::OnCompleted), this, MHD_OPTION_NOTIFY_CONNECTION,
      static_cast<TNotify>(&TWebCallbacks::OnConnection), this, MHD_OPTION_END);
  if (!FDaemon) return false;
  FListen = -1;  // the daemon's now, closed when it stops
  FRunning = true;
  while (!FStopping) {
    FRunWake.wait_for(Lock, std::chrono::milliseconds(500));
    Sweep();
  }
  Lock.unlock();
  MHD_stop_daemon(FDaemon);
  FDaemon = nullptr;
  FRunning = false;
  return true;
}

void TWebServer::Stop() {
  std::lock_guard<std::mutex> Lock(FRunMutex);
  FStopping = true;
  FRunWake.notify_all();
}

// Connections past their deadline are shut down; the library then sees them end and closes
// them in its own thread. The socket stays open until the library's close notice, which
// takes it out of the set under the same lock, so the descriptor cannot be another's.
void TWebServer::Sweep() {
  const int64_t Now = NowMs();
  std::lock_guard<std::mutex> Lock(FConnectionsMutex);
  for (TConnection* C : FConnections) {
    if (C->Cut || C->DeadlineMs == 0 || Now < C->DeadlineMs || C->Fd < 0) continue;
    C->Cut = true;
    shutdown(C->Fd, SHUT_RDWR);
  }
}
