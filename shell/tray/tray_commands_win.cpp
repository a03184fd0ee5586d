// Menu commands, hot keys, the pause toggle and the way to the settings dialog.
#include "settings/registry_win.h"
#include "shell/app_win.h"
#include "shell/startup_win.h"
#include "shell/tray/quick_entry_win.h"
#include "shell/tray/tray_ids.h"
#include "shell/tray/tray_model.h"
#include "shell/tray/tray_state_win.h"
#include "shell/tray/tray_win.h"
#include "support/log/log.h"
#include "ui/status/show_status.h"
#include "wallpaper/pipeline/change_pipeline_win.h"

namespace {

HWND OpenDialogWindow() {
  const auto& window = Tray().dialog.window;
  return SettingsDialogIsOpen() && window ? window() : nullptr;
}

// The settings dialog shows the check box of automatic changing.
void TellDialogPauseChanged() {
  if (HWND dialog = OpenDialogWindow()) SendMessageA(dialog, WM_APP_PAUSE_CHANGED, 0, 0);
}

void TogglePause() {
  Settings& s = *TheApp().settings;
  s.ChangeAtTime = !s.ChangeAtTime;
  RefreshTrayIcon();
  // This value alone: the rest of the record may hold edits that are not for saving yet.
  WriteRegDword(kProgramKey, "ChangeAtTime", s.ChangeAtTime ? 1 : 0);
  ArmScheduler();
  UpdateTrayMenu();
  TellDialogPauseChanged();
}

// `pause`: the hot key always leaves changing paused; the menu entry toggles it.
void BlankOrRestore(bool pause) {
  BlankOrRestoreCommand();
  Settings& s = *TheApp().settings;
  // In memory only: the value reaches the registry with the next full save.
  s.ChangeAtTime = pause ? false : !s.ChangeAtTime;
  ArmScheduler();
  UpdateTrayMenu();
  // The icon and the dialog's check box follow the pause state as after a toggle.
  RefreshTrayIcon();
  TellDialogPauseChanged();
}

}  // namespace

bool SettingsDialogIsOpen() { return TheApp().settingsDialogOpen; }

void OpenSettingsDialog(const char* startPage) {
  App& app = TheApp();
  if (app.settingsDialogOpen) return;
  const auto run = Tray().dialog.run;  // a copy: the link may be replaced while the dialog runs
  if (!run) {
    SF_LOG(kLogInfo, "Settings dialog requested");
    return;
  }
  app.settingsDialogOpen = true;
  run(app.mainWindow, startPage);
  app.settingsDialogOpen = false;
}

void OpenSettingsPage(const char* page) {
  if (!SettingsDialogIsOpen()) {
    OpenSettingsDialog(page);
    return;
  }
  if (const auto& showPage = Tray().dialog.showPage) showPage(page);
}

bool OnTrayCommand(WORD id) {
  const Settings& s = *TheApp().settings;
  switch (id) {
    case IDM_TRAY_EXIT:
      DestroyWindow(Tray().window);
      return true;
    case IDM_TRAY_SETTINGS:
      OpenSettingsDialog(nullptr);
      return true;
    case IDM_TRAY_SUPPORT:
      OpenSettingsPage("Support");
      return true;
    case IDM_TRAY_NEXT:
      NextImageCommand(false);
      return true;
    case IDM_TRAY_PREVIOUS:
      PreviousImageCommand(false);
      return true;
    case IDM_TRAY_PAUSE:
      TogglePause();
      return true;
    case IDM_TRAY_SAVE:
      if (s.GetImageFromInternet) SaveWallpaperCommand(false);
      return true;
    case IDM_TRAY_BLANK:
      BlankOrRestore(false);
      return true;
    case IDM_TRAY_BLOCK:
      BlockImageCommand();
      return true;
    case IDM_TRAY_SEARCH_TEXT:
      if (SettingsDialogIsOpen())
        OpenSettingsPage("Source");
      else
        ShowQuickEntryBox(Tray().window);
      return true;
  }
  return false;
}

void OnTrayHotKey(int id, UINT modifiers, UINT key) {
  const Settings& s = *TheApp().settings;
  switch (HotKeyActionFor(id, modifiers, key, s, IsWorking())) {
    case HotKeyAction::kNone:
      return;
    case HotKeyAction::kNext:
      NextImageCommand(true);
      return;
    case HotKeyAction::kPrevious:
      PreviousImageCommand(true);
      return;
    case HotKeyAction::kPauseToggle:
      TogglePause();
      ShowStatus(TheApp().settings->ChangeAtTime ? "Automatic wallpaper changing resumed"
                                                 : "Automatic wallpaper changing disabled",
                 true, 2000, kStatusClickNone);
      return;
    case HotKeyAction::kSave:
      SaveWallpaperCommand(true);
      return;
    case HotKeyAction::kBlank:
      BlankOrRestore(true);
      return;
  }
}
