#include "platform/FontAliases.h"

#include <algorithm>
#include <cctype>

bool SameFamily(std::string_view A, std::string_view B) {
  return A.size() == B.size() && std::equal(A.begin(), A.end(), B.begin(), [](char X, char Y) {
           return std::tolower(static_cast<unsigned char>(X)) ==
                  std::tolower(static_cast<unsigned char>(Y));
         });
}

namespace {

// One tag of the file: its name (with a leading '/' for an end tag), its attributes' text,
// and whether it closes itself.
struct TTag {
  std::string Name;
  std::string Attributes;
  bool SelfClosing = false;
};

std::string Trimmed(std::string_view S) {
  const size_t First = S.find_first_not_of(" \t\r\n");
  if (First == std::string_view::npos) return "";
  const size_t Last = S.find_last_not_of(" \t\r\n");
  return std::string(S.substr(First, Last - First + 1));
}

// The few entities a family name may hold.
std::string Unescaped(std::string_view S) {
  std::string Out;
  for (size_t I = 0; I < S.size(); ++I) {
    if (S[I] == '&') {
      static const std::pair<std::string_view, char> Entities[] = {
          {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
      bool Found = false;
      for (const auto& [Name, C] : Entities)
        if (S.substr(I, Name.size()) == Name) {
          Out += C;
          I += Name.size() - 1;
          Found = true;
          break;
        }
      if (Found) continue;
    }
    Out += S[I];
  }
  return Trimmed(Out);
}

// The value of attribute Name in a tag's attribute text ("" when absent).
std::string Attribute(const std::string& Attributes, std::string_view Name) {
  size_t At = 0;
  while ((At = Attributes.find(Name, At)) != std::string::npos) {
    const bool Starts = At == 0 || std::isspace(static_cast<unsigned char>(Attributes[At - 1]));
    size_t Eq = At + Name.size();
    while (Eq < Attributes.size() && std::isspace(static_cast<unsigned char>(Attributes[Eq])))
      ++Eq;
    if (Starts && Eq < Attributes.size() && Attributes[Eq] == '=') {
      size_t Q = Eq + 1;
      while (Q < Attributes.size() && std::isspace(static_cast<unsigned char>(Attributes[Q]))) ++Q;
      if (Q < Attributes.size() && (Attributes[Q] == '"' || Attributes[Q] == '\'')) {
        const size_t End = Attributes.find(Attributes[Q], Q + 1);
        if (End != std::string::npos) return Attributes.substr(Q + 1, End - Q - 1);
      }
      return "";
    }
    At += Name.size();
  }
  return "";
}

// Puts Family into List at At unless it is there already; true when it was put.
bool AddOnce(std::vector<std::string>& List, size_t At, const std::string& Family) {
  for (const std::string& F : List)
    if (SameFamily(F, Family)) return false;
  List.insert(List.begin() + static_cast<std::ptrdiff_t>(std::min(At, List.size())), Family);
  return true;
}

}  // namespace

TFontAliases TFontAliases::Parse(std::string_view Text) {
  TFontAliases A;
  std::vector<TTag> Open;  // the elements the text stands in
  TRule Rule;
  TAlias Alias;
  bool InRule = false, InAlias = false, TestIsFamily = false;
  std::string EditMode;
  bool EditIsFamily = false;
  size_t At = 0;
  while (At < Text.size()) {
    const size_t Lt = Text.find('<', At);
    const std::string_view Between = Text.substr(At, (Lt == std::string_view::npos ? Text.size() : Lt) - At);
    const std::string Value = Unescaped(Between);
    if (!Value.empty() && !Open.empty()) {
      const std::string& Here = Open.back().Name;
      const std::string Parent = Open.size() >= 2 ? Open[Open.size() - 2].Name : "";
      if (InRule && Here == "string" && Parent == "test" && TestIsFamily) {
        Rule.Test = Value;
      } else if (InRule && Here == "string" && Parent == "edit" && EditIsFamily) {
        if (EditMode == "append" || EditMode == "append_last")
          Rule.Append.push_back(Value);
        else if (EditMode == "prepend" || EditMode == "prepend_first")
          Rule.Prepend.push_back(Value);
        else
          Rule.Assign.push_back(Value);
      } else if (InAlias && Here == "family") {
        if (Parent == "alias")
          Alias.Family = Value;
        else if (Parent == "prefer")
          Alias.Prefer.push_back(Value);
        else if (Parent == "accept")
          Alias.Accept.push_back(Value);
        else if (Parent == "default")
          Alias.Default.push_back(Value);
      }
    }
    if (Lt == std::string_view::npos) break;
    // Comments, declarations and processing instructions are passed over.
    if (Text.substr(Lt, 4) == "<!--") {
      const size_t End = Text.find("-->", Lt + 4);
      At = End == std::string_view::npos ? Text.size() : End + 3;
      continue;
    }
    const size_t Gt = Text.find('>', Lt);
    if (Gt == std::string_view::npos) break;
    At = Gt + 1;
    if (Text[Lt + 1] == '?' || Text[Lt + 1] == '!') continue;
    std::string Inner(Text.substr(Lt + 1, Gt - Lt - 1));
    TTag Tag;
    if (!Inner.empty() && Inner.back() == '/') {
      Tag.SelfClosing = true;
      Inner.pop_back();
    }
    const size_t Space = Inner.find_first_of(" \t\r\n");
    Tag.Name = Inner.substr(0, Space);
    if (Space != std::string::npos) Tag.Attributes = Inner.substr(Space);
    if (!Tag.Name.empty() && Tag.Name[0] == '/') {
      const std::string Name = Tag.Name.substr(1);
      if (Name == "match" && InRule) {
        if (!Rule.Test.empty()) A.FRules.push_back(Rule);
        InRule = false;
      } else if (Name == "alias" && InAlias) {
        if (!Alias.Family.empty()) A.FAliases.push_back(Alias);
        InAlias = false;
      }
      // Close up to the matching element (a stray end tag closes nothing).
      for (size_t I = Open.size(); I-- > 0;)
        if (Open[I].Name == Name) {
          Open.resize(I);
          break;
        }
      continue;
    }
    if (Tag.Name == "match") {
      InRule = Attribute(Tag.Attributes, "target").empty() ||
               Attribute(Tag.Attributes, "target") == "pattern";
      Rule = TRule{};
    } else if (Tag.Name == "alias") {
      InAlias = true;
      Alias = TAlias{};
    } else if (Tag.Name == "test") {
      TestIsFamily = Attribute(Tag.Attributes, "name") == "family";
    } else if (Tag.Name == "edit") {
      EditIsFamily = Attribute(Tag.Attributes, "name") == "family";
      EditMode = Attribute(Tag.Attributes, "mode");
    }
    if (!Tag.SelfClosing) Open.push_back(std::move(Tag));
  }
  return A;
}

std::vector<std::string> TFontAliases::Families(const std::string& Face) const {
  std::vector<std::string> List{Face};
  for (const TRule& R : FRules) {
    size_t At = 0;
    while (At < List.size() && !SameFamily(List[At], R.Test)) ++At;
    if (At == List.size()) continue;
    std::vector<std::string> Before = R.Prepend, After = R.Append;
    std::vector<std::string> Middle = R.Assign;
    if (Middle.empty()) Middle.push_back(List[At]);
    List.erase(List.begin() + static_cast<std::ptrdiff_t>(At));
    std::vector<std::string> Put = Before;
    Put.insert(Put.end(), Middle.begin(), Middle.end());
    Put.insert(Put.end(), After.begin(), After.end());
    for (const std::string& F : Put) At += AddOnce(List, At, F);
  }
  AddOnce(List, List.size(), "sans-serif");
  std::vector<std::string> Defaults;
  for (size_t I = 0; I < List.size(); ++I) {
    for (const TAlias& Al : FAliases) {
      if (!SameFamily(List[I], Al.Family)) continue;
      for (const std::string& F : Al.Prefer) I += AddOnce(List, I, F);
      size_t At = I + 1;
      for (const std::string& F : Al.Accept) At += AddOnce(List, At, F);
      Defaults.insert(Defaults.end(), Al.Default.begin(), Al.Default.end());
      break;
    }
  }
  for (const std::string& F : Defaults) AddOnce(List, List.size(), F);
  return List;
}
