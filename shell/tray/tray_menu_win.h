#pragma once
// The tray's popup menu: built once, its labels and states kept in step with
// the settings, shown at the cursor.
#include <windows.h>

#include <vector>

#include "shell/tray/tray_model.h"
#include "support/win/unique_handle_win.h"

class CTrayMenu {
 public:
  // Builds the popup menu from `entries`, with "Settings" as its default item.
  bool Build(const std::vector<TrayMenuEntry>& entries);
  // Labels and enabled states of every entry from `entries` (same ids).
  void Sync(const std::vector<TrayMenuEntry>& entries);
  // At the cursor, owned by `owner`; the chosen command arrives as WM_COMMAND.
  void Show(HWND owner);

  HMENU Handle() const { return menu.get(); }

 private:
  UniqueMenu menu;
};
