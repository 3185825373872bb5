#include "services/FilePair.h"

#include <array>
#include <cstdio>
#include <optional>
#include <vector>

#include "platform/Files.h"

namespace {

constexpr const char* KMarkerHeading = "tallowbrackles save pair 1";
constexpr size_t KMarkerMaxBytes = 16 * 1024;
// A save file is a few hundred bytes; anything far larger is not one of ours.
constexpr size_t KSaveMaxBytes = 64 * 1024;

// One new file of a pair: where it was written, what it replaces, and its hash.
struct TPairEntry {
  std::string Temp;
  std::string Target;
  uint64_t Hash = 0;
};

std::string HashText(uint64_t Hash) {
  char Text[17];
  std::snprintf(Text, sizeof Text, "%016llx", static_cast<unsigned long long>(Hash));
  return Text;
}

std::string MarkerText(const std::array<TPairEntry, 2>& Entries) {
  std::string Text = std::string(KMarkerHeading) + "\n";
  for (const TPairEntry& E : Entries)
    Text += E.Temp + "\n" + E.Target + "\n" + HashText(E.Hash) + "\n";
  return Text;
}

std::vector<std::string> SplitLines(const std::string& Text) {
  std::vector<std::string> Lines;
  size_t Start = 0;
  while (Start < Text.size()) {
    size_t End = Text.find('\n', Start);
    if (End == std::string::npos) End = Text.size();
    Lines.push_back(Text.substr(Start, End - Start));
    Start = End + 1;
  }
  return Lines;
}

// A new file's name is its target's and a suffix of its own, in the same folder.
bool IsTempOf(const std::string& Temp, const std::string& Target) {
  if (Temp.size() <= Target.size() + 1 || Temp.compare(0, Target.size(), Target) != 0 ||
      Temp[Target.size()] != '.')
    return false;
  return Temp.find_first_of("/\\", Target.size()) == std::string::npos;
}

// The marker's two entries, each naming one of the two targets; nothing for a marker
// that is not one of ours.
std::optional<std::array<TPairEntry, 2>> ParseMarker(const std::string& Text,
                                                     const std::string& Target1,
                                                     const std::string& Target2) {
  const std::vector<std::string> Lines = SplitLines(Text);
  if (Lines.size() != 7 || Lines[0] != KMarkerHeading) return std::nullopt;
  std::array<TPairEntry, 2> Entries;
  for (size_t I = 0; I < 2; ++I) {
    TPairEntry& E = Entries[I];
    E.Temp = Lines[1 + 3 * I];
    E.Target = Lines[2 + 3 * I];
    const std::string& Hash = Lines[3 + 3 * I];
    if (E.Target != (I == 0 ? Target1 : Target2) || !IsTempOf(E.Temp, E.Target) ||
        Hash.size() != 16 || Hash.find_first_not_of("0123456789abcdef") != std::string::npos)
      return std::nullopt;
    E.Hash = std::stoull(Hash, nullptr, 16);
  }
  return Entries;
}

void FlushFoldersOf(std::initializer_list<std::string> Names) {
  std::vector<std::string> Done;
  for (const std::string& Name : Names) {
    const std::string Folder = FolderOf(Name);
    bool Seen = false;
    for (const std::string& D : Done) Seen = Seen || D == Folder;
    if (Seen) continue;
    Done.push_back(Folder);
    FlushFolder(Folder);
  }
}

// Undoes a replacement that does not count: the marker first, so that a crash in between
// never leaves a marker naming one new file but not the other.
void RollBack(const std::string& MarkerName, std::initializer_list<std::string> NewFiles) {
  RemoveFile(MarkerName);
  FlushFolder(FolderOf(MarkerName));
  for (const std::string& N : NewFiles)
    if (!N.empty()) RemoveFile(N);
}

}  // namespace

uint64_t PairContentHash(const std::string& Content) {
  uint64_t Hash = 14695981039346656037ull;
  for (const char C : Content) Hash = (Hash ^ static_cast<uint8_t>(C)) * 1099511628211ull;
  return Hash;
}

TPairResult ReplaceFilePair(const TFileContent& First, const TFileContent& Second,
                            const std::string& MarkerName, std::string& Error,
                            const TPairFault& Fault) {
  const auto Go = [&Fault](TPairStep Step) { return !Fault || Fault(Step); };
  std::array<TPairEntry, 2> Entries;
  Entries[0].Target = ResolveLinks(First.Name);
  Entries[1].Target = ResolveLinks(Second.Name);
  for (const std::string& Name : {Entries[0].Target, Entries[1].Target, MarkerName}) {
    const std::string Folder = FolderOf(Name);
    if (!Folder.empty() && !MakeFolders(Folder, Error)) return TPairResult::NothingChanged;
  }
  const TFileContent* Contents[2] = {&First, &Second};
  const TPairStep Writes[2] = {TPairStep::WriteFirst, TPairStep::WriteSecond};
  for (size_t I = 0; I < 2; ++I) {
    if (!Go(Writes[I])) return TPairResult::Stopped;
    Entries[I].Hash = PairContentHash(Contents[I]->Content);
    Entries[I].Temp = WriteTempBeside(Entries[I].Target, Contents[I]->Content, Error);
    if (Entries[I].Temp.empty()) {
      if (I == 1) RemoveFile(Entries[0].Temp);
      return TPairResult::NothingChanged;
    }
  }
  const std::string& New1 = Entries[0].Temp;
  const std::string& New2 = Entries[1].Temp;
  if (!Go(TPairStep::FlushNewFiles)) return TPairResult::Stopped;
  FlushFoldersOf({New1, New2});

  if (!Go(TPairStep::WriteMarker)) return TPairResult::Stopped;
  const std::string Marker = WriteTempBeside(MarkerName, MarkerText(Entries), Error);
  if (Marker.empty()) {
    RemoveFile(New1);
    RemoveFile(New2);
    return TPairResult::NothingChanged;
  }
  if (!Go(TPairStep::PlaceMarker)) return TPairResult::Stopped;
  if (!RenameOver(Marker, MarkerName, Error)) {
    RemoveFile(Marker);
    RemoveFile(New1);
    RemoveFile(New2);
    return TPairResult::NothingChanged;
  }
  if (!Go(TPairStep::FlushMarker)) return TPairResult::Stopped;
  FlushFolder(FolderOf(MarkerName));

  if (!Go(TPairStep::RenameFirst)) return TPairResult::Stopped;
  if (!RenameOver(New1, Entries[0].Target, Error)) {
    RollBack(MarkerName, {New1, New2});
    return TPairResult::NothingChanged;
  }
  TPairResult Result = TPairResult::Replaced;
  if (!Go(TPairStep::RenameSecond)) return TPairResult::Stopped;
  if (!RenameOver(New2, Entries[1].Target, Error)) {
    RollBack(MarkerName, {New2});
    Result = TPairResult::FirstOnly;
  }
  if (!Go(TPairStep::FlushTargets)) return TPairResult::Stopped;
  FlushFoldersOf({Entries[0].Target, Entries[1].Target});
  if (!Go(TPairStep::RemoveMarker)) return TPairResult::Stopped;
  RemoveFile(MarkerName);
  if (!Go(TPairStep::FlushRemoval)) return TPairResult::Stopped;
  FlushFolder(FolderOf(MarkerName));
  return Result;
}

void RecoverFilePair(const std::string& FirstName, const std::string& SecondName,
                     const std::string& MarkerName) {
  const std::string Target1 = ResolveLinks(FirstName);
  const std::string Target2 = ResolveLinks(SecondName);
  std::string Text, Error;
  if (PathExists(MarkerName)) {
    const std::optional<std::array<TPairEntry, 2>> Entries =
        ReadFileBytes(MarkerName, Text, Error, KMarkerMaxBytes)
            ? ParseMarker(Text, Target1, Target2)
            : std::nullopt;
    // A new file that is still there must be the one the marker names; one that is gone
    // was renamed already.
    bool Whole = Entries.has_value();
    if (Entries) {
      for (const TPairEntry& E : *Entries) {
        if (!PathExists(E.Temp)) continue;
        std::string Content;
        Whole = Whole && ReadFileBytes(E.Temp, Content, Error, KSaveMaxBytes + 1) &&
                PairContentHash(Content) == E.Hash;
      }
    }
    if (Whole) {
      // The new pair counted when the save was cut off: its renames are completed.
      for (const TPairEntry& E : *Entries)
        if (PathExists(E.Temp)) RenameOver(E.Temp, E.Target, Error);
      FlushFoldersOf({Target1, Target2});
    }
    RemoveFile(MarkerName);
    FlushFolder(FolderOf(MarkerName));
  }
  // Whatever else a cut-off save left beside the files never counted.
  for (const std::string& Name : {Target1, Target2, FirstName, SecondName, MarkerName})
    for (const std::string& Left : TempFilesBeside(Name)) RemoveFile(Left);
}
