#pragma once
// The "Internet" page: result filters, history and cache sizes and their
// clearing, and where saved wallpapers go.
#include "ui/settings/settings_page_win.h"

class InternetPage final : public SettingsPage {
 public:
  using SettingsPage::SettingsPage;
  void Fill() override;
  void OnCommand(int id, int code) override;
  INT_PTR OnLeave() override;

 private:
  void ShowForFilter();
  // Removes what a numeric box does not take, with a beep.
  void CleanNumber(int id, bool decimal);
  void ClearHistory();
  void ClearCache();
  void Browse();
};

// The message box that says a chosen or typed save folder cannot be written to.
void ShowFolderNotWritable(HWND owner);
