#include "services/HighScores.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "services/SaveFile.h"

namespace {

constexpr int32_t kTableSize = 10;
constexpr int32_t kNewEntry = 11;

}  // namespace

void ResetHighScores(THighScores& Table) {
  for (int32_t I = 1; I <= kTableSize; ++I) Table[I] = {"ANONYMOUS", 5500 - 500 * I};
}

void LoadHighScores(THighScores& Table, const std::string& FileName) {
  const std::optional<std::vector<std::string>> Lines = ReadTextLines(FileName);
  if (!Lines) {
    ResetHighScores(Table);
    return;
  }
  auto Line = [&](size_t Number) -> std::string {
    return Number <= Lines->size() ? (*Lines)[Number - 1] : std::string();
  };
  THighScores Read = Table;
  for (int32_t I = 1; I <= kTableSize; ++I) {
    const std::optional<int32_t> Score = ParseSaveNumber(Line(2 * I));
    if (!Score) {
      // Damaged like a missing file: the default table.
      ResetHighScores(Table);
      return;
    }
    Read[I] = {Line(2 * I - 1), *Score};
  }
  Table = std::move(Read);
}

std::string HighScoreFileText(const THighScores& Table) {
  std::string Text;
  for (int32_t I = 1; I <= kTableSize; ++I)
    Text += OneLine(Table[I].Name) + "\r\n" + std::to_string(Table[I].Score) + "\r\n";
  return Text;
}

bool SaveHighScores(const THighScores& Table, const std::string& FileName) {
  return ReplaceFile(FileName, HighScoreFileText(Table));
}

uint8_t MixCheckChar(uint8_t A, uint8_t B) {
  return static_cast<uint8_t>((A + B) % 224 + 32);
}

std::string HighScoreCheckText(const THighScores& Table) {
  // As long as the longest name. A score text longer than that (every name short or
  // empty) would reach past the end, so the longest score text counts too; whenever some
  // name is at least as long as every score text this changes nothing.
  size_t Length = 0;
  for (int32_t I = 1; I <= kTableSize; ++I) {
    Length = std::max(Length, Table[I].Name.size());
    Length = std::max(Length, std::to_string(Table[I].Score).size());
  }
  std::string T(Length, ' ');
  auto Mix = [&T](const std::string& Text) {
    for (size_t J = 0; J < Text.size(); ++J)
      T[J] = static_cast<char>(
          MixCheckChar(static_cast<uint8_t>(T[J]), static_cast<uint8_t>(Text[J])));
  };
  for (int32_t I = 1; I <= kTableSize; ++I) {
    Mix(Table[I].Name);
    Mix(std::to_string(Table[I].Score));
  }
  return T;
}

bool HighScoreCheckOk(const THighScores& Table, const std::string& HighScoreCheck) {
  return HighScoreCheckText(Table) == HighScoreCheck;
}

bool ScoreQualifies(const THighScores& Table, int32_t Score) {
  for (int32_t I = 1; I <= kTableSize; ++I)
    if (Score > Table[I].Score) return true;
  return false;
}

void SwapHighScores(THighScores& Table, int32_t A, int32_t B) {
  std::swap(Table[A], Table[B]);
}

void SortHighScores(THighScores& Table) {
  for (int32_t Pass = 1; Pass <= kTableSize; ++Pass)
    for (int32_t A = 1; A <= kNewEntry - Pass; ++A)
      if (Table[A].Score < Table[A + 1].Score) SwapHighScores(Table, A, A + 1);
}

void EnterHighScore(THighScores& Table, const std::string& Name, int32_t Score) {
  Table[kNewEntry] = {Name, Score};
  SortHighScores(Table);
}
