#pragma once
// What the tray reaches in parts of the program that are linked in from
// elsewhere: the settings dialog and the internet source are plugged in at
// start-up through hooks (empty until they exist).
#include <windows.h>

#include <cstdint>
#include <functional>

// The settings dialog, as the tray commands need it. Every member may be empty.
struct SettingsDialogLink {
  // Shows the modal dialog owned by `owner`, at the page named `startPage`
  // ("Internet", "Support"; null: its first page); returns when it has closed.
  std::function<void(HWND owner, const char* startPage)> run;
  // The open dialog's window, or null.
  std::function<HWND()> window;
  // Switches the open dialog to the page named `page` ("Internet", "Support", "Source").
  std::function<void(const char* page)> showPage;
  // Asks the dialog's current page whether it may be left: true means it
  // refuses (a value is invalid) and the settings are not applied.
  std::function<bool()> currentPageRefuses;
};
void SetSettingsDialogLink(SettingsDialogLink link);

// The internet source's side of applying settings and of the menu.
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
void SetInternetSourceLink(InternetSourceLink link);
