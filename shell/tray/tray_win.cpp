#include "shell/tray/tray_win.h"

#include "settings/registry_win.h"
#include "shell/ids/timer_ids.h"
#include "shell/tray/quick_entry_win.h"
#include "shell/tray/tray_ids.h"
#include "shell/tray/tray_inspect.h"
#include "shell/tray/tray_model.h"
#include "support/app_messages.h"
#include "support/log/log.h"

namespace {

// Only while a hot key is held down.
constexpr UINT kHotKeyReleasePollMs = 50;

UINT InspectMessage() {
  static const UINT message = RegisterWindowMessageA(kTrayInspectMessageName);
  return message;
}

}  // namespace

Tray::Tray(HWND window, Settings& live, TrayCommands& commands, SettingsDialogHost& dialog, StatusSink& status)
    : window(window), live(live), commands(commands), dialog(dialog), status(status) {
  icon.LoadIcons(reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE)));
  icon.Bind(window, kMsgTrayCallback);
  icon.SetIcon(IdleIconResource(live.ChangeAtTime));
  // The tip names the state from the start; no change can be running yet.
  icon.SetTip(TrayTip(false, live.ChangeAtTime));
  // Fails while the taskbar is not up yet (logon); TaskbarCreated adds it then.
  icon.Add();
  taskbarCreatedMessage = RegisterWindowMessageA("TaskbarCreated");
  menu.Build(TrayMenuEntries(live, commands.EngineCanBlock(live.EngineIndex)));
  created = true;
  RegisterHotKeys();
}

Tray::~Tray() { Remove(); }

void Tray::Remove() {
  if (!created) return;
  icon.Delete();
  UnregisterHotKeys();
  KillTimer(window, kTrayMenuTimer);
  KillTimer(window, kTrayAnimationTimer);
  KillTimer(window, kHotKeyReleaseTimer);
  created = false;
}

void Tray::SyncMenu() {
  if (created) menu.Sync(TrayMenuEntries(live, commands.EngineCanBlock(live.EngineIndex)));
}

void Tray::RegisterHotKeys() {
  // A combination that another program holds stays unregistered; its label still shows it.
  for (const HotKeyBinding& b : HotKeyBindings(live))
    if (!RegisterHotKey(window, b.id, b.modifiers | MOD_NOREPEAT, b.key))
      SF_LOG(kLogWarning, "Hot key " + std::to_string(b.id) + " could not be registered");
}

void Tray::UnregisterHotKeys() {
  for (int id = HOTKEY_NEXT; id <= HOTKEY_BLANK; ++id) UnregisterHotKey(window, id);
}

void Tray::ReRegisterHotKeys() {
  if (!created) return;
  UnregisterHotKeys();
  RegisterHotKeys();
}

void Tray::OnMouse(UINT mouseMessage) {
  switch (mouseMessage) {
    case WM_LBUTTONUP:
      if (doubleClickSeen) {
        doubleClickSeen = false;
        return;
      }
      SetTimer(window, kTrayMenuTimer, GetDoubleClickTime() + 10, nullptr);
      return;
    case WM_LBUTTONDBLCLK:
      KillTimer(window, kTrayMenuTimer);
      doubleClickSeen = true;
      dialog.BringForward();
      return;
    case WM_RBUTTONUP:
      menu.Show(window);
      return;
  }
}

void Tray::OnAnimationTick() {
  frame = NextAnimationFrame(frame);
  icon.SetIcon(kTrayAnimationFrames[frame]);
  icon.Modify();
}

LRESULT Tray::Inspect() const {
  TrayInspection i;
  i.iconResource = icon.IconResource();
  i.tip = TipKindOf(icon.Tip());
  i.working = working;
  i.added = icon.Added();
  i.addCount = icon.AddCount();
  return static_cast<LRESULT>(PackTrayInspection(i));
}

bool Tray::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (!created) return false;
  result = 0;
  switch (message) {
    case kMsgTrayCallback:
      OnMouse(static_cast<UINT>(lParam));
      return true;
    case WM_TIMER:
      if (wParam == kTrayMenuTimer) {
        // Killed first: the menu runs a modal loop in which the timer would tick again.
        KillTimer(window, kTrayMenuTimer);
        menu.Show(window);
        return true;
      }
      if (wParam == kTrayAnimationTimer) {
        OnAnimationTick();
        return true;
      }
      if (wParam == kHotKeyReleaseTimer) {
        for (const auto& [id, key] : pressFilter.Held())
          if (!(GetAsyncKeyState(static_cast<int>(key)) & 0x8000)) pressFilter.Released(id, GetTickCount());
        if (pressFilter.Held().empty()) KillTimer(window, kHotKeyReleaseTimer);
        return true;
      }
      return false;
    case WM_HOTKEY: {
      const UINT key = HIWORD(lParam);
      const bool held = (GetAsyncKeyState(static_cast<int>(key)) & 0x8000) != 0;
      const bool accepted =
          pressFilter.Accept(static_cast<int>(wParam), key, static_cast<uint32_t>(GetMessageTime()), GetTickCount(), held);
      // Watch a held key until it comes up: until then its events are repeats.
      if (!pressFilter.Held().empty()) SetTimer(window, kHotKeyReleaseTimer, kHotKeyReleasePollMs, nullptr);
      if (accepted) OnHotKey(static_cast<int>(wParam), LOWORD(lParam) & ~MOD_NOREPEAT, key);
      return true;
    }
    case WM_COMMAND:
      return OnCommand(LOWORD(wParam));
    case WM_DESTROY:
      // The icon and the hot keys belong to this window; the owner ends the loop.
      Remove();
      return false;
  }
  if (message == taskbarCreatedMessage && message != 0) {
    // The shell's taskbar (re)started without our icon.
    icon.Add();
    return true;
  }
  if (message == InspectMessage()) {
    result = Inspect();
    return true;
  }
  return false;
}

void Tray::OnChangeStarted() {
  working = true;
  if (!created) return;
  KillTimer(window, kTrayAnimationTimer);
  // The first tick shows the first frame.
  frame = kTrayAnimationFrames.size() - 1;
  icon.SetTip(TrayTip(true, live.ChangeAtTime));
  SetTimer(window, kTrayAnimationTimer, TRAY_ANIMATION_PERIOD_MS, nullptr);
}

void Tray::OnChangeEnded() {
  working = false;
  ShowIdle();
}

void Tray::ShowIdle() {
  if (!created) return;
  KillTimer(window, kTrayAnimationTimer);
  icon.SetIcon(IdleIconResource(live.ChangeAtTime));
  icon.SetTip(TrayTip(false, live.ChangeAtTime));
  icon.Modify();
}

void Tray::RefreshIcon() {
  if (!working) ShowIdle();
}

void Tray::TogglePause() {
  live.ChangeAtTime = !live.ChangeAtTime;
  RefreshIcon();
  // This value alone: the rest of the record may hold edits that are not for saving yet.
  WriteRegDword(kProgramKey, "ChangeAtTime", live.ChangeAtTime ? 1 : 0);
  commands.RearmSchedule();
  SyncMenu();
  dialog.NotifyPauseChanged();
}

void Tray::BlankOrRestore(bool pause) {
  commands.BlankOrRestore();
  // In memory only: the value reaches the registry with the next full save.
  live.ChangeAtTime = pause ? false : !live.ChangeAtTime;
  commands.RearmSchedule();
  SyncMenu();
  // The icon and the dialog's check box follow the pause state as after a toggle.
  RefreshIcon();
  dialog.NotifyPauseChanged();
}

bool Tray::OnCommand(WORD id) {
  switch (id) {
    case IDM_TRAY_EXIT:
      DestroyWindow(window);
      return true;
    case IDM_TRAY_SETTINGS:
      dialog.Open(nullptr);
      return true;
    case IDM_TRAY_SUPPORT:
      dialog.ShowPage("Support");
      return true;
    case IDM_TRAY_NEXT:
      commands.NextImage(false);
      return true;
    case IDM_TRAY_PREVIOUS:
      commands.PreviousImage(false);
      return true;
    case IDM_TRAY_PAUSE:
      TogglePause();
      return true;
    case IDM_TRAY_SAVE:
      if (live.GetImageFromInternet) commands.SaveWallpaper(false);
      return true;
    case IDM_TRAY_BLANK:
      BlankOrRestore(false);
      return true;
    case IDM_TRAY_BLOCK:
      commands.BlockImage();
      return true;
    case IDM_TRAY_SEARCH_TEXT:
      if (dialog.IsOpen())
        dialog.ShowPage("Source");
      else
        ShowQuickEntryBox(window, live, [this](const std::string& text) { commands.ApplySearchText(text); });
      return true;
  }
  return false;
}

void Tray::OnHotKey(int id, UINT modifiers, UINT key) {
  switch (HotKeyActionFor(id, modifiers, key, live, commands.ChangeRunning())) {
    case HotKeyAction::kNone:
      return;
    case HotKeyAction::kNext:
      commands.NextImage(true);
      return;
    case HotKeyAction::kPrevious:
      commands.PreviousImage(true);
      return;
    case HotKeyAction::kPauseToggle:
      TogglePause();
      status.ShowStatus(live.ChangeAtTime ? "Automatic wallpaper changing resumed"
                                          : "Automatic wallpaper changing disabled",
                        true, 2000, kStatusClickNone);
      return;
    case HotKeyAction::kSave:
      commands.SaveWallpaper(true);
      return;
    case HotKeyAction::kBlank:
      BlankOrRestore(true);
      return;
  }
}
