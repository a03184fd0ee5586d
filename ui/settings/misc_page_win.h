#pragma once
// The "Misc." page: splash, status popup and its place, autostart, hot keys.
#include "ui/settings/settings_page_win.h"

class MiscPage final : public SettingsPage {
 public:
  using SettingsPage::SettingsPage;
  void Fill() override;
  void OnCommand(int id, int code) override;
  INT_PTR OnLeave() override;

 private:
  void EnablePosition();
};
