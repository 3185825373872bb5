// The save files' targets on Windows: the temporary files a cut-off save left, and the file a
// symbolic link stands for.

#include <windows.h>

#include <cstring>
#include <iterator>

#include "platform/Files.h"

namespace {

std::wstring Wide(const std::string& Utf8) {
  const int N =
      MultiByteToWideChar(CP_UTF8, 0, Utf8.data(), static_cast<int>(Utf8.size()), nullptr, 0);
  std::wstring W(static_cast<size_t>(N), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, Utf8.data(), static_cast<int>(Utf8.size()), W.data(), N);
  return W;
}

std::string Utf8(const std::wstring& Wide) {
  const int N = WideCharToMultiByte(CP_UTF8, 0, Wide.data(), static_cast<int>(Wide.size()), nullptr,
                                    0, nullptr, nullptr);
  std::string U(static_cast<size_t>(N), '\0');
  WideCharToMultiByte(CP_UTF8, 0, Wide.data(), static_cast<int>(Wide.size()), U.data(), N, nullptr,
                      nullptr);
  return U;
}

bool IsAlnum(char C) {
  return (C >= '0' && C <= '9') || (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z');
}

// Rest is what follows "target." in a folder entry's name: "saving" and six letters or digits
// (WriteTempBeside's), or six letters and digits not all lower-case (older builds').
bool IsTempSuffix(const std::string& Rest) {
  constexpr const char* KTag = "saving";
  const size_t Tag = std::strlen(KTag);
  if (Rest.size() == Tag + 6 && Rest.compare(0, Tag, KTag) == 0) {
    for (size_t I = Tag; I < Rest.size(); ++I)
      if (!IsAlnum(Rest[I])) return false;
    return true;
  }
  if (Rest.size() != 6) return false;
  bool Word = true;
  for (const char C : Rest) {
    if (!IsAlnum(C)) return false;
    Word = Word && C >= 'a' && C <= 'z';
  }
  return !Word;
}

}  // namespace

std::vector<std::string> TempFilesBeside(const std::string& Target) {
  std::vector<std::string> Found;
  const std::string Folder = FolderOf(Target);
  const size_t Start = Target.find_last_of("/\\");
  const std::string Base = Start == std::string::npos ? Target : Target.substr(Start + 1);
  if (Base.empty()) return Found;
  const std::string Prefix = Folder.empty() ? std::string() : Folder + "/";
  WIN32_FIND_DATAW Entry;
  const HANDLE Find = FindFirstFileW(Wide(Prefix + Base + ".*").c_str(), &Entry);
  if (Find == INVALID_HANDLE_VALUE) return Found;
  do {
    if (Entry.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))
      continue;
    const std::string Name = Utf8(Entry.cFileName);
    // Names are compared as the system does, without regard to case.
    if (Name.size() <= Base.size() + 1 || _strnicmp(Name.c_str(), Base.c_str(), Base.size()) != 0 ||
        Name[Base.size()] != '.' || !IsTempSuffix(Name.substr(Base.size() + 1)))
      continue;
    Found.push_back(Prefix + Name);
  } while (FindNextFileW(Find, &Entry));
  FindClose(Find);
  return Found;
}

std::string ResolveLinks(const std::string& Name) {
  const std::wstring W = Wide(Name);
  const DWORD Attributes = GetFileAttributesW(W.c_str());
  if (Attributes == INVALID_FILE_ATTRIBUTES || !(Attributes & FILE_ATTRIBUTE_REPARSE_POINT))
    return Name;
  // Opening the name follows the link; the system then says where the file really is.
  const HANDLE File =
      CreateFileW(W.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (File == INVALID_HANDLE_VALUE) return Name;
  wchar_t Buffer[4096];
  const DWORD N = GetFinalPathNameByHandleW(File, Buffer, static_cast<DWORD>(std::size(Buffer)),
                                            FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  CloseHandle(File);
  if (N == 0 || N >= std::size(Buffer)) return Name;
  std::wstring Final(Buffer, N);
  // "\\?\C:\..." is the long form of "C:\...".
  if (Final.rfind(L"\\\\?\\", 0) == 0 && Final.rfind(L"\\\\?\\UNC\\", 0) != 0) Final.erase(0, 4);
  return Utf8(Final);
}
