#include "shell/apply_settings_win.h"

#include "settings/registry_win.h"
#include "shell/app_paths.h"
#include "support/log/log.h"
#include "wallpaper/desktop/desktop_win.h"

bool ImageSourceDiffers(const Settings& a, const Settings& b) {
  return a.InternetString != b.InternetString || a.GetImageFromInternet != b.GetImageFromInternet ||
         a.EngineIndex != b.EngineIndex;
}

bool SettingsApplier::Apply(const Settings& workingCopy, bool fromDialog) {
  // The page stores its controls into the working copy when asked; a refusal
  // (an invalid value) keeps everything as it is.
  if (fromDialog && dialog.CurrentPageRefuses()) return false;
  SF_TRACE_FUNCTION("ApplySettings");

  const bool sourceChanged = ImageSourceDiffers(workingCopy, live);
  live.AssignUserOptions(workingCopy);
  live.Save();

  if (live.RunAtStartup)
    SetRunEntry(programPath, kAppName);
  else
    DeleteRunEntry(kAppName);

  if (internet.sendSearchOptions) internet.sendSearchOptions();
  targets.ResetEndOfResultsCount();
  if (internet.followSource) internet.followSource(sourceChanged);

  targets.RefreshTray();

  // Colour, placement values and a redraw of the wallpaper in the new style.
  ApplyDesktopSettings(live);

  targets.ReloadPlayOrderList();

  if (internet.recordSearchHistory) internet.recordSearchHistory(fromDialog);

  targets.RearmSchedule();
  return true;
}

bool ApplySearchText(SettingsApplier& applier, const Settings& live, const std::string& text) {
  Settings edited = live;
  edited.InternetString = text;
  const bool changed = ImageSourceDiffers(edited, live);
  applier.Apply(edited, false);
  return changed;
}
