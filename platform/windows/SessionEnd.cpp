#include "platform/SessionEnd.h"

#include <windows.h>

#include <atomic>

namespace {

// Set by the console's handler thread or by the hidden window, read by the frame loop.
std::atomic<bool> GEndRequested{false};
// Set once the program has saved: the console's handler waits for it, since the system ends the
// process as soon as the handler returns.
HANDLE GSaved = nullptr;
std::function<void()> GSaveNow;
bool GSavedNow = false;

BOOL WINAPI OnConsoleEvent(DWORD Event) {
  switch (Event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
      GEndRequested = true;
      return TRUE;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      GEndRequested = true;
      // The system gives a handler 5 seconds before it ends the process.
      if (GSaved != nullptr) WaitForSingleObject(GSaved, 4000);
      return TRUE;
    default:
      return FALSE;
  }
}

// The end of the session is sent to every top-level window (not to message-only ones), from within
// the thread's message loop: SDL's event polling on the frames' thread runs this. Once
// WM_ENDSESSION has been answered the process may end at any moment, so the save happens here and
// now.
LRESULT CALLBACK SessionWindowProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam) {
  switch (Message) {
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      if (WParam != 0) {
        GEndRequested = true;
        if (GSaveNow && !GSavedNow) {
          GSavedNow = true;
          GSaveNow();
        }
      }
      return 0;
    default:
      return DefWindowProcW(Window, Message, WParam, LParam);
  }
}

void MakeSessionWindow() {
  WNDCLASSW Class{};
  Class.lpfnWndProc = SessionWindowProc;
  Class.hInstance = GetModuleHandleW(nullptr);
  Class.lpszClassName = L"TallowBracklesSessionEnd";
  if (RegisterClassW(&Class) == 0) return;
  // Never shown; a top-level window so that the session's end reaches it.
  CreateWindowExW(WS_EX_TOOLWINDOW, Class.lpszClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                  nullptr, Class.hInstance, nullptr);
}

}  // namespace

void InstallSessionEndHandlers(std::function<void()> SaveNow) {
  GSaveNow = std::move(SaveNow);
  GSaved = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
  MakeSessionWindow();
}

bool SessionEndRequested() {
  return GEndRequested;
}

void SessionEndDone() {
  if (GSaved != nullptr) SetEvent(GSaved);
}
