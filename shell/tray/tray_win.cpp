#include "shell/tray/tray_win.h"

namespace {
bool g_working = false;
}

void CreateTray(HWND) {}
void DestroyTray() {}
bool HandleTrayMessage(HWND, UINT, WPARAM, LPARAM, LRESULT&) { return false; }
void ShowWorking() { g_working = true; }
void ShowIdle() { g_working = false; }
void RefreshTrayIcon() {}
void UpdateTrayMenu() {}
bool IsWorking() { return g_working; }
void ApplySettings(Settings&, const char*) {}
