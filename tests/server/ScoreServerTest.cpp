// The server over loopback: the game's own upload through its own HTTP client, the table
// as page and JSON, the upload limit, and a run of malformed and hostile requests, each
// checked for its answer, for what was stored and for the server still serving.
#include <gtest/gtest.h>

#include <atomic>

#include "ServerFixture.h"
#include "platform/sdl/SdlHttp.h"
#include "services/WorldScore.h"

namespace {

TOnlineConfig LocalSite(int32_t Port) {
  TOnlineConfig C;
  C.Host = "127.0.0.1";
  C.Port = Port;
  return C;
}

class ScoreServer : public testing::TestWithParam<TStoreKind> {};

}  // namespace

INSTANTIATE_TEST_SUITE_P(Stores, ScoreServer,
                         testing::Values(TStoreKind::Sqlite, TStoreKind::Postgres), StoreKindName);

TEST_P(ScoreServer, GameUploadAppearsOnThePageAndInJson) {
  std::atomic<int64_t> Now{1765000000};
  TScoreServerConfig Config;
  Config.WallClock = [&Now] { return Now.load(); };
  TRunningServer S(Config, GetParam());
  ASSERT_GT(S.Port(), 0);
  const TOnlineConfig Site = LocalSite(S.Port());

  // The game's client, headers and all; it counts only a 2xx answer as sent.
  TSdlHttp Http;
  std::string Answer;
  EXPECT_TRUE(Http.Get(WorldScoreRequest(Site, "Duck", 4321, "Suomi"), Answer));
  Now = 1765100000;
  EXPECT_TRUE(Http.Get(WorldScoreRequest(Site, "", -5, "_______"), Answer));
  Now = 1765200000;
  EXPECT_TRUE(Http.Get(WorldScoreRequest(Site, "Zed", 9000, "___ab"), Answer));

  const TReply Page = S.Get(kTablePath);
  EXPECT_EQ(Page.Status, 200);
  const size_t Zed = Page.Body.find(
      "<td class=\"place\">1</td><td class=\"name\">Zed</td>"
      "<td class=\"country\">___ab</td><td class=\"score\">9000"
      "</td><td class=\"date\">2025-12-08</td>");
  const size_t Duck = Page.Body.find("<td class=\"place\">2</td><td class=\"name\">Duck</td>");
  EXPECT_NE(Zed, std::string::npos) << Page.Body;
  EXPECT_NE(Duck, std::string::npos) << Page.Body;
  EXPECT_NE(Page.Body.find("#6db8ec"), std::string::npos);  // the game's sky

  const TReply Json = S.Get("/scores.json");
  EXPECT_EQ(Json.Status, 200);
  EXPECT_EQ(Json.Body,
            "[\n{\"place\":1,\"name\":\"Zed\",\"country\":\"___ab\",\"score\":9000,"
            "\"date\":\"2025-12-08\"},\n"
            "{\"place\":2,\"name\":\"Duck\",\"country\":\"Suomi\",\"score\":4321,"
            "\"date\":\"2025-12-06\"},\n"
            "{\"place\":3,\"name\":\"\",\"country\":\"_______\",\"score\":-5,"
            "\"date\":\"2025-12-07\"}\n]\n");

  S.Stop();
  const std::string Log = S.Log.str();
  EXPECT_NE(Log.find(" 127.0.0.1 GET /cgi/version.pl?hs&prg=Tallowbrackle&inf="), std::string::npos)
      << Log;
  EXPECT_EQ(std::count(Log.begin(), Log.end(), '\n'), 5) << Log;  // one line per request
}

TEST_P(ScoreServer, CodeTableAndKeyFromTheConfiguration) {
  // Characters that must be escaped in an address, as the game escapes them.
  TScoreServerConfig Config;
  Config.Alphabet = "!#$%&()*+,-./:;<=>?@[]^_`{|}~ABC";
  Config.Key = "Q";
  TRunningServer S(Config, GetParam());
  TOnlineConfig Site = LocalSite(S.Port());
  Site.Alphabet = Config.Alphabet;
  Site.Key = "Q";
  EXPECT_EQ(S.Get(GameUploadPath(Site, "Duck", 77, "Suomi")).Status, 200);
  Site.Key = "T";
  EXPECT_EQ(S.Get(GameUploadPath(Site, "Duck", 78, "Suomi")).Status, 403);
  const std::vector<TScoreRow> Rows = S.Store->Best(100);
  ASSERT_EQ(Rows.size(), 1u);
  EXPECT_EQ(Rows[0].Score, 77);
}

TEST_P(ScoreServer, UploadLimitPerAddressAndMinute) {
  std::atomic<int64_t> NowMs{5000000};
  TScoreServerConfig Config;
  Config.UploadsPerMinute = 3;
  Config.ClockMs = [&NowMs] { return NowMs.load(); };
  TRunningServer S(Config, GetParam());
  const TOnlineConfig Site = LocalSite(S.Port());
  // A refused record counts too, so bad uploads cannot be sent without end.
  EXPECT_EQ(S.Get(UploadPath("BAD")).Status, 400);
  EXPECT_EQ(S.Get(GameUploadPath(Site, "One", 1, "_")).Status, 200);
  EXPECT_EQ(S.Get(GameUploadPath(Site, "Two", 2, "_")).Status, 200);
  EXPECT_EQ(S.Get(GameUploadPath(Site, "Three", 3, "_")).Status, 429);
  EXPECT_EQ(S.Get(kTablePath).Status, 200);  // the table is not limited
  EXPECT_EQ(S.Store->RowCount(), 2);
  NowMs += 60000;
  EXPECT_EQ(S.Get(GameUploadPath(Site, "Three", 3, "_")).Status, 200);
  EXPECT_EQ(S.Store->RowCount(), 3);
}

TEST_P(ScoreServer, MalformedAndHostileRequestsStoreNothingAndTheServerServesOn) {
  TScoreServerConfig Config;
  Config.UploadsPerMinute = 100000;
  TRunningServer S(Config, GetParam());
  const TOnlineConfig Site = LocalSite(S.Port());
  const auto Record = [](const std::string& Fields) { return Encoded(FilledRecord(Fields)); };
  const std::string Good = Encoded(WorldScoreRecord("Duck", 5, "T", "_______"));
  const std::string Huge(100 * 1024, 'A');

  struct TCase {
    std::string Path;
    int Status;
  };
  const TCase Cases[] = {
      // Not the code table, not whole groups, or no record at all.
      {UploadPath("or4xazj5"), 400},
      {UploadPath(Good.substr(0, 79)), 400},
      {UploadPath("OR4XA==="), 400},
      {UploadPath(""), 400},
      {UploadPath(Encoded("hello world!!")), 400},
      {UploadPath(Encoded(WorldScoreRecord("Duck", 5, "T", "_______"),
                          "234567ABCDEFGHIJKLMN"
                          "OPQRSTUVWXYZ")),
       400},
      {UploadPath(Good + "%ZZ"), 400},
      {UploadPath(Good + "%4"), 400},
      // Wrong key, wrong fields.
      {GameUploadPath(
           [&] {
             TOnlineConfig C = Site;
             C.Key = "X";
             return C;
           }(),
           "Duck", 5, "_"),
       403},
      {UploadPath(Record("type=0|name=<script>alert(1)</script>|score=5|key=T|p=|add=_|z=")), 400},
      {UploadPath(Record("type=0|name=O'Brien \"x\"|score=5|key=T|p=|add=_|z=")), 400},
      {UploadPath(Record("type=0|name=Duck|score=99999999999999999999|key=T|p=|add=_|z=")), 400},
      {UploadPath(Record("type=0|name=Duck|score=2147483648|key=T|p=|add=_|z=")), 400},
      {UploadPath(Record("type=0|name=Duck|score=5|key=T|p=|add=<b>x</b>|z=")), 400},
      // Sizes: a record longer than any the game sends, a 100 KB query, a 5 KB body.
      {UploadPath(std::string(kMaxEncodedLength + 8, 'A')), 414},
      {UploadPath(Huge), 414},
      {"/scores.json?" + Huge, 414},
      // The script's other shapes.
      {"/cgi/version.pl?hs&prg=Tallowbrackle", 400},
      {"/cgi/version.pl?hs&prg=Tallowbrackle&inf=" + Good + "&inf=" + Good, 400},
      {"/cgi/version.pl?hs=1&prg=Tallowbrackle&inf=" + Good, 400},
      {"/cgi/version.pl?hs&prg=Other&inf=" + Good, 400},
      {"/cgi/version.pl?prg=Tallowbrackle&type=1&show", 400},
      {"/cgi/version.pl", 400},
      {"/../../etc/passwd", 404},
  };
  for (const TCase& C : Cases) {
    const TReply R = S.Get(C.Path);
    EXPECT_EQ(R.Status, C.Status) << C.Path.substr(0, 200);
    EXPECT_EQ(S.Store->RowCount(), 0) << C.Path.substr(0, 200);
  }

  // A body is refused by its length, and an endless request line is cut off unanswered
  // by the library or answered 414; either way the server serves on.
  {
    httplib::Client Client("127.0.0.1", S.Port());
    auto Res = Client.Post("/scores.json", std::string(5000, 'x'), "text/plain");
    ASSERT_TRUE(Res);
    EXPECT_EQ(Res->status, 413);
  }
  {
    httplib::Client Client("127.0.0.1", S.Port());
    auto Res = Client.Get(UploadPath(std::string(4 * 1024 * 1024, 'A')));
    if (Res) {
      EXPECT_EQ(Res->status, 414);
    }
  }

  EXPECT_EQ(S.Get(UploadPath(Good)).Status, 200);
  EXPECT_EQ(S.Store->RowCount(), 1);
  const TReply Json = S.Get("/scores.json");
  EXPECT_EQ(Json.Status, 200);
  EXPECT_NE(Json.Body.find("\"name\":\"Duck\""), std::string::npos);

  // Hostile text that reached the file some other way still leaves it escaped.
  ASSERT_TRUE(S.Store->Add("<img src=x onerror=alert(1)>", 10, "\"</td>", 0));
  const TReply Page = S.Get(kTablePath);
  EXPECT_EQ(Page.Body.find("<img"), std::string::npos);
  EXPECT_NE(Page.Body.find("&lt;img src=x onerror=alert(1)&gt;"), std::string::npos);
  EXPECT_NE(Page.Body.find("&quot;&lt;/td&gt;"), std::string::npos);

  // The log holds one printable line per request, cut short for the long ones.
  S.Stop();
  const std::string Log = S.Log.str();
  size_t Longest = 0;
  for (size_t Start = 0, End; (End = Log.find('\n', Start)) != std::string::npos; Start = End + 1)
    Longest = std::max(Longest, End - Start);
  EXPECT_LT(Longest, 400u);
}

// Two servers on one PostgreSQL table, as two processes would be: an upload to either
// shows on both, and an address's uploads are counted across both.
TEST(ScoreServerPair, OnePostgresTableTwoServersShareRowsAndTheUploadLimit) {
  std::atomic<int64_t> NowMs{1765000000000};
  TScoreServerConfig Config;
  Config.UploadsPerMinute = 3;
  Config.ClockMs = [&NowMs] { return NowMs.load(); };
  TRunningServer A(Config, TStoreKind::Postgres);
  TRunningServer B(Config, A.Where());
  const TOnlineConfig SiteA = LocalSite(A.Port()), SiteB = LocalSite(B.Port());
  EXPECT_EQ(A.Get(GameUploadPath(SiteA, "One", 1, "_")).Status, 200);
  EXPECT_EQ(B.Get(GameUploadPath(SiteB, "Two", 2, "_")).Status, 200);
  EXPECT_EQ(A.Get(GameUploadPath(SiteA, "Three", 3, "_")).Status, 200);
  EXPECT_EQ(B.Get(GameUploadPath(SiteB, "Four", 4, "_")).Status, 429);
  EXPECT_EQ(A.Get(GameUploadPath(SiteA, "Four", 4, "_")).Status, 429);
  const TReply JsonA = A.Get("/scores.json"), JsonB = B.Get("/scores.json");
  EXPECT_EQ(JsonA.Status, 200);
  EXPECT_EQ(JsonA.Body, JsonB.Body);
  EXPECT_NE(JsonB.Body.find("\"name\":\"One\""), std::string::npos) << JsonB.Body;
  EXPECT_EQ(std::count(JsonB.Body.begin(), JsonB.Body.end(), '{'), 3);
  NowMs += 60000;
  EXPECT_EQ(B.Get(GameUploadPath(SiteB, "Four", 4, "_")).Status, 200);
  EXPECT_EQ(A.Store->RowCount(), 4);
}
