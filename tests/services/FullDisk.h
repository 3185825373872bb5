#pragma once
// A disk that fills after a few bytes, for tests of saving: while it lives the process may
// not write files larger than Bytes (the write fails with EFBIG; SIGXFSZ is ignored).
#include <sys/resource.h>

#include <csignal>

class TFullDisk {
 public:
  explicit TFullDisk(rlim_t Bytes) {
    getrlimit(RLIMIT_FSIZE, &FOld);
    FOldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit Small = FOld;
    Small.rlim_cur = Bytes;
    setrlimit(RLIMIT_FSIZE, &Small);
  }
  ~TFullDisk() {
    setrlimit(RLIMIT_FSIZE, &FOld);
    std::signal(SIGXFSZ, FOldHandler);
  }
  TFullDisk(const TFullDisk&) = delete;
  TFullDisk& operator=(const TFullDisk&) = delete;

 private:
  rlimit FOld{};
  void (*FOldHandler)(int) = nullptr;
};
