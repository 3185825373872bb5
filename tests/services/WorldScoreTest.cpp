// The world score record and its encoding (checked against Python's base32 as an
// independent peer), the address it is sent to, and the upload polled from the frame on
// the fake platform.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/fake/FakePlatform.h"
#include "services/WorldScore.h"

namespace fs = std::filesystem;

namespace {

const std::string kRfc4648 = "ABCDEFGHIJKLMNOPQRSTUVWXYZ234567";

// Python's base64.b32encode of each of Records, with its alphabet translated to Alphabet,
// all in one run of python3; empty when python3 cannot be run.
std::vector<std::string> PythonBase32(const std::vector<std::string>& Records,
                                      const std::string& Alphabet) {
  const fs::path Dir = fs::path(TB_BINARY_DIR) / "test-scratch" / "worldscore";
  fs::create_directories(Dir);
  const fs::path Script = Dir / "b32.py";
  std::ofstream(Script) << "import base64, sys\n"
                           "std = 'ABCDEFGHIJKLMNOPQRSTUVWXYZ234567'\n"
                           "table = str.maketrans(std, sys.argv[1])\n"
                           "for name in sys.argv[2:]:\n"
                           "    data = open(name, 'rb').read()\n"
                           "    print(base64.b32encode(data).decode('ascii').translate(table))\n";
  std::string Command = "python3 '" + Script.string() + "' '" + Alphabet + "'";
  for (size_t I = 0; I < Records.size(); ++I) {
    const fs::path In = Dir / ("record" + std::to_string(I) + ".bin");
    std::ofstream(In, std::ios::binary) << Records[I];
    Command += " '" + In.string() + "'";
  }
  FILE* Pipe = popen((Command + " 2>/dev/null").c_str(), "r");
  if (!Pipe) return {};
  std::string Out;
  char Buffer[256];
  while (size_t N = fread(Buffer, 1, sizeof Buffer, Pipe)) Out.append(Buffer, N);
  if (pclose(Pipe) != 0) return {};
  std::vector<std::string> Lines;
  std::istringstream Text(Out);
  for (std::string Line; std::getline(Text, Line);) Lines.push_back(Line);
  return Lines;
}

}  // namespace

TEST(WorldScore, RecordIsFilledToAMultipleOfFive) {
  EXPECT_EQ(BitString("abc"), "011000010110001001100011");
  EXPECT_EQ(BitString("\xFF"), "11111111");

  struct TCase {
    std::string Name;
    int32_t Score;
    std::string Expected;
  };
  const TCase Cases[] = {
      // 49 characters before the fill: one "0".
      {"D", 12345, "type=0|name=D|score=12345|key=T|p=|add=_______|z=0"},
      // Exactly 50: no fill.
      {"Du", 12345, "type=0|name=Du|score=12345|key=T|p=|add=_______|z="},
      // An empty name is still sent; a negative score keeps its sign.
      {"", -250, "type=0|name=|score=-250|key=T|p=|add=_______|z=000"},
  };
  for (const TCase& C : Cases) {
    const std::string R = WorldScoreRecord(C.Name, C.Score, "T", "_______");
    EXPECT_EQ(R, C.Expected);
    EXPECT_EQ(R.size() % 5, 0u) << R;
  }
  const std::string R49 = WorldScoreRecord("D", 12345, "T", "_______");
  const std::string R50 = WorldScoreRecord("Du", 12345, "T", "_______");
  EXPECT_EQ(FiveBitText(BitString(R49), kRfc4648).size(), 80u);
  EXPECT_EQ(FiveBitText(BitString(R50), kRfc4648).size(), 80u);
}

TEST(WorldScore, FiveBitTextPadsInFrontAndReadsAnyNonZeroAsOne) {
  EXPECT_EQ(FiveBitText("", kRfc4648), "");
  EXPECT_EQ(FiveBitText("1", kRfc4648), "B");        // "00001"
  EXPECT_EQ(FiveBitText("111111", kRfc4648), "B7");  // "0000111111"
  EXPECT_EQ(FiveBitText("0x0y0", kRfc4648), "K");    // 01010
  EXPECT_EQ(FiveBitText("1111100000", kRfc4648), "7A");
}

TEST(WorldScore, EncodingMatchesPythonBase32) {
  const std::string Custom = "0123456789abcdefghijklmnopqrstuv";  // base32hex, lower case
  const std::vector<std::string> Records = {
      WorldScoreRecord("Duck", 12345, "T", "_______"),
      WorldScoreRecord("", -250, "Q", "Deutschland"),
      WorldScoreRecord("Quack Master", 2147483647, "T", "  Island  "),
      std::string("\x00\x7F\x80\xFF\x01\xFE\x10\x20\xC3\xA9", 10),  // every bit pattern edge
  };
  for (const std::string& Alphabet : {kRfc4648, Custom}) {
    const std::vector<std::string> Peer = PythonBase32(Records, Alphabet);
    if (Peer.empty()) GTEST_SKIP() << "python3 not available";
    ASSERT_EQ(Peer.size(), Records.size());
    for (size_t I = 0; I < Records.size(); ++I)
      EXPECT_EQ(FiveBitText(BitString(Records[I]), Alphabet), Peer[I]) << Records[I];
  }
}

TEST(WorldScore, AddressAndHeadersOfTheRequest) {
  TOnlineConfig Online;
  const std::string Encoded =
      FiveBitText(BitString(WorldScoreRecord("Duck", 12345, "T", "_______")), kRfc4648);
  const THttpRequest R = WorldScoreRequest(Online, "Duck", 12345, "_______");
  EXPECT_EQ(R.Url,
            "http://tallowbrackles.example/cgi/version.pl?hs&prg=Tallowbrackle&inf=" + Encoded);
  EXPECT_EQ(R.Headers, (std::vector<std::string>{
                           "Accept: text/html, */*",
                           "Content-Type: text/html",
                           "User-Agent: Mozilla/3.0 (compatible; Tallow Brackles)",
                       }));
  EXPECT_EQ(R.ConnectTimeoutMs, 5000);
  EXPECT_EQ(R.TimeoutMs, 10000);

  // Host, port and key from the configuration; code-table characters that are not safe in
  // an address are %-escaped.
  Online.Host = "scores.example.org";
  Online.Port = 8080;
  Online.Key = "Q";
  Online.Alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZ&#+%/=";
  const std::string Url = WorldScoreUrl(Online, "Duck", 1, "_______");
  const std::string Prefix =
      "http://scores.example.org:8080/cgi/version.pl?hs&prg=Tallowbrackle&inf=";
  ASSERT_EQ(Url.rfind(Prefix, 0), 0u) << Url;
  const std::string Query = Url.substr(Prefix.size());
  EXPECT_EQ(Query.find_first_of("&#+/="), std::string::npos) << Query;
  std::string Unescaped;
  for (size_t I = 0; I < Query.size(); ++I) {
    if (Query[I] == '%') {
      Unescaped += static_cast<char>(std::stoi(Query.substr(I + 1, 2), nullptr, 16));
      I += 2;
    } else {
      Unescaped += Query[I];
    }
  }
  EXPECT_EQ(Unescaped,
            FiveBitText(BitString(WorldScoreRecord("Duck", 1, "Q", "_______")), Online.Alphabet));
}

TEST(WorldScore, UploadIsPolledUntilItEnds) {
  TFakePlatform P;
  TWorldScoreUpload Upload;
  EXPECT_TRUE(Upload.Done()) << "nothing started";

  P.FakeHttp.Succeeds = true;
  P.FakeHttp.Hold();
  Upload.Start(P.Http(), TOnlineConfig(), "Duck", 777, "Finland");
  // The frame goes on while the request is out: every poll answers at once.
  for (int Frame = 0; Frame < 5; ++Frame) EXPECT_FALSE(Upload.Done());
  P.FakeHttp.Release();
  while (!Upload.Done()) std::this_thread::yield();  // the frames that follow
  EXPECT_TRUE(Upload.Answered());
  ASSERT_EQ(P.FakeHttp.Sent.size(), 1u);
  EXPECT_EQ(P.FakeHttp.Sent[0].Url, WorldScoreUrl(TOnlineConfig(), "Duck", 777, "Finland"));

  // Without network the upload ends just the same, silently.
  P.FakeHttp.Succeeds = false;
  Upload.Start(P.Http(), TOnlineConfig(), "Duck", 778, "Finland");
  while (!Upload.Done()) std::this_thread::yield();
  EXPECT_FALSE(Upload.Answered());
  EXPECT_EQ(P.FakeHttp.RequestCount(), 2u);
}
