#include "shell/tray/tray_win.h"

#include "shell/app_win.h"
#include "shell/tray/tray_ids.h"
#include "shell/tray/tray_inspect.h"
#include "shell/tray/tray_model.h"
#include "shell/tray/tray_state_win.h"
#include "support/log/log.h"

namespace {

UINT InspectMessage() {
  static const UINT message = RegisterWindowMessageA(kTrayInspectMessageName);
  return message;
}

bool EngineCanBlock(const Settings& s) {
  const auto& canBlock = Tray().internet.engineCanBlock;
  return canBlock && canBlock(s.EngineIndex);
}

void OnTrayMouse(HWND window, UINT mouseMessage) {
  TrayState& t = Tray();
  switch (mouseMessage) {
    case WM_LBUTTONUP:
      if (t.doubleClickSeen) {
        t.doubleClickSeen = false;
        return;
      }
      SetTimer(window, TRAY_MENU_TIMER, GetDoubleClickTime() + 10, nullptr);
      return;
    case WM_LBUTTONDBLCLK:
      KillTimer(window, TRAY_MENU_TIMER);
      t.doubleClickSeen = true;
      if (SettingsDialogIsOpen()) {
        if (HWND dialog = t.dialog.window ? t.dialog.window() : nullptr) SetForegroundWindow(dialog);
      } else {
        OpenSettingsDialog(nullptr);
      }
      return;
    case WM_RBUTTONUP:
      t.menu.Show(window);
      return;
  }
}

void OnAnimationTick() {
  TrayState& t = Tray();
  t.frame = NextAnimationFrame(t.frame);
  t.icon.SetIcon(kTrayAnimationFrames[t.frame]);
  t.icon.Modify();
}

void OnSysColorChange() {
  Settings& s = *TheApp().settings;
  const uint32_t color = GetSysColor(COLOR_BACKGROUND);
  if (color == s.DesktopColor) return;
  s.DesktopColor = color;
  s.Save();
}

LRESULT Inspect() {
  const TrayState& t = Tray();
  TrayInspection i;
  i.iconResource = t.icon.IconResource();
  i.tip = TipKindOf(t.icon.Tip());
  i.working = t.working;
  i.added = t.icon.Added();
  i.addCount = t.icon.AddCount();
  return static_cast<LRESULT>(PackTrayInspection(i));
}

}  // namespace

TrayState& Tray() {
  static TrayState state;
  return state;
}

void SetSettingsDialogLink(SettingsDialogLink link) { Tray().dialog = std::move(link); }
void SetInternetSourceLink(InternetSourceLink link) { Tray().internet = std::move(link); }

void SyncTrayMenu() {
  const Settings& s = *TheApp().settings;
  Tray().menu.Sync(TrayMenuEntries(s, EngineCanBlock(s)));
}

void RegisterTrayHotKeys() {
  // A combination that another program holds stays unregistered; its label still shows it.
  for (const HotKeyBinding& b : HotKeyBindings(*TheApp().settings))
    if (!RegisterHotKey(Tray().window, b.id, b.modifiers, b.key))
      SF_LOG(kLogWarning, "Hot key " + std::to_string(b.id) + " could not be registered");
}

void UnregisterTrayHotKeys() {
  for (int id = HOTKEY_NEXT; id <= HOTKEY_BLANK; ++id) UnregisterHotKey(Tray().window, id);
}

void CreateTray(HWND mainWindow) {
  TrayState& t = Tray();
  const Settings& s = *TheApp().settings;
  t.window = mainWindow;
  t.icon.LoadIcons(reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(mainWindow, GWLP_HINSTANCE)));
  t.icon.Bind(mainWindow, WM_APP_TRAY);
  t.icon.SetIcon(IdleIconResource(s.ChangeAtTime));
  // The tip names the state from the start; the working indicator cannot be on yet.
  t.icon.SetTip(TrayTip(false, s.ChangeAtTime));
  // Fails while the taskbar is not up yet (logon); TaskbarCreated adds it then.
  t.icon.Add();
  t.taskbarCreatedMessage = RegisterWindowMessageA("TaskbarCreated");
  t.menu.Build(TrayMenuEntries(s, EngineCanBlock(s)));
  t.created = true;
  RegisterTrayHotKeys();
}

void DestroyTray() {
  TrayState& t = Tray();
  if (!t.created) return;
  t.icon.Delete();
  UnregisterTrayHotKeys();
  KillTimer(t.window, TRAY_MENU_TIMER);
  KillTimer(t.window, TRAY_ANIMATION_TIMER);
  t.created = false;
}

bool HandleTrayMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  TrayState& t = Tray();
  if (!t.created || window != t.window) return false;
  result = 0;
  switch (message) {
    case WM_APP_TRAY:
      OnTrayMouse(window, static_cast<UINT>(lParam));
      return true;
    case WM_TIMER:
      if (wParam == TRAY_MENU_TIMER) {
        // Killed first: the menu runs a modal loop in which the timer would tick again.
        KillTimer(window, TRAY_MENU_TIMER);
        t.menu.Show(window);
        return true;
      }
      if (wParam == TRAY_ANIMATION_TIMER) {
        OnAnimationTick();
        return true;
      }
      return false;
    case WM_HOTKEY:
      OnTrayHotKey(static_cast<int>(wParam), LOWORD(lParam), HIWORD(lParam));
      return true;
    case WM_COMMAND:
      return OnTrayCommand(LOWORD(wParam));
    case WM_APP_OPEN_SETTINGS:
      OpenSettingsDialog(nullptr);
      return true;
    case WM_APP_OPEN_INTERNET_PAGE:
      OpenSettingsPage("Internet");
      return true;
    case WM_SYSCOLORCHANGE:
      OnSysColorChange();
      return false;  // default processing follows
    case WM_DESTROY:
      DestroyTray();
      return false;  // the main window ends the loop
  }
  if (message == t.taskbarCreatedMessage && message != 0) {
    // The shell's taskbar (re)started without our icon.
    t.icon.Add();
    return true;
  }
  if (message == InspectMessage()) {
    result = Inspect();
    return true;
  }
  return false;
}

void ShowWorking() {
  TrayState& t = Tray();
  t.working = true;
  if (!t.created) return;
  KillTimer(t.window, TRAY_ANIMATION_TIMER);
  // The first tick shows the first frame.
  t.frame = kTrayAnimationFrames.size() - 1;
  t.icon.SetTip(TrayTip(true, TheApp().settings->ChangeAtTime));
  SetTimer(t.window, TRAY_ANIMATION_TIMER, TRAY_ANIMATION_PERIOD_MS, nullptr);
}

void ShowIdle() {
  TrayState& t = Tray();
  if (t.created) {
    const bool on = TheApp().settings->ChangeAtTime;
    KillTimer(t.window, TRAY_ANIMATION_TIMER);
    t.icon.SetIcon(IdleIconResource(on));
    t.icon.SetTip(TrayTip(false, on));
    t.icon.Modify();
  }
  t.working = false;
}

void RefreshTrayIcon() {
  if (!Tray().working) ShowIdle();
}

void UpdateTrayMenu() {
  if (Tray().created) SyncTrayMenu();
}

bool IsWorking() { return Tray().working; }
