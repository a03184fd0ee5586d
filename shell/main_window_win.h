#pragma once
// The hidden main window: hub of the main thread. It hands every message to
// its handler, which the application implements.
#include <windows.h>

class MainWindowHandler {
 public:
  virtual ~MainWindowHandler() = default;
  // Sets `handled` when the message needs no default processing; returns its result.
  virtual LRESULT OnMainWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool& handled) = 0;
};

bool RegisterMainWindowClass(HINSTANCE instance);
// Creates the hidden window (class and title "Skyframe"); null when it cannot be created.
// `handler` receives its messages until it is destroyed.
HWND CreateMainWindow(HINSTANCE instance, MainWindowHandler& handler);
