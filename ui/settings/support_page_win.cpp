#include "ui/settings/support_page_win.h"

#include <shellapi.h>

#include "ui/settings/dialog_controls_win.h"
#include "ui/settings/settings_dialog_ids.h"

void SupportPage::Fill() {
  MakeClickable(Item(IDC_SUP_LINK), kClickableNormalColor, kClickableHoverColor);
  Tip(IDC_SUP_DOCUMENTATION, "Click to get help on using Skyframe");
  Tip(IDC_SUP_ABOUT, "About Skyframe");
  Tip(IDC_SUP_CHECK_UPDATES, "Click to check for a newer version of Skyframe");
}

void SupportPage::OnCommand(int id, int code) {
  if (id == IDC_SUP_LINK && code == STN_CLICKED)
    ShellExecuteA(window, "open", kSupportAddress, nullptr, nullptr, SW_SHOWNORMAL);
  else if (id == IDC_SUP_DOCUMENTATION && code == BN_CLICKED)
    ShowHelp(GetParent(window), host.Services().HelpFilePath(), 1);
}
