#include "ui/settings/wallpaper_page_win.h"

#include <commdlg.h>

#include "support/win/unique_handle_win.h"
#include "ui/settings/dialog_controls_win.h"
#include "ui/settings/page_choices.h"
#include "ui/settings/settings_dialog_ids.h"

void WallpaperPage::Fill() {
  const Settings& s = host.WorkingCopy();
  Check(IDC_WP_ON_STARTUP, s.ChangeAtStartup);
  Check(IDC_WP_CHANGE_AT_TIME, s.ChangeAtTime);
  for (const std::string& name : s.ChangeTimeNames) AddItem(IDC_WP_CHANGE_WHEN, name.c_str(), 0);
  SendDlgItemMessageA(window, IDC_WP_CHANGE_WHEN, CB_SETCURSEL, static_cast<WPARAM>(s.ChangeWhen), 0);
  Enable(IDC_WP_CHANGE_WHEN, s.ChangeAtTime);
  for (const PageChoice& c : kOrientationChoices) AddItem(IDC_WP_ORIENTATION, c.text, c.value);
  SelectData(IDC_WP_ORIENTATION, s.PaperOrient);
  Tip(IDC_WP_ON_STARTUP, "Click to change wallpapers every time you start Skyframe");
  Tip(IDC_WP_CHANGE_AT_TIME, "Check to select a specific time to change wallpaper");
  Tip(IDC_WP_CHANGE_WHEN, "Select a time to change wallpaper");
  Tip(IDC_WP_COLOR_BUTTON, "Select a background color");
}

void WallpaperPage::OnCommand(int id, int code) {
  switch (id) {
    case IDC_WP_CHANGE_AT_TIME:
      if (code != BN_CLICKED) return;
      Enable(IDC_WP_CHANGE_WHEN, Checked(IDC_WP_CHANGE_AT_TIME));
      Changed();
      return;
    case IDC_WP_ON_STARTUP:
      if (code == BN_CLICKED) Changed();
      return;
    case IDC_WP_CHANGE_WHEN:
    case IDC_WP_ORIENTATION:
      if (code == CBN_SELCHANGE) Changed();
      return;
    case IDC_WP_COLOR_BUTTON:
      if (code == BN_CLICKED) ChooseColour();
      return;
  }
}

void WallpaperPage::ChooseColour() {
  Settings& s = host.WorkingCopy();
  CHOOSECOLORA choice{};
  choice.lStructSize = sizeof(choice);
  choice.hwndOwner = window;
  choice.rgbResult = s.DesktopColor;
  choice.lpCustColors = customColours;
  choice.Flags = CC_RGBINIT | CC_FULLOPEN;
  if (ChooseColorA(&choice)) {
    s.DesktopColor = choice.rgbResult;
    InvalidateRect(Item(IDC_WP_COLOR_SAMPLE), nullptr, TRUE);
  } else if (CommDlgExtendedError() != 0) {
    MessageBoxA(window, "Error with dialog selection!", "Error", MB_OK | MB_ICONSTOP);
    return;
  }
  Changed();
}

INT_PTR WallpaperPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  if (message == kMsgPauseChanged) {
    Check(IDC_WP_CHANGE_AT_TIME, !Checked(IDC_WP_CHANGE_AT_TIME));
    Enable(IDC_WP_CHANGE_WHEN, Checked(IDC_WP_CHANGE_AT_TIME));
    return TRUE;
  }
  if (message == WM_DRAWITEM && wParam == IDC_WP_COLOR_SAMPLE) {
    const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    RECT r = item->rcItem;
    DrawEdge(item->hDC, &r, EDGE_SUNKEN, BF_RECT);
    const int inset = ScaleForDpi(2, WindowDpi(window));
    InflateRect(&r, -inset, -inset);
    UniqueGdiObject brush(CreateSolidBrush(host.WorkingCopy().DesktopColor));
    FillRect(item->hDC, &r, static_cast<HBRUSH>(brush.get()));
    return TRUE;
  }
  handled = false;
  return 0;
}

INT_PTR WallpaperPage::OnLeave() {
  Settings& s = host.WorkingCopy();
  s.ChangeAtStartup = Checked(IDC_WP_ON_STARTUP);
  s.ChangeAtTime = Checked(IDC_WP_CHANGE_AT_TIME);
  const LRESULT when = SendDlgItemMessageA(window, IDC_WP_CHANGE_WHEN, CB_GETCURSEL, 0, 0);
  if (when >= 0 && when < kChangeTimeCount) s.ChangeWhen = static_cast<int32_t>(when);
  s.PaperOrient = static_cast<int32_t>(SelectedData(IDC_WP_ORIENTATION, s.PaperOrient));
  return 0;
}
