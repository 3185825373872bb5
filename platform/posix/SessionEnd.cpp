#include "platform/SessionEnd.h"

#include <signal.h>

namespace {

// Written by the signal handler, read by the frame loop: the one thing a handler may do.
volatile sig_atomic_t GEndRequested = 0;

extern "C" void NoteEndSignal(int) {
  GEndRequested = 1;
}

}  // namespace

void InstallSessionEndHandlers(std::function<void()> SaveNow) {
  // Every request arrives between two frames here; nothing is saved from the handler.
  (void)SaveNow;
  struct sigaction Action {};
  Action.sa_handler = NoteEndSignal;
  sigemptyset(&Action.sa_mask);
  // A system call the signal interrupts goes on: the loop sees the request soon enough.
  Action.sa_flags = SA_RESTART;
  for (const int Signal : {SIGTERM, SIGINT, SIGHUP}) sigaction(Signal, &Action, nullptr);
}

bool SessionEndRequested() {
  return GEndRequested != 0;
}

void SessionEndDone() {}
