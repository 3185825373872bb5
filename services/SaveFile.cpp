#include "services/SaveFile.h"

#include <cstdint>
#include <limits>

#include "platform/Files.h"

namespace {

bool IsBlank(char C) {
  return C == ' ' || C == '\t';
}

}  // namespace

bool FileReadable(const std::string& Name) {
  return IsReadableFile(Name);
}

std::optional<std::vector<std::string>> ReadTextLines(const std::string& Name, size_t MaxBytes) {
  if (!FileReadable(Name)) return std::nullopt;
  std::string All, Error;
  if (!ReadFileBytes(Name, All, Error, MaxBytes + 1) || All.size() > MaxBytes) return std::nullopt;
  std::vector<std::string> Lines;
  size_t Start = 0;
  while (Start < All.size()) {
    size_t End = All.find('\n', Start);
    const bool Last = End == std::string::npos;
    if (Last) End = All.size();
    std::string Line = All.substr(Start, End - Start);
    if (!Line.empty() && Line.back() == '\r') Line.pop_back();
    Lines.push_back(std::move(Line));
    Start = Last ? All.size() : End + 1;
  }
  return Lines;
}

TAtomicFile::~TAtomicFile() {
  if (!FTemp.empty()) RemoveFile(FTemp);
}

bool TAtomicFile::Prepare(const std::string& Content) {
  if (!FTemp.empty()) {
    RemoveFile(FTemp);
    FTemp.clear();
  }
  std::string Error;
  // A save file that is a symbolic link is replaced where the link points.
  FTarget = ResolveLinks(FName);
  if (!MakeFolders(FolderOf(FTarget), Error)) return false;
  FTemp = WriteTempBeside(FTarget, Content, Error);
  return !FTemp.empty();
}

bool TAtomicFile::Commit() {
  if (FTemp.empty()) return false;
  std::string Error;
  const bool Renamed = RenameOver(FTemp, FTarget, Error);
  if (!Renamed) RemoveFile(FTemp);
  FTemp.clear();
  if (Renamed) FlushFolder(FolderOf(FTarget));
  return Renamed;
}

bool ReplaceFile(const std::string& Name, const std::string& Content) {
  TAtomicFile File(Name);
  return File.Prepare(Content) && File.Commit();
}

std::optional<int32_t> ParseSaveNumber(const std::string& Line) {
  size_t B = 0, E = Line.size();
  while (B < E && IsBlank(Line[B])) ++B;
  while (E > B && IsBlank(Line[E - 1])) --E;
  if (B == E) return 0;
  bool Negative = false;
  if (Line[B] == '-' || Line[B] == '+') {
    Negative = Line[B] == '-';
    ++B;
  }
  if (B == E) return std::nullopt;
  int64_t Value = 0;
  for (size_t I = B; I < E; ++I) {
    if (Line[I] < '0' || Line[I] > '9') return std::nullopt;
    Value = Value * 10 + (Line[I] - '0');
    if (Value > int64_t{std::numeric_limits<int32_t>::max()} + 1) return std::nullopt;
  }
  if (Negative) Value = -Value;
  if (Value > std::numeric_limits<int32_t>::max()) return std::nullopt;
  return static_cast<int32_t>(Value);
}

std::string OneLine(const std::string& Text) {
  std::string Out;
  for (char C : Text)
    if (C != '\r' && C != '\n') Out += C;
  return Out;
}
