#pragma once
// The player's settings and their file Data/Save/options: read once at start-up, written
// with the high-score table (services/SaveGames.h) after every change and at the end.
// Seven lines, each ended by CR LF:
//   1 full screen "1"/"0"   2 music "1"/"0"   3 sound "1"/"0"   4 the country, as typed
//   5 the boss key's modifier: "1" Alt, "2" Ctrl, "3" Shift, "0" none
//   6 the boss key: "1".."12" for F1..F12, "0" for none
//   7 the check text of the high-score table saved beside it
// The file also carries the table's check text so that a high-score file edited by hand is
// found out at the next start.

#include <cstdint>
#include <string>

inline constexpr const char* kOptionsFile = "Data/Save/options";
inline constexpr const char* kDefaultCountry = "_______";

// Modifier bits of the boss key (at most one is set; 0 = no modifier).
enum : uint8_t {
  kBossShift = 1,
  kBossAlt = 2,
  kBossCtrl = 4,
};
inline constexpr uint16_t kVkF1 = 112;
inline constexpr uint16_t kVkF9 = 120;
inline constexpr uint16_t kVkF12 = 123;

// One instance, owned by the main window. The boss key and the check text read from the
// file travel with the four settings of the options screen, since the same file holds
// them. Everything starts at zero, as before any loading: a file line that holds no valid
// code leaves its setting at that value.
struct TGameOptions {
  bool FullScreen = false;
  bool MusicOn = false;
  bool SoundOn = false;
  std::string Country;
  uint8_t BossShift = 0;  // kBossShift / kBossAlt / kBossCtrl, or 0
  uint16_t BossKey = 0;   // a virtual-key code, F1..F12, or 0 = no boss key
  // The high-score check text as read from the file; empty when there was none.
  std::string HighScoreCheck;
};

// Window, music and sound on, Alt+F9, the country "_______". HighScoreCheck is kept.
void SetDefaultOptions(TGameOptions& Options);

// Reads the file when it is readable; otherwise, or when one of its number lines holds no
// whole number, the defaults (and HighScoreCheck as it was). Missing lines read as 0 or as
// empty text. Non-zero means on; a modifier or key code outside the listed ones leaves
// that setting as it was.
void LoadOptions(TGameOptions& Options, const std::string& FileName = kOptionsFile);

// The file's seven lines; HighScoreCheckText is the check text of the table that is saved
// with it.
std::string OptionsFileText(const TGameOptions& Options, const std::string& HighScoreCheckText);

// Replaces the file atomically (the folder is made when missing). False when it cannot be
// written; the previous file is then whole.
bool SaveOptions(const TGameOptions& Options, const std::string& HighScoreCheckText,
                 const std::string& FileName = kOptionsFile);
