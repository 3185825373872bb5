#include "services/WorldScore.h"

#include <utility>

namespace {

constexpr const char* kScoreScript = "/cgi/version.pl";
constexpr const char* kProgramName = "Tallowbrackle";

bool UrlSafe(char C) {
  return (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || (C >= '0' && C <= '9') || C == '-' ||
         C == '.' || C == '_' || C == '~';
}

std::string Escaped(const std::string& Text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string Out;
  for (char C : Text) {
    if (UrlSafe(C)) {
      Out += C;
    } else {
      const auto B = static_cast<unsigned char>(C);
      Out += '%';
      Out += kHex[B >> 4];
      Out += kHex[B & 15];
    }
  }
  return Out;
}

}  // namespace

std::string WorldScoreRecord(const std::string& Name, int32_t Score, const std::string& Key,
                             const std::string& Country) {
  std::string Record = "type=0|name=" + Name + "|score=" + std::to_string(Score) + "|key=" + Key +
                       "|p=|add=" + Country + "|z=";
  while (Record.size() % 5 != 0) Record += '0';
  return Record;
}

std::string BitString(const std::string& Text) {
  std::string Digits;
  Digits.reserve(Text.size() * 8);
  for (char C : Text) {
    const auto B = static_cast<unsigned char>(C);
    for (int Bit = 7; Bit >= 0; --Bit) Digits += (B >> Bit) & 1 ? '1' : '0';
  }
  return Digits;
}

std::string FiveBitText(std::string Digits, const std::string& Alphabet) {
  if (Digits.size() % 5 != 0) Digits.insert(0, 5 - Digits.size() % 5, '0');
  std::string Text;
  Text.reserve(Digits.size() / 5);
  for (size_t I = 0; I < Digits.size(); I += 5) {
    size_t V = 0;
    for (size_t J = 0; J < 5; ++J) V = V * 2 + (Digits[I + J] != '0' ? 1 : 0);
    // A code table shorter than 32 would be read past its end; the configuration allows
    // only 32 characters, and a shorter one stops the text here.
    if (V >= Alphabet.size()) break;
    Text += Alphabet[V];
  }
  return Text;
}

std::string WorldScoreUrl(const TOnlineConfig& Online, const std::string& Name, int32_t Score,
                          const std::string& Country) {
  const std::string Record = WorldScoreRecord(Name, Score, Online.Key, Country);
  const std::string Encoded = FiveBitText(BitString(Record), Online.Alphabet);
  return Online.SiteUrl() + kScoreScript + "?hs&prg=" + kProgramName + "&inf=" + Escaped(Encoded);
}

THttpRequest WorldScoreRequest(const TOnlineConfig& Online, const std::string& Name, int32_t Score,
                               const std::string& Country) {
  THttpRequest R(WorldScoreUrl(Online, Name, Score, Country));
  R.Headers = {
      "Accept: text/html, */*",
      "Content-Type: text/html",
      "User-Agent: Mozilla/3.0 (compatible; Tallow Brackles)",
  };
  return R;
}

void SendWorldScore(IHttpClient& Http, const TOnlineConfig& Online, const std::string& Name,
                    int32_t Score, const std::string& Country) {
  std::string Answer;
  Http.Get(WorldScoreRequest(Online, Name, Score, Country), Answer);  // the answer is not used
}

TWorldScoreUpload::~TWorldScoreUpload() {
  Join();
}

void TWorldScoreUpload::Join() {
  if (FWorker.joinable()) FWorker.join();
}

void TWorldScoreUpload::Start(IHttpClient& Http, THttpRequest Request) {
  Join();
  FAnswered.store(false, std::memory_order_release);
  FDone.store(false, std::memory_order_release);
  FWorker = std::thread([this, &Http, R = std::move(Request)] {
    std::string Answer;
    const bool Ok = Http.Get(R, Answer);
    FAnswered.store(Ok, std::memory_order_release);
    FDone.store(true, std::memory_order_release);
  });
}

void TWorldScoreUpload::Start(IHttpClient& Http, const TOnlineConfig& Online,
                              const std::string& Name, int32_t Score, const std::string& Country) {
  Start(Http, WorldScoreRequest(Online, Name, Score, Country));
}
