// Connections that send nothing, half a request or one byte at a time: they hold no
// thread, so everyone else is answered; each address has its share of connections, and
// one that has not sent a whole request by its deadline is cut off, quiet or trickling; a
// kept-alive connection carries one request after another.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "ServerFixture.h"

namespace {

constexpr const char* kJsonRequest = "GET /scores.json HTTP/1.1\r\nHost: t\r\n\r\n";

TOnlineConfig LocalSite(int32_t Port) {
  TOnlineConfig C;
  C.Host = "127.0.0.1";
  C.Port = Port;
  return C;
}

}  // namespace

TEST(SlowClients, IdleAndHalfSentConnectionsDoNotHoldUpOthers) {
  TScoreServerConfig Config;
  Config.UploadsPerMinute = 1000;
  TRunningServer S(Config);
  std::vector<std::unique_ptr<TRawConnection>> Held;
  for (int I = 0; I < 100; ++I) {
    Held.push_back(std::make_unique<TRawConnection>(S.Port(), "127.0.0.2"));
    Held.push_back(std::make_unique<TRawConnection>(S.Port(), "127.0.0.3"));
    ASSERT_TRUE(Held.back()->Send("GET /scores.json HTTP/1.1\r\nHost: t\r\n"));
  }
  // With a thread per connection, these would wait behind the ones above for seconds; the
  // client gives up after two.
  const TOnlineConfig Site = LocalSite(S.Port());
  for (int I = 0; I < 20; ++I) {
    httplib::Client Client("127.0.0.1", S.Port());
    Client.set_read_timeout(2, 0);
    auto Res = Client.Get(GameUploadPath(Site, "Quick" + std::to_string(I), I, "_"));
    ASSERT_TRUE(Res) << I;
    EXPECT_EQ(Res->status, 200);
  }
  EXPECT_EQ(S.Store->RowCount(), 20);
  // The held connections are still open, and a half-sent request is answered once whole.
  TRawConnection& Half = *Held.back();
  ASSERT_TRUE(Half.Send("\r\n"));
  EXPECT_NE(Half.Read(3000, "]\n").find("HTTP/1.1 200"), std::string::npos);
}

TEST(SlowClients, ShareOfAnAddressDeadlineAndKeepAlive) {
  TScoreServerConfig Config;
  Config.Http.ConnectionsPerAddress = 3;
  Config.Http.RequestDeadlineMs = 600;
  TRunningServer S(Config);

  // Three from one address are held; a fourth is closed at once; another address is served.
  std::vector<std::unique_ptr<TRawConnection>> Idle;
  for (int I = 0; I < 3; ++I) Idle.push_back(std::make_unique<TRawConnection>(S.Port(), "127.0.0.2"));
  TRawConnection Fourth(S.Port(), "127.0.0.2");
  EXPECT_TRUE(Fourth.Closed(1000));
  EXPECT_FALSE(Idle[0]->ClosedByServer);

  // One connection, two requests, two answers.
  TRawConnection Kept(S.Port(), "127.0.0.3");
  for (int I = 0; I < 2; ++I) {
    ASSERT_TRUE(Kept.Send(kJsonRequest)) << I;
    const std::string Answer = Kept.Read(3000, "[]\n");
    EXPECT_EQ(Answer.rfind("HTTP/1.1 200", 0), 0u) << Answer;
    EXPECT_NE(Answer.find("application/json"), std::string::npos);
  }

  // A client sending its headers one byte every 50 ms is never quiet, and is cut off at
  // the deadline all the same.
  TRawConnection Trickle(S.Port(), "127.0.0.4");
  const std::string Endless = "GET /scores.json HTTP/1.1\r\nX-Slow: " + std::string(200, 'a');
  const auto Start = std::chrono::steady_clock::now();
  bool Cut = false;
  for (char C : Endless) {
    if (!Trickle.Send(std::string(1, C)) || Trickle.Closed(50)) {
      Cut = true;
      break;
    }
  }
  const auto Took = std::chrono::steady_clock::now() - Start;
  EXPECT_TRUE(Cut);
  EXPECT_LT(Took, std::chrono::seconds(5));

  // The quiet ones are cut off too.
  for (auto& C : Idle) EXPECT_TRUE(C->Closed(3000));

  S.Stop();
  const std::string Log = S.Log.str();
  EXPECT_NE(Log.find(" 127.0.0.4 - - - no whole request within the deadline; cut off"),
            std::string::npos)
      << Log;
  // Two requests from the kept-alive connection; the fourth connection, closed before it
  // sent anything, is no request.
  size_t Requests = 0;
  for (size_t At = 0; (At = Log.find(" GET /scores.json 200\n", At)) != std::string::npos; ++At)
    ++Requests;
  EXPECT_EQ(Requests, 2u) << Log;
  EXPECT_EQ(std::count(Log.begin(), Log.end(), '\n'), 2 + 5) << Log;
}
