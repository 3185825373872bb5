#pragma once
// The system asking the program to end: a termination, interrupt or hang-up signal on
// POSIX systems (what a logout, a shutdown or a closed terminal sends first); the end of
// the user's session and the console's close on Windows. The program then saves and ends
// without a question: the player did not ask, the system did, and it does not wait long.
//
// The handlers only note the request; the frame loop polls it between two frames. Where
// the system ends the process as soon as it has been told (the end of a Windows session),
// SaveNow is called at that moment instead, on the thread that runs the frames.

#include <functional>

// Installs the handlers; once, early in the program's entry.
void InstallSessionEndHandlers(std::function<void()> SaveNow);
// True once the system asked the program to end.
bool SessionEndRequested();
// The program has saved and is about to end: a handler waiting for that lets the system
// go on.
void SessionEndDone();
