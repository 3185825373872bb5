#include "server/ScoreRecord.h"

#include <array>
#include <charconv>
#include <set>
#include <vector>

namespace {

bool IsNameChar(char C) {
  return (C >= '0' && C <= '9') || (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || C == ' ';
}

bool ValidText(const std::string& Text, size_t MaxLength, bool Underscore) {
  if (Text.size() > MaxLength) return false;
  for (char C : Text)
    if (!IsNameChar(C) && !(Underscore && C == '_')) return false;
  return true;
}

// The decimal text std::to_string gives for a 32-bit number: no sign but "-", no leading
// zeros, no "-0".
bool ParseScore(const std::string& Text, int32_t& Score) {
  if (Text.empty() || Text.size() > 11) return false;
  const size_t Digits = Text[0] == '-' ? 1 : 0;
  if (Digits == Text.size()) return false;
  if (Text[Digits] == '0' && (Text.size() > Digits + 1 || Digits == 1)) return false;
  for (size_t I = Digits; I < Text.size(); ++I)
    if (Text[I] < '0' || Text[I] > '9') return false;
  int64_t Value = 0;
  const auto [End, Ec] = std::from_chars(Text.data(), Text.data() + Text.size(), Value);
  if (Ec != std::errc() || End != Text.data() + Text.size()) return false;
  if (Value < INT32_MIN || Value > INT32_MAX) return false;
  Score = static_cast<int32_t>(Value);
  return true;
}

TRecordCheck Refused(TRecordError Error, std::string Reason) {
  TRecordCheck C;
  C.Error = Error;
  C.Reason = std::move(Reason);
  return C;
}

}  // namespace

bool ValidScoreAlphabet(const std::string& Alphabet) {
  if (Alphabet.size() != 32) return false;
  std::set<char> Seen;
  for (char C : Alphabet)
    if (C < '!' || C > '~' || !Seen.insert(C).second) return false;
  return true;
}

bool ValidScoreKey(const std::string& Key) {
  return Key.size() == 1 && Key[0] >= 'A' && Key[0] <= 'Z';
}

std::optional<std::string> DecodeFiveBitText(const std::string& Text, const std::string& Alphabet) {
  if (Text.empty() || Text.size() > kMaxEncodedLength || Text.size() % 8 != 0) return {};
  std::array<int, 256> Index;
  Index.fill(-1);
  for (size_t I = 0; I < Alphabet.size() && I < 32; ++I)
    Index[static_cast<unsigned char>(Alphabet[I])] = static_cast<int>(I);
  std::string Bytes;
  Bytes.reserve(Text.size() * 5 / 8);
  uint32_t Bits = 0;
  int Count = 0;
  for (char C : Text) {
    const int V = Index[static_cast<unsigned char>(C)];
    if (V < 0) return {};
    Bits = (Bits << 5) | static_cast<uint32_t>(V);
    Count += 5;
    if (Count >= 8) {
      Count -= 8;
      Bytes += static_cast<char>((Bits >> Count) & 0xFF);
    }
  }
  return Bytes;
}

TRecordCheck CheckScoreRecord(const std::string& Record, const std::string& Key) {
  static const char* const kFields[] = {"type", "name", "score", "key", "p", "add", "z"};
  std::vector<std::string> Values;
  size_t Start = 0;
  for (const char* Field : kFields) {
    const std::string Head = std::string(Field) + "=";
    if (Record.compare(Start, Head.size(), Head) != 0)
      return Refused(TRecordError::Malformed, std::string("no field ") + Field);
    Start += Head.size();
    const size_t Bar = Record.find('|', Start);
    const bool Last = Field == kFields[6];
    if (Last != (Bar == std::string::npos))
      return Refused(TRecordError::Malformed, std::string("bad field ") + Field);
    const size_t End = Last ? Record.size() : Bar;
    Values.push_back(Record.substr(Start, End - Start));
    Start = End + 1;
  }
  const std::string& Fill = Values[6];
  const size_t Unfilled = Record.size() - Fill.size();
  if (Fill != std::string((5 - Unfilled % 5) % 5, '0'))
    return Refused(TRecordError::Malformed, "bad fill");
  if (Values[0] != "0") return Refused(TRecordError::Malformed, "bad type");
  if (Values[4] != "") return Refused(TRecordError::Malformed, "bad field p");
  TRecordCheck C;
  if (!ValidText(Values[1], kMaxNameLength, false))
    return Refused(TRecordError::Malformed, "bad name");
  if (!ParseScore(Values[2], C.Record.Score)) return Refused(TRecordError::Malformed, "bad score");
  if (!ValidScoreKey(Values[3])) return Refused(TRecordError::Malformed, "bad key");
  if (!ValidText(Values[5], kMaxCountryLength, true))
    return Refused(TRecordError::Malformed, "bad country");
  if (Values[3] != Key) return Refused(TRecordError::WrongKey, "wrong key");
  C.Record.Name = Values[1];
  C.Record.Country = Values[5];
  return C;
}
