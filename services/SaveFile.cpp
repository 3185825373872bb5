#include "services/SaveFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <limits>

namespace fs = std::filesystem;

namespace {

bool WriteAll(int Fd, const std::string& Content) {
  const char* P = Content.data();
  size_t Left = Content.size();
  while (Left > 0) {
    const ssize_t N = ::write(Fd, P, Left);
    if (N < 0 && errno == EINTR) continue;
    if (N <= 0) return false;
    P += N;
    Left -= static_cast<size_t>(N);
  }
  return true;
}

// Flushes a folder's entries, so that a rename inside it survives a power loss.
void SyncFolder(const fs::path& Folder) {
  const int Fd = ::open(Folder.empty() ? "." : Folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (Fd < 0) return;
  ::fsync(Fd);
  ::close(Fd);
}

bool IsBlank(char C) {
  return C == ' ' || C == '\t';
}

}  // namespace

bool FileReadable(const std::string& Name) {
  if (Name.empty()) return false;
  const int Fd = ::open(Name.c_str(), O_RDONLY);
  if (Fd < 0) return false;
  struct stat St {};
  const bool Ok = ::fstat(Fd, &St) == 0 && !S_ISDIR(St.st_mode);
  ::close(Fd);
  return Ok;
}

std::optional<std::vector<std::string>> ReadTextLines(const std::string& Name, size_t MaxBytes) {
  if (!FileReadable(Name)) return std::nullopt;
  std::ifstream In(Name, std::ios::binary);
  if (!In) return std::nullopt;
  std::string All;
  char Buffer[4096];
  while (In.read(Buffer, sizeof Buffer) || In.gcount() > 0) {
    All.append(Buffer, static_cast<size_t>(In.gcount()));
    if (All.size() > MaxBytes) return std::nullopt;
  }
  if (In.bad()) return std::nullopt;
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
  if (!FTemp.empty()) ::unlink(FTemp.c_str());
}

bool TAtomicFile::Prepare(const std::string& Content) {
  if (!FTemp.empty()) {
    ::unlink(FTemp.c_str());
    FTemp.clear();
  }
  const fs::path Target(FName);
  std::error_code Ec;
  if (Target.has_parent_path()) {
    fs::create_directories(Target.parent_path(), Ec);
    if (Ec) return false;
  }
  // A unique name beside the target: the same file system, so the rename is atomic.
  std::string Temp = FName + ".XXXXXX";
  const int Fd = ::mkstemp(Temp.data());
  if (Fd < 0) return false;
  ::fchmod(Fd, 0644);
  const bool Written = WriteAll(Fd, Content) && ::fsync(Fd) == 0;
  const bool Closed = ::close(Fd) == 0;
  if (!Written || !Closed) {
    ::unlink(Temp.c_str());
    return false;
  }
  FTemp = std::move(Temp);
  return true;
}

bool TAtomicFile::Commit() {
  if (FTemp.empty()) return false;
  const bool Renamed = ::rename(FTemp.c_str(), FName.c_str()) == 0;
  if (!Renamed) ::unlink(FTemp.c_str());
  FTemp.clear();
  if (Renamed) SyncFolder(fs::path(FName).parent_path());
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
