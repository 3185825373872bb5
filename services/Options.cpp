#include "services/Options.h"

#include <optional>
#include <vector>

#include "services/SaveFile.h"

namespace {

// Line 5: the file's code of a modifier. Alt wins over Ctrl, Ctrl over Shift.
int32_t BossShiftCode(uint8_t Shift) {
  if (Shift & kBossAlt) return 1;
  if (Shift & kBossCtrl) return 2;
  if (Shift & kBossShift) return 3;
  return 0;
}

// Line 6: "1".."12" for F1..F12, 0 for anything else.
int32_t BossKeyCode(uint16_t Key) {
  return Key >= kVkF1 && Key <= kVkF12 ? Key - (kVkF1 - 1) : 0;
}

}  // namespace

void SetDefaultOptions(TGameOptions& Options) {
  Options.FullScreen = false;
  Options.MusicOn = true;
  Options.SoundOn = true;
  Options.BossShift = kBossAlt;
  Options.BossKey = kVkF9;
  Options.Country = kDefaultCountry;
}

void LoadOptions(TGameOptions& Options, const std::string& FileName) {
  const std::optional<std::vector<std::string>> Lines = ReadTextLines(FileName);
  if (!Lines) {
    SetDefaultOptions(Options);
    return;
  }
  auto Line = [&](size_t Number) -> std::string {
    return Number <= Lines->size() ? (*Lines)[Number - 1] : std::string();
  };
  int32_t Numbers[7] = {};
  for (size_t Number : {1, 2, 3, 5, 6}) {
    const std::optional<int32_t> Value = ParseSaveNumber(Line(Number));
    if (!Value) {
      // Damaged like a missing file: nothing of it is taken.
      SetDefaultOptions(Options);
      return;
    }
    Numbers[Number - 1] = *Value;
  }
  Options.FullScreen = Numbers[0] != 0;
  Options.MusicOn = Numbers[1] != 0;
  Options.SoundOn = Numbers[2] != 0;
  Options.Country = Line(4);
  switch (Numbers[4]) {
    case 0:
      Options.BossShift = 0;
      break;
    case 1:
      Options.BossShift = kBossAlt;
      break;
    case 2:
      Options.BossShift = kBossCtrl;
      break;
    case 3:
      Options.BossShift = kBossShift;
      break;
    default:
      break;  // not a code of ours: as it was
  }
  if (Numbers[5] == 0) {
    Options.BossKey = 0;
  } else if (Numbers[5] >= 1 && Numbers[5] <= 12) {
    Options.BossKey = static_cast<uint16_t>(kVkF1 - 1 + Numbers[5]);
  }
  Options.HighScoreCheck = Line(7);
}

std::string OptionsFileText(const TGameOptions& Options, const std::string& HighScoreCheckText) {
  const std::string Lines[7] = {
      Options.FullScreen ? "1" : "0",
      Options.MusicOn ? "1" : "0",
      Options.SoundOn ? "1" : "0",
      OneLine(Options.Country),
      std::to_string(BossShiftCode(Options.BossShift)),
      std::to_string(BossKeyCode(Options.BossKey)),
      OneLine(HighScoreCheckText),
  };
  std::string Text;
  for (const std::string& L : Lines) Text += L + "\r\n";
  return Text;
}

bool SaveOptions(const TGameOptions& Options, const std::string& HighScoreCheckText,
                 const std::string& FileName) {
  return ReplaceFile(FileName, OptionsFileText(Options, HighScoreCheckText));
}
