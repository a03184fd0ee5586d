#pragma once
// The hidden main window: hub of the main thread.
#include <windows.h>

bool RegisterMainWindowClass(HINSTANCE instance);
// Creates and hides the window; false when it cannot be created.
bool CreateMainWindow(HINSTANCE instance, int showCommand);
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
