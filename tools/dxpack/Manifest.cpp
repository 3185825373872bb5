#include "tools/dxpack/Manifest.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <set>
#include <sstream>

#include "tools/dxpack/Palette.h"

namespace dxpack {

namespace {

bool ParseInt(const std::string& Text, int32_t& Value) {
  const char* End = Text.data() + Text.size();
  auto [Ptr, Ec] = std::from_chars(Text.data(), End, Value);
  return Ec == std::errc() && Ptr == End;
}

std::string Lower(std::string S) {
  std::transform(S.begin(), S.end(), S.begin(),
                 [](unsigned char C) { return static_cast<char>(std::tolower(C)); });
  return S;
}

}  // namespace

int32_t GridCount(int32_t W, int32_t H, int32_t PatternW, int32_t PatternH, int32_t SkipW,
                  int32_t SkipH, bool* Exact) {
  const int32_t IW = PatternW > 0 ? PatternW : W;
  const int32_t IH = PatternH > 0 ? PatternH : H;
  const int32_t A = IW + SkipW, C = IH + SkipH;
  if (Exact) *Exact = false;
  if (W <= 0 || H <= 0 || A <= 0 || C <= 0 || IW > W || IH > H) return 0;
  const int32_t Cols = (W + SkipW) / A, Rows = (H + SkipH) / C;
  if (Exact) *Exact = (W + SkipW) % A == 0 && (H + SkipH) % C == 0;
  return Cols * Rows;
}

bool ParseManifest(const std::string& Text, const std::string& FileName, TManifest& Manifest,
                   std::string& Error) {
  Manifest = TManifest{};
  std::istringstream In(Text);
  std::string Line;
  int LineNo = 0;
  bool KindKnown = false;
  std::set<std::string> Names;
  auto Fail = [&](const std::string& Why) {
    Error = FileName + ":" + std::to_string(LineNo) + ": " + Why;
    return false;
  };
  while (std::getline(In, Line)) {
    ++LineNo;
    // '#' starts a comment, except in a field that is a colour (#rrggbb) after the name.
    std::istringstream Fields(Line);
    std::vector<std::string> F;
    for (std::string W; Fields >> W;) {
      uint32_t Colour;
      if (W[0] == '#' && (F.empty() || !ParseHexColor(W, Colour))) break;
      F.push_back(W);
    }
    if (F.empty()) continue;
    TPackKind Kind;
    if (F.size() == 9) {
      Kind = TPackKind::Image;
    } else if (F.size() == 4) {
      Kind = TPackKind::Sound;
    } else {
      return Fail("expected 9 fields (picture) or 4 fields (sound), found " +
                  std::to_string(F.size()));
    }
    if (KindKnown && Kind != Manifest.Kind) return Fail("pictures and sounds mixed in one pack");
    Manifest.Kind = Kind;
    KindKnown = true;
    const std::string& Name = F[0];
    if (Name.size() > 255) return Fail("name longer than 255 bytes");
    if (!Names.insert(Lower(Name)).second)
      return Fail("name '" + Name + "' used twice (names ignore case)");
    if (Kind == TPackKind::Image) {
      TImageEntry E;
      E.Name = Name;
      E.Source = F[1];
      E.Line = LineNo;
      const char* FieldNames[] = {"pattern_w", "pattern_h", "count", "skip_w", "skip_h"};
      int32_t* Targets[] = {&E.PatternWidth, &E.PatternHeight, &E.Count, &E.SkipWidth,
                            &E.SkipHeight};
      for (int I = 0; I < 5; ++I) {
        if (!ParseInt(F[2 + I], *Targets[I]) || *Targets[I] < 0)
          return Fail(std::string(FieldNames[I]) + " '" + F[2 + I] +
                      "' is not a whole number >= 0");
      }
      if (E.Count < 1) return Fail("count must be at least 1");
      if (!ParseHexColor(F[7], E.KeyRgb)) return Fail("key '" + F[7] + "' is not #rrggbb");
      if (F[8] == "system") {
        E.SystemMemory = true;
      } else if (F[8] != "video") {
        return Fail("memory '" + F[8] + "' is neither system nor video");
      }
      Manifest.Images.push_back(E);
    } else {
      TSoundEntry E;
      E.Name = Name;
      E.Source = F[1];
      E.Line = LineNo;
      const std::string L = Lower(F[2]);
      if (L == "yes" || L == "true" || L == "1") {
        E.Looped = true;
      } else if (L != "no" && L != "false" && L != "0") {
        return Fail("looped '" + F[2] + "' is neither yes nor no");
      }
      if (!ParseInt(F[3], E.MaxPlayingCount) || E.MaxPlayingCount < 0)
        return Fail("max_playing '" + F[3] + "' is not a whole number >= 0");
      Manifest.Sounds.push_back(E);
    }
  }
  if (!KindKnown) {
    LineNo = 0;
    return Fail("no items");
  }
  return true;
}

}  // namespace dxpack
