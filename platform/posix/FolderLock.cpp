#include "platform/FolderLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/Files.h"

TFolderLock::~TFolderLock() {
  Release();
}

TFolderLock::TResult TFolderLock::Take(const std::string& LockName, std::string& Error) {
  Release();
  const std::string Folder = FolderOf(LockName);
  if (!Folder.empty() && !MakeFolders(Folder, Error)) return TResult::Failed;
  // Not inherited by the programs the game starts (a browser for a web page), which would
  // otherwise hold the lock after the game ended.
  const int Fd = ::open(LockName.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (Fd < 0) {
    Error = std::strerror(errno);
    return TResult::Failed;
  }
  // flock: tied to this open file, released by the system when the process ends.
  while (::flock(Fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    const int Reason = errno;
    ::close(Fd);
    if (Reason == EWOULDBLOCK) return TResult::Busy;
    Error = std::strerror(Reason);
    return TResult::Failed;
  }
  FHandle = Fd;
  return TResult::Held;
}

void TFolderLock::Release() {
  if (FHandle < 0) return;
  ::close(static_cast<int>(FHandle));  // closing the file lets the lock go
  FHandle = -1;
}
