#include "shell/tray/tray_menu_win.h"

#include "shell/tray/tray_ids.h"

bool CTrayMenu::Build(const std::vector<TrayMenuEntry>& entries) {
  UniqueMenu built(CreatePopupMenu());
  if (!built) return false;
  for (const TrayMenuEntry& e : entries) {
    if (e.id == 0) {
      AppendMenuA(built.get(), MF_SEPARATOR, 0, nullptr);
      continue;
    }
    const UINT state = e.enabled ? MF_ENABLED : MF_GRAYED;
    AppendMenuA(built.get(), MF_STRING | state, e.id, e.label.c_str());
  }
  SetMenuDefaultItem(built.get(), IDM_TRAY_SETTINGS, FALSE);
  menu = std::move(built);
  return true;
}

void CTrayMenu::Sync(const std::vector<TrayMenuEntry>& entries) {
  if (!menu) return;
  for (const TrayMenuEntry& e : entries) {
    if (e.id == 0) continue;
    // Only the text and the state: the default-item mark stays where Build put it.
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING;
    info.dwTypeData = const_cast<char*>(e.label.c_str());
    SetMenuItemInfoA(menu.get(), e.id, FALSE, &info);
    EnableMenuItem(menu.get(), e.id, MF_BYCOMMAND | (e.enabled ? MF_ENABLED : MF_GRAYED));
  }
}

void CTrayMenu::Show(HWND owner) {
  if (!menu) return;
  // Without the foreground the menu would not close when the user clicks elsewhere.
  SetForegroundWindow(owner);
  POINT cursor = {};
  GetCursorPos(&cursor);
  TrackPopupMenuEx(menu.get(), TPM_VERTICAL, cursor.x, cursor.y, owner, nullptr);
  // A message after the menu ends lets the next click on the icon open it again
  // rather than be swallowed by the closing menu.
  PostMessageA(owner, WM_NULL, 0, 0);
}
