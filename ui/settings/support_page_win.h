#pragma once
// The "Support" page: the maker's support site, the documentation, and the
// About and update buttons (disabled until their dialogs exist).
#include "ui/settings/settings_page_win.h"

inline constexpr const char* kSupportAddress = "https://www.quillmoor.com/skyframe/support/";

class SupportPage final : public SettingsPage {
 public:
  using SettingsPage::SettingsPage;
  void Fill() override;
  void OnCommand(int id, int code) override;
};
