#pragma once
// Where the maker's web site is and what its score script expects: compiled-in defaults,
// overridden by the optional text file Data/Online.ini of key=value lines (host, port,
// key, alphabet, home). Blank lines and lines starting with '#', ';' or '[' are skipped.

#include <cstdint>
#include <iosfwd>
#include <string>

inline constexpr const char* kOnlineConfigFile = "Data/Online.ini";

struct TOnlineConfig {
  std::string Host = "tallowbrackles.example";
  int32_t Port = 80;
  std::string Key = "T";                                      // one upper-case letter
  std::string Alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZ234567";  // 32 distinct characters
  std::string Home;  // the home page; empty = the site's root

  // "http://HOST" with ":PORT" unless the port is 80.
  std::string SiteUrl() const;
  std::string HomeUrl() const;
  // The world high-score page: the score script showing its table.
  std::string WorldTableUrl() const;
};

// A missing file keeps every default. Each bad line (no '=', an unknown key, a value that
// does not fit its key) is ignored with one message naming the file and the line on Errors.
TOnlineConfig LoadOnlineConfig(const std::string& FileName, std::ostream& Errors);
// The same on standard error.
TOnlineConfig LoadOnlineConfig(const std::string& FileName = kOnlineConfigFile);
