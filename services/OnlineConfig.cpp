#include "services/OnlineConfig.h"

#include <algorithm>
#include <cctype>
#include <iostream>
#include <set>
#include <sstream>

#include "platform/Files.h"

namespace {

std::string Trim(const std::string& S) {
  size_t B = 0, E = S.size();
  while (B < E && std::isspace(static_cast<unsigned char>(S[B]))) ++B;
  while (E > B && std::isspace(static_cast<unsigned char>(S[E - 1]))) --E;
  return S.substr(B, E - B);
}

std::string Lower(std::string S) {
  for (char& C : S) C = static_cast<char>(std::tolower(static_cast<unsigned char>(C)));
  return S;
}

bool ValidHost(const std::string& V) {
  if (V.empty() || V.size() > 253) return false;
  return std::all_of(V.begin(), V.end(), [](char C) {
    return std::isalnum(static_cast<unsigned char>(C)) || C == '.' || C == '-';
  });
}

bool ParsePort(const std::string& V, int32_t& Port) {
  if (V.empty() || V.size() > 5) return false;
  if (!std::all_of(V.begin(), V.end(), [](char C) { return C >= '0' && C <= '9'; })) return false;
  const int32_t P = std::stoi(V);
  if (P < 1 || P > 65535) return false;
  Port = P;
  return true;
}

bool ValidAlphabet(const std::string& V) {
  if (V.size() != 32) return false;
  std::set<char> Seen;
  for (char C : V) {
    if (C < '!' || C > '~') return false;  // printable, no space
    if (!Seen.insert(C).second) return false;
  }
  return true;
}

bool ValidHome(const std::string& V) {
  const std::string L = Lower(V);
  if (L.rfind("http://", 0) != 0 && L.rfind("https://", 0) != 0) return false;
  return std::none_of(V.begin(), V.end(),
                      [](char C) { return static_cast<unsigned char>(C) <= ' '; });
}

// Applies one key=value; false when the key is unknown or the value does not fit it.
bool Apply(TOnlineConfig& C, const std::string& Key, const std::string& Value) {
  const std::string K = Lower(Key);
  if (K == "host") {
    if (!ValidHost(Value)) return false;
    C.Host = Value;
  } else if (K == "port") {
    return ParsePort(Value, C.Port);
  } else if (K == "key") {
    if (Value.size() != 1 || Value[0] < 'A' || Value[0] > 'Z') return false;
    C.Key = Value;
  } else if (K == "alphabet") {
    if (!ValidAlphabet(Value)) return false;
    C.Alphabet = Value;
  } else if (K == "home") {
    if (!ValidHome(Value)) return false;
    C.Home = Value;
  } else {
    return false;
  }
  return true;
}

// A line as it may go to a terminal: control and non-ASCII bytes as \xNN, and no more than
// 80 characters of it, so that a damaged file cannot flood or steer the terminal.
std::string Printable(const std::string& Line) {
  constexpr size_t Shown = 80;
  std::string Out;
  for (size_t I = 0; I < Line.size() && I < Shown; ++I) {
    const unsigned char C = static_cast<unsigned char>(Line[I]);
    if (C >= 0x20 && C < 0x7F && C != '\\') {
      Out += static_cast<char>(C);
    } else {
      static const char Hex[] = "0123456789abcdef";
      Out += "\\x";
      Out += Hex[C >> 4];
      Out += Hex[C & 15];
    }
  }
  if (Line.size() > Shown) Out += "...";
  return Out;
}

// The settings file is a few lines; anything much larger is not one.
constexpr std::streamsize MaxFileBytes = 64 * 1024;

}  // namespace

std::string TOnlineConfig::SiteUrl() const {
  return "http://" + Host + (Port == 80 ? std::string() : ":" + std::to_string(Port));
}

std::string TOnlineConfig::HomeUrl() const {
  return Home.empty() ? SiteUrl() + "/" : Home;
}

std::string TOnlineConfig::WorldTableUrl() const {
  return SiteUrl() + "/cgi/version.pl?prg=Tallowbrackle&type=0&show";
}

TOnlineConfig LoadOnlineConfig(const std::string& FileName, std::ostream& Errors) {
  TOnlineConfig C;
  std::string Text, Error;
  if (!ReadFileBytes(FileName, Text, Error, static_cast<size_t>(MaxFileBytes) + 1)) return C;
  if (static_cast<std::streamsize>(Text.size()) > MaxFileBytes) {
    Errors << FileName << ": larger than " << MaxFileBytes << " bytes, ignored\n";
    return C;
  }
  std::istringstream In(Text);
  std::string Line;
  for (int32_t Number = 1; std::getline(In, Line); ++Number) {
    const std::string T = Trim(Line);
    if (T.empty() || T[0] == '#' || T[0] == ';' || T[0] == '[') continue;
    const size_t Eq = T.find('=');
    if (Eq != std::string::npos && Apply(C, Trim(T.substr(0, Eq)), Trim(T.substr(Eq + 1))))
      continue;
    Errors << FileName << ":" << Number << ": ignored line \"" << Printable(T) << "\"\n";
  }
  return C;
}

TOnlineConfig LoadOnlineConfig(const std::string& FileName) {
  return LoadOnlineConfig(FileName, std::cerr);
}
