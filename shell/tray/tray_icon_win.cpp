#include "shell/tray/tray_icon_win.h"

#include <algorithm>
#include <cstring>

#include "shell/tray/tray_ids.h"
#include "shell/tray/tray_model.h"

// The first version of the structure: the tip has 64 characters and the
// shell never expects the later fields. 88 bytes in a 32-bit build.
static_assert(sizeof(void*) != 4 || NOTIFYICONDATAA_V1_SIZE == 88);

void CTrayIcon::LoadIcons(HINSTANCE instance) {
  icons.clear();
  // The small-icon size follows the display scaling (16 at 100 %, 32 at 200 %),
  // so the icon picks its matching picture instead of being scaled from 32.
  const int cx = GetSystemMetrics(SM_CXSMICON);
  const int cy = GetSystemMetrics(SM_CYSMICON);
  auto load = [&](int id) {
    HANDLE icon = LoadImageA(instance, MAKEINTRESOURCEA(id), IMAGE_ICON, cx, cy, LR_DEFAULTCOLOR);
    icons.push_back({id, UniqueIcon(static_cast<HICON>(icon))});
  };
  load(IDI_TRAY_NORMAL);
  load(IDI_TRAY_PAUSED);
  for (int id : kTrayAnimationFrames) load(id);
}

HICON CTrayIcon::IconHandle(int resourceId) const {
  for (const LoadedIcon& l : icons)
    if (l.resourceId == resourceId) return l.icon.get();
  return nullptr;
}

void CTrayIcon::Bind(HWND window, UINT callbackMessage) {
  data = {};
  data.cbSize = NOTIFYICONDATAA_V1_SIZE;
  data.hWnd = window;
  data.uID = 0;
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = callbackMessage;
  bound = true;
  SetIcon(iconResource);
}

void CTrayIcon::SetIcon(int resourceId) {
  iconResource = resourceId;
  data.hIcon = IconHandle(resourceId);
}

void CTrayIcon::SetTip(const std::string& tip) {
  const size_t n = std::min(tip.size(), sizeof data.szTip - 1);
  std::memcpy(data.szTip, tip.data(), n);
  data.szTip[n] = 0;
}

bool CTrayIcon::Add() {
  if (!bound) return false;
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  if (!Shell_NotifyIconA(NIM_ADD, &data)) return false;
  added = true;
  ++addCount;
  return true;
}

bool CTrayIcon::Modify() {
  if (!bound) return false;
  data.uFlags = NIF_ICON | NIF_TIP;
  return Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
}

void CTrayIcon::Delete() {
  if (!bound || !added) return;
  NOTIFYICONDATAA gone = {};
  gone.cbSize = NOTIFYICONDATAA_V1_SIZE;
  gone.hWnd = data.hWnd;
  gone.uID = data.uID;
  Shell_NotifyIconA(NIM_DELETE, &gone);
  added = false;
}
