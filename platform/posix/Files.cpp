// Files on POSIX systems: open, mmap, write, fsync, rename.

#include "platform/Files.h"

#include <dirent.h>
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

// What WriteTempBeside puts after the target's name and a dot; six random letters and
// digits follow (mkstemp's).
constexpr const char* KTempTag = "saving";
constexpr size_t KTempRandom = 6;

bool IsAlnum(char C) {
  return (C >= '0' && C <= '9') || (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z');
}

// Rest is what follows "target." in a folder entry's name.
bool IsTempSuffix(const std::string& Rest) {
  const size_t Tag = std::strlen(KTempTag);
  if (Rest.size() == Tag + KTempRandom && Rest.compare(0, Tag, KTempTag) == 0) {
    for (size_t I = Tag; I < Rest.size(); ++I)
      if (!IsAlnum(Rest[I])) return false;
    return true;
  }
  // Older builds wrote "target.XXXXXX". A suffix of lower-case letters only is more
  // likely a word of the player's ("hs.backup") than one of those.
  if (Rest.size() != KTempRandom) return false;
  bool Word = true;
  for (const char C : Rest) {
    if (!IsAlnum(C)) return false;
    Word = Word && C >= 'a' && C <= 'z';
  }
  return !Word;
}

// The permissions a file made now gets: everything the umask allows of rw-rw-rw-.
mode_t NewFileMode() {
  const mode_t Mask = ::umask(0);
  ::umask(Mask);
  return 0666 & ~Mask;
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
  std::string Temp = Target + "." + KTempTag + std::string(KTempRandom, 'X');
  const int Fd = ::mkstemp(Temp.data());
  if (Fd < 0) {
    Error = Reason(errno);
    return {};
  }
  // mkstemp makes the file for its owner alone; it takes the place of the old file, with
  // that file's permissions.
  struct stat Old {};
  ::fchmod(Fd, ::stat(Target.c_str(), &Old) == 0 ? (Old.st_mode & 07777) : NewFileMode());
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

std::vector<std::string> TempFilesBeside(const std::string& Target) {
  std::vector<std::string> Found;
  const std::string Folder = FolderOf(Target);
  const size_t Start = Target.find_last_of('/');
  const std::string Base = Start == std::string::npos ? Target : Target.substr(Start + 1);
  if (Base.empty()) return Found;
  DIR* D = ::opendir(Folder.empty() ? "." : Folder.c_str());
  if (D == nullptr) return Found;
  while (const dirent* E = ::readdir(D)) {
    const std::string Name = E->d_name;
    if (Name.size() <= Base.size() + 1 || Name.compare(0, Base.size(), Base) != 0 ||
        Name[Base.size()] != '.' || !IsTempSuffix(Name.substr(Base.size() + 1)))
      continue;
    const std::string Path = Folder.empty() ? Name : (Folder == "/" ? "/" : Folder + "/") + Name;
    struct stat St {};
    if (::lstat(Path.c_str(), &St) == 0 && S_ISREG(St.st_mode)) Found.push_back(Path);
  }
  ::closedir(D);
  return Found;
}

std::string ResolveLinks(const std::string& Name) {
  std::string Path = Name;
  // As many links as the system itself follows in one name.
  for (int Hop = 0; Hop < 40; ++Hop) {
    struct stat St {};
    if (::lstat(Path.c_str(), &St) != 0 || !S_ISLNK(St.st_mode)) return Path;
    std::string Target(4096, '\0');
    const ssize_t N = ::readlink(Path.c_str(), Target.data(), Target.size());
    if (N <= 0 || static_cast<size_t>(N) >= Target.size()) return Path;
    Target.resize(static_cast<size_t>(N));
    if (Target[0] != '/') {
      const std::string Folder = FolderOf(Path);
      if (!Folder.empty()) Target = (Folder == "/" ? "/" : Folder + "/") + Target;
    }
    Path = Target;
  }
  return Name;
}
