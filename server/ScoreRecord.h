#pragma once
// The upload's record as the server reads it: the inverse of the game's encoding (8-bit
// codes in 5-bit groups, each group one character of the 32-character code table) and the
// check of the record's fields.
//
// The game sends "type=0|name=NAME|score=SCORE|key=KEY|p=|add=COUNTRY|z=" filled with "0"
// to a multiple of 5 characters. Names hold 0-9, A-Z, a-z and space, at most 12; the
// country the same or "_", at most 12 ("_______" until the player sets one).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

inline constexpr const char* kDefaultScoreAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZ234567";
inline constexpr const char* kDefaultScoreKey = "T";
inline constexpr size_t kMaxNameLength = 12;
inline constexpr size_t kMaxCountryLength = 12;
// The longest record the game can send (12-character name and country, score -2147483648)
// is 75 characters, filled to 80, encoded in 128.
inline constexpr size_t kMaxEncodedLength = 128;

// The text's characters as 5-bit indices into Alphabet, read back into bytes. Nothing when
// a character is not in the table, the text is empty or longer than kMaxEncodedLength, or
// its length is not a multiple of 8 (the game's records fill whole 5-byte groups).
std::optional<std::string> DecodeFiveBitText(const std::string& Text, const std::string& Alphabet);

struct TScoreRecord {
  std::string Name;
  int32_t Score = 0;
  std::string Country;
};

enum class TRecordError {
  None,
  Malformed,  // not the game's record: fields, order, characters, fill or a number
  WrongKey,   // a well-formed record with another key letter
};

struct TRecordCheck {
  TRecordError Error = TRecordError::None;
  TScoreRecord Record;
  std::string Reason;  // why it was refused, for the log and the answer
};

// Checks a decoded record field by field against what the game sends.
TRecordCheck CheckScoreRecord(const std::string& Record, const std::string& Key);

// 32 distinct printable characters, no space.
bool ValidScoreAlphabet(const std::string& Alphabet);
// One upper-case letter.
bool ValidScoreKey(const std::string& Key);
