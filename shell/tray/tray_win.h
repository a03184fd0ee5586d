#pragma once
// The tray icon, its menu, the hot keys and the commands they carry; the
// working indicator that brackets every wallpaper change.
#include <windows.h>

#include "settings/settings.h"

// Icons, tray icon, TaskbarCreated, menu and hot keys (after the main window exists).
void CreateTray(HWND mainWindow);
// Removes the tray icon and unregisters the hot keys (safe to call twice).
void DestroyTray();
// The main window's messages that belong to the tray, the menu, the hot keys
// and the commands. Returns true (and the result) when it handled `message`.
bool HandleTrayMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

// Shows the settings dialog (modal) unless it is open; `startPage` names its first page, or null.
void OpenSettingsDialog(const char* startPage);

// A change is in progress: animate the tray icon.
void ShowWorking();
// The change ended: normal or paused icon and tip.
void ShowIdle();
// ShowIdle unless a change is in progress.
void RefreshTrayIcon();
// Pause label and enabled states of the menu entries.
void UpdateTrayMenu();
// The working indicator is on.
bool IsWorking();

// Commits the settings dialog's working copy to the live settings, saves them
// and acts on them (autostart, menu, icon, desktop, play-order list, hot keys,
// schedule). `page`: the settings dialog's current page, which is asked first
// and may refuse (returns false, nothing applied); null from elsewhere.
bool ApplySettings(Settings& workingCopy, const char* page);
// The search text, the internet switch or the engine differ.
bool ImageSourceDiffers(const Settings& a, const Settings& b);
