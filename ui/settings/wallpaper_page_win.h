#pragma once
// The "Wallpaper" page: when the wallpaper changes, how it is placed, the
// background colour.
#include "ui/settings/settings_page_win.h"

class WallpaperPage final : public SettingsPage {
 public:
  using SettingsPage::SettingsPage;
  void Fill() override;
  void OnCommand(int id, int code) override;
  INT_PTR OnLeave() override;
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

 private:
  void ChooseColour();
  COLORREF customColours[16] = {};
};
