#pragma once
// The tray layer's own state and the helpers its files share. Main thread only.
#include <windows.h>

#include <cstddef>

#include "shell/tray/tray_icon_win.h"
#include "shell/tray/tray_links_win.h"
#include "shell/tray/tray_menu_win.h"

struct TrayState {
  HWND window = nullptr;
  CTrayIcon icon;
  CTrayMenu menu;
  bool created = false;
  // A change is in progress; set and cleared only by ShowWorking and ShowIdle.
  bool working = false;
  // The last double click on the icon has not yet been followed by its button-up.
  bool doubleClickSeen = false;
  std::size_t frame = 0;
  UINT taskbarCreatedMessage = 0;
  SettingsDialogLink dialog;
  InternetSourceLink internet;
};

TrayState& Tray();

// Menu labels and states from the live settings.
void SyncTrayMenu();
void RegisterTrayHotKeys();
void UnregisterTrayHotKeys();

bool SettingsDialogIsOpen();
// Opens the settings dialog unless it is open (the open flag brackets the modal run).
void OpenSettingsDialog(const char* startPage);
// On the open dialog: the named page; otherwise opens the dialog there.
void OpenSettingsPage(const char* page);

// WM_COMMAND ids 100-112; false for any other id.
bool OnTrayCommand(WORD id);
void OnTrayHotKey(int id, UINT modifiers, UINT key);
