#include "platform/Places.h"

#include <windows.h>
#include <shlobj.h>

#include <string>

#include "platform/windows/Wide.h"

namespace {

// The program's own folder, with a trailing backslash.
std::wstring ProgramFolder() {
  std::wstring Path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD Length = GetModuleFileNameW(nullptr, Path.data(), static_cast<DWORD>(Path.size()));
    if (Length == 0) return {};
    if (Length < Path.size()) {
      Path.resize(Length);
      break;
    }
    Path.resize(Path.size() * 2);
  }
  const size_t Slash = Path.find_last_of(L"\\/");
  return Slash == std::wstring::npos ? std::wstring() : Path.substr(0, Slash + 1);
}

// Whether a file can be made in Folder (made first when missing): a probe that goes away
// when its handle closes.
bool Writable(const std::wstring& Folder) {
  CreateDirectoryW(Folder.c_str(), nullptr);
  const std::wstring Probe = Folder + L"\\.write-probe";
  HANDLE H = CreateFileW(Probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (H == INVALID_HANDLE_VALUE) return false;
  CloseHandle(H);
  return true;
}

}  // namespace

TGamePlaces SettleGamePlaces() {
  const std::wstring Program = ProgramFolder();
  // The packs, music and fonts are read through relative "Data/..." paths.
  if (!Program.empty()) SetCurrentDirectoryW(Program.c_str());
  CreateDirectoryW(L"Data", nullptr);
  if (Writable(L"Data\\Save")) return {};
  PWSTR AppData = nullptr;
  if (SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_CREATE, nullptr, &AppData) != S_OK) {
    CoTaskMemFree(AppData);
    return {};  // nowhere better: saving will fail and say so
  }
  const std::wstring Root = std::wstring(AppData) + L"\\Tallow Brackles";
  CoTaskMemFree(AppData);
  CreateDirectoryW(Root.c_str(), nullptr);
  CreateDirectoryW((Root + L"\\Data").c_str(), nullptr);
  CreateDirectoryW((Root + L"\\Data\\Save").c_str(), nullptr);
  return {Utf8Of(Root) + "\\"};
}
