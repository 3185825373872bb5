#include "server/ScoreServer.h"

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
constexpr size_t kLoggedTarget = 160;

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
// no value). The script reads the target as sent rather than the library's unescaped
// arguments, so that repeated names and a broken escape are seen.
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

TWebResponse Text(int Status, const std::string& Body) {
  return {Status, "text/plain; charset=utf-8", Body + "\n", {}};
}

}  // namespace

TScoreServer::TScoreServer(TScoreStore& Store, TScoreServerConfig Config, std::ostream& Log)
    : FStore(Store), FConfig(std::move(Config)), FLog(Log) {
  if (!FConfig.WallClock)
    FConfig.WallClock = [] {
      return static_cast<int64_t>(std::chrono::duration_cast<std::chrono::seconds>(
                                      std::chrono::system_clock::now().time_since_epoch())
                                      .count());
    };
  if (!FConfig.ClockMs)
    FConfig.ClockMs = [] {
      return static_cast<int64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                      std::chrono::system_clock::now().time_since_epoch())
                                      .count());
    };
  FHttp = std::make_unique<TWebServer>(
      FConfig.Http, [this](const TWebRequest& R) { return Handle(R); }, &TScoreServer::MaxBody,
      [this](const TWebLogEntry& E) { this->Log(E); });
}

TScoreServer::~TScoreServer() {
  Stop();
}

bool TScoreServer::Bind(const std::string& Host, int32_t Port) {
  return FHttp->Bind(Host, Port);
}

bool TScoreServer::Run() {
  return FHttp->Run();
}

void TScoreServer::Stop() {
  FHttp->Stop();
}

bool TScoreServer::Running() const {
  return FHttp->Running();
}

size_t TScoreServer::MaxBody(const std::string&, const std::string&) {
  return kMaxBody;
}

void TScoreServer::Log(const TWebLogEntry& E) {
  const auto Field = [](const std::string& Text, size_t Max) {
    return Text.empty() ? std::string("-") : Loggable(Text, Max);
  };
  std::string Line = LogTime() + " " + Field(E.Address, 64) + " " + Field(E.Method, 16) + " " +
                     Field(E.Target, kLoggedTarget) + " " +
                     (E.Status ? std::to_string(E.Status) : std::string("-"));
  if (!E.Reason.empty()) Line += " " + Loggable(E.Reason, 200);
  std::lock_guard<std::mutex> Lock(FLogMutex);
  FLog << Line << std::endl;
}

TWebResponse TScoreServer::Handle(const TWebRequest& Req) {
  const bool Read = Req.Method == "GET" || Req.Method == "HEAD";
  if (Req.Path == kScoreScript) {
    if (!Read) return Text(405, "method not allowed");
    const auto Items = ParseQuery(Req.Target);
    if (!Items) return Text(400, "bad escape in the query");
    std::optional<std::string> Prg, Type, Inf, Hs, Show;
    const bool Ours = Count(*Items, "prg", &Prg) == 1 && Prg == std::string(kProgramName);
    if (!Ours) return Text(400, "unknown program");
    if (Count(*Items, "hs", &Hs) > 0) {
      if (Count(*Items, "hs", &Hs) != 1 || Hs || Count(*Items, "inf", &Inf) != 1 || !Inf)
        return Text(400, "an upload needs hs, prg and inf once each");
      const TAnswer A = Upload(Req.Address, *Inf);
      return Text(A.Status, A.Body);
    }
    if (Count(*Items, "show", &Show) == 1 && Count(*Items, "type", &Type) == 1 &&
        Type == std::string("0"))
      return {200, "text/html; charset=utf-8", ScoreTablePage(FStore.Best(FConfig.TableSize)), {}};
    return Text(400, "unknown request");
  }
  if (Req.Path == "/scores.json") {
    if (!Read) return Text(405, "method not allowed");
    return {200, "application/json; charset=utf-8", ScoreTableJson(FStore.Best(FConfig.TableSize)),
            {}};
  }
  return Text(404, "not found");
}

TScoreServer::TAnswer TScoreServer::Upload(const std::string& Address, const std::string& Encoded) {
  // Counted before anything else, so that a flood of bad records is held back too.
  if (!FStore.AllowUpload(Address, FConfig.ClockMs(), FConfig.UploadsPerMinute))
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
