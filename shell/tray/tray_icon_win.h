#pragma once
// The notification-area icon: its pictures, the data handed to the shell, and
// whether the shell holds it now.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "support/win/unique_handle_win.h"

class CTrayIcon {
 public:
  CTrayIcon() = default;
  CTrayIcon(const CTrayIcon&) = delete;
  CTrayIcon& operator=(const CTrayIcon&) = delete;

  // Loads the normal, paused and animation icons at the system's small-icon
  // size; an icon missing from the module stays null (the shell shows none).
  void LoadIcons(HINSTANCE instance);
  // Window and callback message of the tray data.
  void Bind(HWND window, UINT callbackMessage);

  // The picture and the tip go into the tray data; the shell sees them at the next Add or Modify.
  void SetIcon(int resourceId);
  void SetTip(const std::string& tip);

  // NIM_ADD with message, icon and tip; false when the shell refused (no taskbar yet).
  bool Add();
  // NIM_MODIFY with icon and tip.
  bool Modify();
  // NIM_DELETE when the icon was added; safe to call twice.
  void Delete();

  int IconResource() const { return iconResource; }
  std::string Tip() const { return data.szTip; }
  bool Added() const { return added; }
  // Successful NIM_ADD calls so far (the first and every re-add).
  int AddCount() const { return addCount; }
  HICON IconHandle(int resourceId) const;

 private:
  struct LoadedIcon {
    int resourceId;
    UniqueIcon icon;
  };
  std::vector<LoadedIcon> icons;
  NOTIFYICONDATAA data = {};
  int iconResource = 0;
  bool bound = false;
  bool added = false;
  int addCount = 0;
};
