#include "platform/FolderLock.h"

#include <windows.h>

#include "platform/Files.h"

namespace {

std::wstring Wide(const std::string& Utf8) {
  const int N =
      MultiByteToWideChar(CP_UTF8, 0, Utf8.data(), static_cast<int>(Utf8.size()), nullptr, 0);
  std::wstring W(static_cast<size_t>(N), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, Utf8.data(), static_cast<int>(Utf8.size()), W.data(), N);
  return W;
}

std::string Reason(DWORD Code) {
  char* Text = nullptr;
  const DWORD N = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, Code, 0, reinterpret_cast<char*>(&Text), 0, nullptr);
  std::string R = N > 0 ? std::string(Text, N) : "error " + std::to_string(Code);
  if (Text != nullptr) LocalFree(Text);
  while (!R.empty() && (R.back() == '\n' || R.back() == '\r' || R.back() == '.')) R.pop_back();
  return R;
}

}  // namespace

TFolderLock::~TFolderLock() {
  Release();
}

TFolderLock::TResult TFolderLock::Take(const std::string& LockName, std::string& Error) {
  Release();
  const std::string Folder = FolderOf(LockName);
  if (!Folder.empty() && !MakeFolders(Folder, Error)) return TResult::Failed;
  // Not inherited by the programs the game starts; shared, so that a second copy can open it to
  // find the lock taken.
  const HANDLE File = CreateFileW(Wide(LockName).c_str(), GENERIC_READ | GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (File == INVALID_HANDLE_VALUE) {
    Error = Reason(GetLastError());
    return TResult::Failed;
  }
  // Released by the system when the handle closes, whatever ends the process.
  OVERLAPPED At{};
  if (!LockFileEx(File, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &At)) {
    const DWORD Code = GetLastError();
    CloseHandle(File);
    if (Code == ERROR_LOCK_VIOLATION || Code == ERROR_IO_PENDING) return TResult::Busy;
    Error = Reason(Code);
    return TResult::Failed;
  }
  FHandle = reinterpret_cast<intptr_t>(File);
  return TResult::Held;
}

void TFolderLock::Release() {
  if (FHandle == -1) return;
  CloseHandle(reinterpret_cast<HANDLE>(FHandle));
  FHandle = -1;
}
