#pragma once
// One copy of the game per save folder: a lock on a file in it, held while the program
// runs. The system releases it when the process ends in any way (a crash, a kill, a power
// loss), so a copy that died never keeps the next one from starting.

#include <cstdint>
#include <string>

class TFolderLock {
 public:
  enum class TResult : uint8_t {
    Held,    // this process holds the lock
    Busy,    // another process holds it
    Failed,  // the lock file cannot be made or locked (a read-only folder): Error says why
  };
  TFolderLock() = default;
  ~TFolderLock();
  TFolderLock(const TFolderLock&) = delete;
  TFolderLock& operator=(const TFolderLock&) = delete;

  // Takes the lock on the file LockName (made when missing, with its folder; its content
  // is never touched) without waiting.
  TResult Take(const std::string& LockName, std::string& Error);
  void Release();

 private:
  intptr_t FHandle = -1;  // the system's handle of the open lock file
};
