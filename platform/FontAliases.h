#pragma once
// The game's font aliases (Data/fonts.conf) read without fontconfig, for the system that has
// none (Windows): the file's rules that give a face named by the game the families to look
// for, in fontconfig's own format, so that one file serves both systems.
//
// Read: <match target="pattern"> rules whose <test name="family"> names a face and whose
// <edit name="family" mode="assign|append|prepend"> give the families put in its place,
// after it or before it; <alias><family>F</family> with <prefer>, <accept> and <default>
// lists. Anything else in the file is passed over.

#include <string>
#include <string_view>
#include <vector>

class TFontAliases {
 public:
  // An unreadable or empty text gives no rules: every face is looked for as it is named.
  static TFontAliases Parse(std::string_view Text);

  // The families to look for, best first, for a face the game names: the rules applied in
  // the file's order, then "sans-serif" at the end as fontconfig's last resort, every alias
  // family expanded (its preferred families before it, the accepted after, the defaults at
  // the end). Names compare without regard to case; each family is listed once.
  std::vector<std::string> Families(const std::string& Face) const;

 private:
  struct TRule {
    std::string Test;
    std::vector<std::string> Assign, Append, Prepend;
  };
  struct TAlias {
    std::string Family;
    std::vector<std::string> Prefer, Accept, Default;
  };
  std::vector<TRule> FRules;
  std::vector<TAlias> FAliases;
};

// Case-insensitive comparison of two family names (ASCII letters).
bool SameFamily(std::string_view A, std::string_view B);
