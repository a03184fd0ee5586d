#pragma once
// The "Source" page: internet search or the user's own pictures, the search
// text or address with its history, the search site, shuffling.
#include "ui/settings/settings_page_win.h"

class SourcePage final : public SettingsPage {
 public:
  using SettingsPage::SettingsPage;
  void Fill() override;
  void OnCommand(int id, int code) override;
  INT_PTR OnLeave() override;

 private:
  bool AddressMode() const;
  void EnableForSource();
  void FillHistory();
};
