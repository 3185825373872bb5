#pragma once
// The local table of the ten best results and its file Data/Save/hs: twenty lines ended
// by CR LF, a name line then a score line (decimal, "-" when negative) for entries 1..10.
// The table's check text goes into the options file; a table that does not match it at
// the next start was edited by hand and is thrown away.

#include <array>
#include <cstdint>
#include <string>

inline constexpr const char* kHighScoreFile = "Data/Save/hs";

struct THighScore {
  std::string Name;  // as typed in the name entry: up to 12 of 0-9, A-Z, a-z and space
  int32_t Score = 0;
};

// Entries 1..10 are the table in falling order of score; 11 is where a new result waits
// for the sort, and whatever sorts into it drops out. Entry 0 is not used.
using THighScores = std::array<THighScore, 12>;

// Entry i of 1..10: "ANONYMOUS" with 5500 - 500 i (5000 down to 500). Entry 11 is kept.
void ResetHighScores(THighScores& Table);

// Reads entries 1..10 when the file is readable; otherwise, or when a score line holds no
// whole number, the default table. Missing lines give an empty name and a score of 0.
void LoadHighScores(THighScores& Table, const std::string& FileName = kHighScoreFile);

// The file's twenty lines.
std::string HighScoreFileText(const THighScores& Table);

// Replaces the file atomically (the folder is made when missing). False when it cannot be
// written; the previous file is then whole.
bool SaveHighScores(const THighScores& Table, const std::string& FileName = kHighScoreFile);

// ((A + B) mod 224) + 32: a character code of 32..255.
uint8_t MixCheckChar(uint8_t A, uint8_t B);

// Every name and every score text of entries 1..10 mixed, position by position, into a
// text as long as the longest of them (so never a line end, only codes 32..255).
std::string HighScoreCheckText(const THighScores& Table);

// True when the table's check text equals the one read from the options file.
bool HighScoreCheckOk(const THighScores& Table, const std::string& HighScoreCheck);

// True when Score beats at least one of entries 1..10; an equal score does not.
bool ScoreQualifies(const THighScores& Table, int32_t Score);

// Bubble sort of entries 1..11 by falling score. Equal scores are never swapped, so an
// older entry stays above a new one with the same score.
void SortHighScores(THighScores& Table);
void SwapHighScores(THighScores& Table, int32_t A, int32_t B);

// The name entry's result: put into entry 11, then sorted into place (or out).
void EnterHighScore(THighScores& Table, const std::string& Name, int32_t Score);
