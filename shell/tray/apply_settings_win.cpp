// Committing the settings dialog's working copy to the live record and acting on it.
#include "settings/registry_win.h"
#include "shell/app_win.h"
#include "shell/startup_win.h"
#include "shell/tray/tray_state_win.h"
#include "shell/tray/tray_win.h"
#include "support/log/log.h"
#include "wallpaper/desktop/desktop_win.h"
#include "wallpaper/pipeline/change_pipeline_win.h"

bool ImageSourceDiffers(const Settings& a, const Settings& b) {
  return a.InternetString != b.InternetString || a.GetImageFromInternet != b.GetImageFromInternet ||
         a.EngineIndex != b.EngineIndex;
}

bool ApplySettings(Settings& workingCopy, const char* page) {
  TrayState& t = Tray();
  // The page stores its controls into the working copy when asked; a refusal
  // (an invalid value) keeps everything as it is.
  if (page && t.dialog.currentPageRefuses && t.dialog.currentPageRefuses()) return false;
  SF_TRACE_FUNCTION("ApplySettings");
  App& app = TheApp();
  Settings& live = *app.settings;

  const bool sourceChanged = ImageSourceDiffers(workingCopy, live);
  live.AssignUserOptions(workingCopy);
  live.Save();

  if (live.RunAtStartup)
    SetRunEntry(app.paths.programPath, kAppName);
  else
    DeleteRunEntry(kAppName);

  if (t.internet.sendSearchOptions) t.internet.sendSearchOptions();
  ResetEndOfResultsCount();
  if (t.internet.followSource) t.internet.followSource(sourceChanged);

  UpdateTrayMenu();
  RefreshTrayIcon();

  // Colour, placement values and a redraw of the wallpaper in the new style.
  ApplyDesktopSettings(live);

  ReloadPlayOrderList();

  if (t.internet.recordSearchHistory) t.internet.recordSearchHistory(page != nullptr);

  if (t.created) {
    UnregisterTrayHotKeys();
    RegisterTrayHotKeys();
    SyncTrayMenu();
  }
  ArmScheduler();
  return true;
}
