#include "ui/settings/misc_page_win.h"

#include "ui/hotkeys/hotkey_dialog_win.h"
#include "ui/settings/page_choices.h"
#include "ui/settings/settings_dialog_ids.h"

void MiscPage::Fill() {
  const Settings& s = host.WorkingCopy();
  Check(IDC_MISC_SPLASH, s.ShowSplashScreen);
  Check(IDC_MISC_STATUS_POPUP, s.ShowStatusPopup);
  Check(IDC_MISC_RUN_AT_STARTUP, s.RunAtStartup);
  for (const PageChoice& c : kPopupPositionChoices) AddItem(IDC_MISC_POPUP_POS, c.text, c.value);
  SelectData(IDC_MISC_POPUP_POS, s.StatusPopupPos);
  EnablePosition();
  Tip(IDC_MISC_RUN_AT_STARTUP, "Automatically runs Skyframe when your computer is started");
  Tip(IDC_MISC_SPLASH, "Show Skyframe logo when starting the program");
  Tip(IDC_MISC_HOTKEYS, "Configure keyboard shortcuts");
  Tip(IDC_MISC_STATUS_POPUP, "Show status message window");
  Tip(IDC_MISC_POPUP_POS, "Position of the status message window");
}

void MiscPage::EnablePosition() {
  const bool on = Checked(IDC_MISC_STATUS_POPUP);
  Enable(IDC_MISC_POPUP_POS, on);
  Enable(IDC_MISC_POS_LABEL, on);
}

void MiscPage::OnCommand(int id, int code) {
  switch (id) {
    case IDC_MISC_STATUS_POPUP:
      if (code != BN_CLICKED) return;
      EnablePosition();
      Changed();
      return;
    case IDC_MISC_SPLASH:
    case IDC_MISC_RUN_AT_STARTUP:
      if (code == BN_CLICKED) Changed();
      return;
    case IDC_MISC_POPUP_POS:
      if (code == CBN_SELCHANGE) Changed();
      return;
    case IDC_MISC_HOTKEYS:
      // Owned by the settings dialog, which hears the hot-key dialog's "changed" itself.
      if (code == BN_CLICKED) ShowHotKeyDialog(GetParent(window), host.WorkingCopy());
      return;
  }
}

INT_PTR MiscPage::OnLeave() {
  Settings& s = host.WorkingCopy();
  s.ShowSplashScreen = Checked(IDC_MISC_SPLASH);
  s.ShowStatusPopup = Checked(IDC_MISC_STATUS_POPUP);
  s.RunAtStartup = Checked(IDC_MISC_RUN_AT_STARTUP);
  s.StatusPopupPos = static_cast<int32_t>(SelectedData(IDC_MISC_POPUP_POS, s.StatusPopupPos));
  return 0;
}
