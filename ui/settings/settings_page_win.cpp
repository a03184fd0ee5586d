#include "ui/settings/settings_page_win.h"

#include "ui/settings/dialog_controls_win.h"

std::string SettingsPage::Text(int id) const {
  HWND control = Item(id);
  const int length = GetWindowTextLengthA(control);
  if (length <= 0) return {};
  std::string text(static_cast<size_t>(length) + 1, '\0');
  const int got = GetWindowTextA(control, text.data(), length + 1);
  text.resize(got > 0 ? static_cast<size_t>(got) : 0);
  return text;
}

void SettingsPage::Tip(int id, const char* text) {
  if (UniqueWindow tip = AddTooltip(Item(id), text, kTooltipWidth)) tips.push_back(std::move(tip));
}

int SettingsPage::AddItem(int id, const char* text, LPARAM data) {
  const LRESULT item = SendDlgItemMessageA(window, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
  if (item >= 0) SendDlgItemMessageA(window, id, CB_SETITEMDATA, static_cast<WPARAM>(item), data);
  return static_cast<int>(item);
}

LPARAM SettingsPage::SelectedData(int id, LPARAM fallback) const {
  const LRESULT item = SendDlgItemMessageA(window, id, CB_GETCURSEL, 0, 0);
  if (item == CB_ERR) return fallback;
  const LRESULT data = SendDlgItemMessageA(window, id, CB_GETITEMDATA, static_cast<WPARAM>(item), 0);
  return data == CB_ERR ? fallback : data;
}

void SettingsPage::SelectData(int id, LPARAM data) {
  const LRESULT count = SendDlgItemMessageA(window, id, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    if (SendDlgItemMessageA(window, id, CB_GETITEMDATA, static_cast<WPARAM>(i), 0) == data) {
      SendDlgItemMessageA(window, id, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
      return;
    }
  }
  SendDlgItemMessageA(window, id, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
}

void PutBackCleaned(HWND box, const std::string& cleaned) {
  MessageBeep(MB_OK);
  SetWindowTextA(box, cleaned.c_str());
  // A combo box's edit takes the caret through its parent's message.
  const LPARAM end = static_cast<LPARAM>(cleaned.size());
  char className[16] = {};
  GetClassNameA(box, className, sizeof(className));
  if (lstrcmpiA(className, "ComboBox") == 0)
    SendMessageA(box, CB_SETEDITSEL, 0, MAKELPARAM(end, end));
  else
    SendMessageA(box, EM_SETSEL, static_cast<WPARAM>(end), end);
}

INT_PTR DispatchPageMessage(SettingsPage* page, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kMsgPageLeaveQuery:
      return page->OnLeave();
    case WM_COMMAND:
      page->OnCommand(LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_CTLCOLORSTATIC: {
      COLORREF color = 0;
      if (ClickableTextColor(reinterpret_cast<HWND>(lParam), color)) {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, color);
        SetBkMode(dc, TRANSPARENT);
        return reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH));
      }
      break;
    }
  }
  bool handled = true;
  const INT_PTR result = page->OnMessage(message, wParam, lParam, handled);
  return handled ? result : FALSE;
}
