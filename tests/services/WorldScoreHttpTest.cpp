// The upload through the real HTTP client (libcurl) against servers on 127.0.0.1 started
// by the test: one that answers and records what it was sent, a port that refuses, and one
// that accepts the connection but never answers. Time-outs are shortened for the last.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/sdl/SdlHttp.h"
#include "services/WorldScore.h"

namespace {

using TClock = std::chrono::steady_clock;

// A listening socket on 127.0.0.1 at a free port.
int ListenOnFreePort(uint16_t& Port) {
  const int Fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in A{};
  A.sin_family = AF_INET;
  A.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  A.sin_port = 0;
  if (Fd < 0 || bind(Fd, reinterpret_cast<sockaddr*>(&A), sizeof A) != 0 || listen(Fd, 8) != 0) {
    if (Fd >= 0) close(Fd);
    return -1;
  }
  socklen_t Len = sizeof A;
  getsockname(Fd, reinterpret_cast<sockaddr*>(&A), &Len);
  Port = ntohs(A.sin_port);
  return Fd;
}

// Answers every request with Status, the Extra header lines and a small body; the first
// answer sets a cookie. Answering = false: connections are accepted by the system but never
// read or answered.
class TTinyServer {
 public:
  explicit TTinyServer(bool Answering, std::string Status = "200 OK", std::string Extra = "")
      : FStatus(std::move(Status)), FExtra(std::move(Extra)) {
    FListen = ListenOnFreePort(Port);
    if (Answering && FListen >= 0) FThread = std::thread([this] { Serve(); });
  }
  ~TTinyServer() {
    FStop = true;
    if (FThread.joinable()) FThread.join();
    if (FListen >= 0) close(FListen);
  }
  bool Listening() const { return FListen >= 0; }
  std::vector<std::string> Requests() {
    std::lock_guard<std::mutex> Lock(FMutex);
    return FRequests;
  }
  uint16_t Port = 0;

 private:
  void Serve() {
    while (!FStop) {
      pollfd P{FListen, POLLIN, 0};
      if (poll(&P, 1, 50) <= 0) continue;
      const int Client = accept(FListen, nullptr, nullptr);
      if (Client < 0) continue;
      std::string Request;
      char Buffer[1024];
      while (Request.find("\r\n\r\n") == std::string::npos) {
        pollfd C{Client, POLLIN, 0};
        if (poll(&C, 1, 2000) <= 0) break;
        const ssize_t N = recv(Client, Buffer, sizeof Buffer, 0);
        if (N <= 0) break;
        Request.append(Buffer, static_cast<size_t>(N));
      }
      bool First;
      {
        std::lock_guard<std::mutex> Lock(FMutex);
        First = FRequests.empty();
        FRequests.push_back(Request);
      }
      const std::string Answer = "HTTP/1.1 " + FStatus + "\r\n" +
                                 (First ? "Set-Cookie: session=duck42; Path=/\r\n" : "") + FExtra +
                                 "Content-Type: text/html\r\nContent-Length: 2\r\n"
                                 "Connection: close\r\n\r\nOK";
      send(Client, Answer.data(), Answer.size(), MSG_NOSIGNAL);
      close(Client);
    }
  }
  int FListen = -1;
  std::string FStatus;
  std::string FExtra;
  std::thread FThread;
  std::atomic<bool> FStop{false};
  std::mutex FMutex;
  std::vector<std::string> FRequests;
};

TOnlineConfig LocalSite(uint16_t Port) {
  TOnlineConfig C;
  C.Host = "127.0.0.1";
  C.Port = Port;
  return C;
}

void WaitFor(const TWorldScoreUpload& Upload) {
  while (!Upload.Done()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

}  // namespace

TEST(WorldScoreHttp, RequestLineHeadersQueryAndCookies) {
  TTinyServer Server(true);
  ASSERT_TRUE(Server.Listening());
  TSdlHttp Http;
  const TOnlineConfig Site = LocalSite(Server.Port);
  SendWorldScore(Http, Site, "Duck", 4321, "Suomi");

  // The second result goes through the worker thread the frame polls, and brings back the
  // cookie the first answer set.
  TWorldScoreUpload Upload;
  Upload.Start(Http, Site, "", -5, "_______");
  WaitFor(Upload);
  EXPECT_TRUE(Upload.Answered());

  const std::vector<std::string> Got = Server.Requests();
  ASSERT_EQ(Got.size(), 2u);
  const std::string Encoded =
      FiveBitText(BitString(WorldScoreRecord("Duck", 4321, "T", "Suomi")), Site.Alphabet);
  const std::string& First = Got[0];
  EXPECT_EQ(First.substr(0, First.find("\r\n")),
            "GET /cgi/version.pl?hs&prg=Tallowbrackle&inf=" + Encoded + " HTTP/1.1");
  for (const std::string& Header :
       {"Host: 127.0.0.1:" + std::to_string(Server.Port), std::string("Accept: text/html, */*"),
        std::string("Content-Type: text/html"),
        std::string("User-Agent: Mozilla/3.0 (compatible; Tallow Brackles)")})
    EXPECT_NE(First.find("\r\n" + Header + "\r\n"), std::string::npos) << Header << "\n" << First;
  EXPECT_EQ(First.find("Cookie:"), std::string::npos);
  EXPECT_NE(Got[1].find("\r\nCookie: session=duck42\r\n"), std::string::npos) << Got[1];
  const std::string Second =
      FiveBitText(BitString(WorldScoreRecord("", -5, "T", "_______")), Site.Alphabet);
  EXPECT_NE(Got[1].find("&inf=" + Second + " HTTP/1.1"), std::string::npos) << Got[1];
}

TEST(WorldScoreHttp, ErrorStatusCountsAsFailure) {
  TTinyServer Server(true, "500 Internal Server Error");
  ASSERT_TRUE(Server.Listening());
  TSdlHttp Http;
  std::string Body;
  EXPECT_FALSE(Http.Get(WorldScoreRequest(LocalSite(Server.Port), "Duck", 1, "_______"), Body));
  EXPECT_EQ(Server.Requests().size(), 1u);
}

TEST(WorldScoreHttp, ARedirectIsNotFollowed) {
  // The one GET goes to the address asked for; an answer that points elsewhere (here
  // another server on this machine) does not carry the record there.
  TTinyServer Elsewhere(true);
  ASSERT_TRUE(Elsewhere.Listening());
  for (const char* Status : {"302 Found", "301 Moved Permanently", "307 Temporary Redirect"}) {
    TTinyServer Server(
        true, Status,
        "Location: http://127.0.0.1:" + std::to_string(Elsewhere.Port) + "/cgi/version.pl?hs\r\n");
    ASSERT_TRUE(Server.Listening());
    TSdlHttp Http;
    std::string Body;
    Http.Get(WorldScoreRequest(LocalSite(Server.Port), "Duck", 1, "_______"), Body);
    EXPECT_EQ(Server.Requests().size(), 1u) << Status;
  }
  EXPECT_TRUE(Elsewhere.Requests().empty());
}

TEST(WorldScoreHttp, RefusedPortFailsSilently) {
  uint16_t Port = 0;
  const int Fd = ListenOnFreePort(Port);
  ASSERT_GE(Fd, 0);
  close(Fd);  // nobody listens there any more: the connection is refused
  TSdlHttp Http;
  TWorldScoreUpload Upload;
  Upload.Start(Http, LocalSite(Port), "Duck", 10, "_______");
  WaitFor(Upload);
  EXPECT_FALSE(Upload.Answered());
}

TEST(WorldScoreHttp, SilentServerEndsWithTheTimeOut) {
  TTinyServer Server(false);  // connects, never answers
  ASSERT_TRUE(Server.Listening());
  TSdlHttp Http;
  THttpRequest R = WorldScoreRequest(LocalSite(Server.Port), "Duck", 10, "_______");
  R.ConnectTimeoutMs = 300;
  R.TimeoutMs = 600;
  TWorldScoreUpload Upload;
  const TClock::time_point Start = TClock::now();
  Upload.Start(Http, R);
  // Frames go on while the request waits: each poll answers at once.
  int Polls = 0;
  while (!Upload.Done()) {
    ++Polls;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  const auto Ms =
      std::chrono::duration_cast<std::chrono::milliseconds>(TClock::now() - Start).count();
  EXPECT_FALSE(Upload.Answered());
  EXPECT_GE(Ms, 500) << "it did wait for an answer";
  EXPECT_LT(Ms, 5000) << "the whole-request time-out ends it";
  EXPECT_GT(Polls, 10);
}
