#pragma once
// Opens the settings dialog once at a time and reaches it while it is open.
// The dialog itself is plugged in through SettingsDialogLink; until it is,
// a request is only logged.
#include <windows.h>

#include <functional>

// The settings dialog, as the rest of the program needs it. Every member may be empty.
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

class SettingsDialogHost {
 public:
  explicit SettingsDialogHost(HWND owner) : owner(owner) {}

  void SetLink(SettingsDialogLink value) { link = std::move(value); }
  const SettingsDialogLink& Link() const { return link; }

  bool IsOpen() const { return open; }
  // The open dialog's window, or null.
  HWND Window() const;
  // Opens the dialog at `startPage` unless it is open (then nothing happens).
  void Open(const char* startPage);
  // On the open dialog: the named page; otherwise opens the dialog there.
  void ShowPage(const char* page);
  // Brings the open dialog to the front, or opens it.
  void BringForward();
  // Tells an open dialog that the pause state changed (its check box follows).
  void NotifyPauseChanged();
  // The open dialog's page refuses to be left (an invalid value).
  bool CurrentPageRefuses() const;

 private:
  HWND owner;
  SettingsDialogLink link;
  bool open = false;
};
