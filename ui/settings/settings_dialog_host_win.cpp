#include "ui/settings/settings_dialog_host_win.h"

#include "support/app_messages.h"
#include "support/log/log.h"

HWND SettingsDialogHost::Window() const { return open && link.window ? link.window() : nullptr; }

void SettingsDialogHost::Open(const char* startPage) {
  if (open) return;
  const auto run = link.run;  // a copy: the link may be replaced while the dialog runs
  SF_LOG(kLogInfo, "Settings dialog requested");
  if (!run) return;
  open = true;
  run(owner, startPage);
  open = false;
}

void SettingsDialogHost::ShowPage(const char* page) {
  if (!open) {
    Open(page);
    return;
  }
  if (link.showPage) link.showPage(page);
}

void SettingsDialogHost::BringForward() {
  if (!open) {
    Open(nullptr);
    return;
  }
  if (HWND dialog = Window()) SetForegroundWindow(dialog);
}

void SettingsDialogHost::NotifyPauseChanged() {
  if (HWND dialog = Window()) SendMessageA(dialog, kMsgPauseChanged, 0, 0);
}

bool SettingsDialogHost::CurrentPageRefuses() const { return link.currentPageRefuses && link.currentPageRefuses(); }
