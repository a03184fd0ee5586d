#pragma once
// Committing the settings dialog's working copy (or the quick-entry box's
// text) to the live record and acting on it across the program.
#include <cstdint>
#include <functional>
#include <string>

#include "settings/settings.h"
#include "ui/settings/settings_dialog_host_win.h"

// The internet source's side of applying settings and of the menu. Every member may be empty.
struct InternetSourceLink {
  // The engine with this id can block images (capability byte 4 of its record).
  std::function<bool(int32_t engineIndex)> engineCanBlock;
  // Hands the live search options to the plug-in.
  std::function<void()> sendSearchOptions;
  // Stops a search that the new settings no longer want and starts the one
  // they do (`sourceChanged`: text, internet switch or engine differ).
  std::function<void(bool sourceChanged)> followSource;
  // Records the search text in the history and saves it; `fromDialog`: the
  // settings dialog applied, so its source box's text moves to the front.
  std::function<void(bool fromDialog)> recordSearchHistory;
};

// The parts that follow applied settings; the application implements it.
class SettingsTargets {
 public:
  virtual ~SettingsTargets() = default;
  // Earlier wraps of the search results no longer count.
  virtual void ResetEndOfResultsCount() = 0;
  // The tray's menu, icon and hot keys follow the new values.
  virtual void RefreshTray() = 0;
  virtual void ReloadPlayOrderList() = 0;
  virtual void RearmSchedule() = 0;
};

// The search text, the internet switch or the engine differ.
bool ImageSourceDiffers(const Settings& a, const Settings& b);

class SettingsApplier {
 public:
  SettingsApplier(Settings& live, std::string programPath, SettingsDialogHost& dialog, SettingsTargets& targets)
      : live(live), programPath(std::move(programPath)), dialog(dialog), targets(targets) {}

  void SetInternetLink(InternetSourceLink link) { internet = std::move(link); }
  const InternetSourceLink& Internet() const { return internet; }

  // Saves `workingCopy` as the live settings and acts on them (autostart,
  // plug-in options, search, tray, desktop, play-order list, history,
  // schedule). `fromDialog`: the settings dialog applies, and its current
  // page is asked first and may refuse (false, nothing applied).
  bool Apply(const Settings& workingCopy, bool fromDialog);

 private:
  Settings& live;
  const std::string programPath;
  SettingsDialogHost& dialog;
  SettingsTargets& targets;
  InternetSourceLink internet;
};

// The quick-entry box's new search text, applied like the dialog's values.
// True when the picture source changed, so that a change should follow.
bool ApplySearchText(SettingsApplier& applier, const Settings& live, const std::string& text);
