// Files on POSIX systems: open, mmap, write, fsync, rename.

#include "platform/Files.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

namespace {

std::string Reason(int Error) {
  return std::strerror(Error);
}

bool WriteAll(int Fd, const std::string& Content) {
  const char* P = Content.data();
  size_t Left = Content.size();
  while (Left > 0) {
    const ssize_t N = ::write(Fd, P, Left);
    if (N < 0 && errno == EINTR) continue;
    if (N <= 0) {
      if (N == 0) errno = EIO;
      return false;
    }
    P += N;
    Left -= static_cast<size_t>(N);
  }
  return true;
}

// Reads Fd to its end (or to MaxBytes) into Bytes. SizeHint, when known, lets a regular
// file be read in one call into a buffer of its size.
bool ReadAll(int Fd, std::vector<uint8_t>& Bytes, size_t MaxBytes, size_t SizeHint) {
  size_t Have = 0;
  size_t Want = SizeHint > 0 ? SizeHint + 1 : 65536;  // + 1 to see the end in one call
  if (Want > MaxBytes) Want = MaxBytes;
  Bytes.resize(Want);
  while (Have < MaxBytes) {
    if (Have == Bytes.size())
      Bytes.resize(Bytes.size() * 2 < MaxBytes ? Bytes.size() * 2 : MaxBytes);
    const ssize_t N = ::read(Fd, Bytes.data() + Have, Bytes.size() - Have);
    if (N < 0 && errno == EINTR) continue;
    if (N < 0) return false;
    if (N == 0) break;
    Have += static_cast<size_t>(N);
  }
  Bytes.resize(Have);
  return true;
}

}  // namespace

TMappedFile::~TMappedFile() {
  Close();
}

void TMappedFile::Close() {
  if (FMapped != nullptr) ::munmap(FMapped, FMappedSize);
  FMapped = nullptr;
  FMappedSize = 0;
  FMapping = nullptr;  // a mapping is known by its address alone here
  FRead.clear();
  FBytes = {};
}

bool TMappedFile::Open(const std::string& Name, bool MapAhead, std::string& Error) {
  Close();
  const int Fd = ::open(Name.c_str(), O_RDONLY | O_CLOEXEC);
  if (Fd < 0) {
    Error = Reason(errno);
    return false;
  }
  struct stat Info {};
  const bool Regular = ::fstat(Fd, &Info) == 0 && S_ISREG(Info.st_mode);
  if (Regular && Info.st_size > 0) {
    void* P = ::mmap(nullptr, static_cast<size_t>(Info.st_size), PROT_READ,
                     MAP_PRIVATE | (MapAhead ? MAP_POPULATE : 0), Fd, 0);
    if (P != MAP_FAILED) {
      FMapped = P;
      FMappedSize = static_cast<size_t>(Info.st_size);
      FBytes = std::span<const uint8_t>(static_cast<const uint8_t*>(P), FMappedSize);
      ::close(Fd);
      return true;
    }
  }
  // Read from the descriptor already open: opening a pipe a second time would wait for a
  // writer that has gone.
  const bool Read = ReadAll(Fd, FRead, std::numeric_limits<size_t>::max(),
                            Regular ? static_cast<size_t>(Info.st_size) : 0);
  const int ReadError = errno;
  ::close(Fd);
  if (!Read) {
    FRead.clear();
    Error = Reason(ReadError);
    return false;
  }
  FBytes = FRead;
  return true;
}

bool ReadFileBytes(const std::string& Name, std::string& Bytes, std::string& Error,
                   size_t MaxBytes) {
  const int Fd = ::open(Name.c_str(), O_RDONLY | O_CLOEXEC);
  if (Fd < 0) {
    Error = Reason(errno);
    return false;
  }
  struct stat Info {};
  if (::fstat(Fd, &Info) == 0 && S_ISDIR(Info.st_mode)) {
    ::close(Fd);
    Error = Reason(EISDIR);
    return false;
  }
  std::vector<uint8_t> Read;
  const bool Ok =
      ReadAll(Fd, Read, MaxBytes, S_ISREG(Info.st_mode) ? static_cast<size_t>(Info.st_size) : 0);
  const int ReadError = errno;
  ::close(Fd);
  if (!Ok) {
    Error = Reason(ReadError);
    return false;
  }
  Bytes.assign(Read.begin(), Read.end());
  return true;
}

bool IsReadableFile(const std::string& Name) {
  if (Name.empty()) return false;
  const int Fd = ::open(Name.c_str(), O_RDONLY | O_CLOEXEC);
  if (Fd < 0) return false;
  struct stat Info {};
  const bool Ok = ::fstat(Fd, &Info) == 0 && !S_ISDIR(Info.st_mode);
  ::close(Fd);
  return Ok;
}

bool PathExists(const std::string& Name) {
  struct stat Info {};
  return !Name.empty() && ::stat(Name.c_str(), &Info) == 0;
}

bool MakeFolders(const std::string& Folder, std::string& Error) {
  if (Folder.empty()) return true;
  struct stat Info {};
  if (::stat(Folder.c_str(), &Info) == 0) {
    if (S_ISDIR(Info.st_mode)) return true;
    Error = Reason(ENOTDIR);
    return false;
  }
  const std::string Parent = FolderOf(Folder);
  if (!Parent.empty() && Parent != Folder && !MakeFolders(Parent, Error)) return false;
  if (::mkdir(Folder.c_str(), 0777) == 0 || errno == EEXIST) {
    if (::stat(Folder.c_str(), &Info) == 0 && S_ISDIR(Info.st_mode)) return true;
    Error = Reason(ENOTDIR);
    return false;
  }
  Error = Reason(errno);
  return false;
}

bool RemoveFile(const std::string& Name) {
  return ::unlink(Name.c_str()) == 0 || errno == ENOENT;
}

bool WriteWholeFile(const std::string& Name, const std::string& Content, std::string& Error) {
  const int Fd = ::open(Name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (Fd < 0) {
    Error = Reason(errno);
    return false;
  }
  const bool Written = WriteAll(Fd, Content);
  const int WriteError = errno;
  const bool Closed = ::close(Fd) == 0;
  if (!Written || !Closed) {
    Error = Reason(Written ? errno : WriteError);
    return false;
  }
  return true;
}

std::string WriteTempBeside(const std::string& Target, const std::string& Content,
                            std::string& Error) {
  std::string Temp = Target + ".XXXXXX";
  const int Fd = ::mkstemp(Temp.data());
  if (Fd < 0) {
    Error = Reason(errno);
    return {};
  }
  ::fchmod(Fd, 0644);
  const bool Written = WriteAll(Fd, Content) && ::fsync(Fd) == 0;
  const int WriteError = errno;
  const bool Closed = ::close(Fd) == 0;
  if (!Written || !Closed) {
    Error = Reason(Written ? errno : WriteError);
    ::unlink(Temp.c_str());
    return {};
  }
  return Temp;
}

bool RenameOver(const std::string& From, const std::string& To, std::string& Error) {
  if (::rename(From.c_str(), To.c_str()) == 0) return true;
  Error = Reason(errno);
  return false;
}

void FlushFolder(const std::string& Folder) {
  const int Fd = ::open(Folder.empty() ? "." : Folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (Fd < 0) return;
  ::fsync(Fd);
  ::close(Fd);
}

std::string FolderOf(const std::string& Name) {
  size_t End = Name.find_last_of('/');
  if (End == std::string::npos) return {};
  // "/x" lies in the root; "a//b" in "a".
  while (End > 0 && Name[End - 1] == '/') --End;
  return End == 0 ? std::string("/") : Name.substr(0, End);
}

std::tm LocalTime(std::time_t Moment) {
  std::tm Local{};
  ::localtime_r(&Moment, &Local);
  return Local;
}
