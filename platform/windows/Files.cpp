// Files on Windows: UTF-8 names turned wide at the API, CreateFileMappingW for the packs,
// FlushFileBuffers before MoveFileExW(MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
// for an atomic replace (rename over an existing file fails there), GetLastError()'s text
// as the reason.

#include "platform/Files.h"

#include <windows.h>

#include <atomic>
#include <ctime>

#include "platform/windows/Wide.h"

namespace {

std::string LastError() {
  return ErrorText(GetLastError());
}

struct TFile {
  HANDLE H = INVALID_HANDLE_VALUE;
  explicit TFile(HANDLE Handle) : H(Handle) {}
  ~TFile() {
    if (H != INVALID_HANDLE_VALUE) CloseHandle(H);
  }
  TFile(const TFile&) = delete;
  TFile& operator=(const TFile&) = delete;
  bool Ok() const { return H != INVALID_HANDLE_VALUE; }
  // Closes now, for a caller that must know whether closing worked.
  bool Close() {
    const bool Closed = CloseHandle(H) != 0;
    H = INVALID_HANDLE_VALUE;
    return Closed;
  }
};

HANDLE OpenForReading(const std::string& Name) {
  // Others may read, write, rename or delete it meanwhile, as on POSIX.
  return CreateFileW(WideOf(Name).c_str(), GENERIC_READ,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
}

bool WriteAll(HANDLE H, const std::string& Content) {
  const char* P = Content.data();
  size_t Left = Content.size();
  while (Left > 0) {
    const DWORD Chunk = Left > (1u << 30) ? (1u << 30) : static_cast<DWORD>(Left);
    DWORD Written = 0;
    if (!WriteFile(H, P, Chunk, &Written, nullptr)) return false;
    if (Written == 0) {
      SetLastError(ERROR_WRITE_FAULT);
      return false;
    }
    P += Written;
    Left -= Written;
  }
  return true;
}

// Reads H to its end (or to MaxBytes) into Bytes.
bool ReadAll(HANDLE H, std::vector<uint8_t>& Bytes, size_t MaxBytes, size_t SizeHint) {
  size_t Have = 0;
  size_t Want = SizeHint > 0 ? SizeHint + 1 : 65536;
  if (Want > MaxBytes) Want = MaxBytes;
  Bytes.resize(Want);
  while (Have < MaxBytes) {
    if (Have == Bytes.size())
      Bytes.resize(Bytes.size() * 2 < MaxBytes ? Bytes.size() * 2 : MaxBytes);
    const size_t Room = Bytes.size() - Have;
    const DWORD Chunk = Room > (1u << 30) ? (1u << 30) : static_cast<DWORD>(Room);
    DWORD Read = 0;
    if (!ReadFile(H, Bytes.data() + Have, Chunk, &Read, nullptr)) {
      // The writer of a pipe closed its end: that is the end of the data.
      if (GetLastError() == ERROR_BROKEN_PIPE) break;
      return false;
    }
    if (Read == 0) break;
    Have += Read;
  }
  Bytes.resize(Have);
  return true;
}

// The file's size when H is a regular disk file, else -1 (a folder, a pipe, a device).
long long DiskFileSize(HANDLE H) {
  if (GetFileType(H) != FILE_TYPE_DISK) return -1;
  BY_HANDLE_FILE_INFORMATION Info{};
  if (!GetFileInformationByHandle(H, &Info) || (Info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return -1;
  return static_cast<long long>(Info.nFileSizeHigh) << 32 | Info.nFileSizeLow;
}

bool IsFolder(const std::string& Name) {
  const DWORD A = GetFileAttributesW(WideOf(Name).c_str());
  return A != INVALID_FILE_ATTRIBUTES && (A & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsSeparator(char C) {
  return C == '/' || C == '\\';
}

}  // namespace

TMappedFile::~TMappedFile() {
  Close();
}

void TMappedFile::Close() {
  if (FMapped != nullptr) UnmapViewOfFile(FMapped);
  if (FMapping != nullptr) CloseHandle(FMapping);
  FMapped = nullptr;
  FMappedSize = 0;
  FMapping = nullptr;
  FRead.clear();
  FBytes = {};
}

bool TMappedFile::Open(const std::string& Name, bool MapAhead, std::string& Error) {
  Close();
  if (IsFolder(Name)) {
    Error = ErrorText(ERROR_DIRECTORY);
    return false;
  }
  TFile File(OpenForReading(Name));
  if (!File.Ok()) {
    Error = LastError();
    return false;
  }
  const long long Size = DiskFileSize(File.H);
  if (Size > 0 && static_cast<unsigned long long>(Size) <= SIZE_MAX) {
    HANDLE Mapping = CreateFileMappingW(File.H, nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (Mapping != nullptr) {
      void* P = MapViewOfFile(Mapping, FILE_MAP_READ, 0, 0, 0);
      if (P != nullptr) {
        FMapping = Mapping;
        FMapped = P;
        FMappedSize = static_cast<size_t>(Size);
        FBytes = std::span<const uint8_t>(static_cast<const uint8_t*>(P), FMappedSize);
        if (MapAhead) {
          // Asks for every page at once, as MAP_POPULATE does; only a hint.
          WIN32_MEMORY_RANGE_ENTRY Range{P, FMappedSize};
          PrefetchVirtualMemory(GetCurrentProcess(), 1, &Range, 0);
        }
        return true;
      }
      CloseHandle(Mapping);
    }
  }
  if (!ReadAll(File.H, FRead, std::numeric_limits<size_t>::max(),
               Size > 0 ? static_cast<size_t>(Size) : 0)) {
    Error = LastError();
    FRead.clear();
    return false;
  }
  FBytes = FRead;
  return true;
}

bool ReadFileBytes(const std::string& Name, std::string& Bytes, std::string& Error,
                   size_t MaxBytes) {
  if (IsFolder(Name)) {
    Error = ErrorText(ERROR_DIRECTORY);
    return false;
  }
  TFile File(OpenForReading(Name));
  if (!File.Ok()) {
    Error = LastError();
    return false;
  }
  const long long Size = DiskFileSize(File.H);
  std::vector<uint8_t> Read;
  if (!ReadAll(File.H, Read, MaxBytes, Size > 0 ? static_cast<size_t>(Size) : 0)) {
    Error = LastError();
    return false;
  }
  Bytes.assign(Read.begin(), Read.end());
  return true;
}

bool IsReadableFile(const std::string& Name) {
  if (Name.empty() || IsFolder(Name)) return false;
  TFile File(OpenForReading(Name));
  return File.Ok();
}

bool PathExists(const std::string& Name) {
  return !Name.empty() && GetFileAttributesW(WideOf(Name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool MakeFolders(const std::string& Folder, std::string& Error) {
  if (Folder.empty()) return true;
  const std::wstring Wide = WideOf(Folder);
  const DWORD A = GetFileAttributesW(Wide.c_str());
  if (A != INVALID_FILE_ATTRIBUTES) {
    if (A & FILE_ATTRIBUTE_DIRECTORY) return true;
    Error = ErrorText(ERROR_DIRECTORY);
    return false;
  }
  const std::string Parent = FolderOf(Folder);
  if (!Parent.empty() && Parent != Folder && !MakeFolders(Parent, Error)) return false;
  if (CreateDirectoryW(Wide.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS) {
    if (IsFolder(Folder)) return true;
    Error = ErrorText(ERROR_DIRECTORY);
    return false;
  }
  Error = LastError();
  return false;
}

bool RemoveFile(const std::string& Name) {
  if (DeleteFileW(WideOf(Name).c_str())) return true;
  const DWORD Code = GetLastError();
  return Code == ERROR_FILE_NOT_FOUND || Code == ERROR_PATH_NOT_FOUND;
}

bool WriteWholeFile(const std::string& Name, const std::string& Content, std::string& Error) {
  TFile File(CreateFileW(WideOf(Name).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                         CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!File.Ok()) {
    Error = LastError();
    return false;
  }
  if (!WriteAll(File.H, Content)) {
    Error = LastError();
    return false;
  }
  if (!File.Close()) {
    Error = LastError();
    return false;
  }
  return true;
}

std::string WriteTempBeside(const std::string& Target, const std::string& Content,
                            std::string& Error) {
  // A name no other writer picks: the process, a counter and the clock; CREATE_NEW refuses
  // a file that is there after all, and the next name is tried.
  static std::atomic<unsigned> Counter{0};
  for (int Attempt = 0; Attempt < 100; ++Attempt) {
    const std::string Temp = Target + "." + std::to_string(GetCurrentProcessId()) + "-" +
                             std::to_string(Counter++) + "-" + std::to_string(GetTickCount64() % 100000) +
                             ".tmp";
    const std::wstring Wide = WideOf(Temp);
    TFile File(CreateFileW(Wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!File.Ok()) {
      if (GetLastError() == ERROR_FILE_EXISTS) continue;
      Error = LastError();
      return {};
    }
    const bool Written = WriteAll(File.H, Content) && FlushFileBuffers(File.H);
    const DWORD WriteError = GetLastError();
    const bool Closed = File.Close();
    if (!Written || !Closed) {
      Error = ErrorText(Written ? GetLastError() : WriteError);
      DeleteFileW(Wide.c_str());
      return {};
    }
    return Temp;
  }
  Error = ErrorText(ERROR_FILE_EXISTS);
  return {};
}

bool RenameOver(const std::string& From, const std::string& To, std::string& Error) {
  if (MoveFileExW(WideOf(From).c_str(), WideOf(To).c_str(),
                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return true;
  Error = LastError();
  return false;
}

void FlushFolder(const std::string&) {
  // MOVEFILE_WRITE_THROUGH has put the rename on the disk already; NTFS keeps a folder's
  // entries in its journal and offers no flush of a folder handle to ordinary programs.
}

std::string FolderOf(const std::string& Name) {
  size_t End = Name.find_last_of("/\\");
  if (End == std::string::npos) return {};
  while (End > 0 && IsSeparator(Name[End - 1])) --End;
  if (End == 0) return Name.substr(0, 1);       // "\x" lies in the root of the drive
  if (End == 2 && Name[1] == ':') return Name.substr(0, 3);  // "C:\x" in "C:\"
  return Name.substr(0, End);
}

std::tm LocalTime(std::time_t Moment) {
  std::tm Local{};
  localtime_s(&Local, &Moment);
  return Local;
}
