#include "ui/settings/tab_frame_win.h"

#include <commctrl.h>

#include "ui/settings/dialog_controls_win.h"

bool TabFrame::Attach(HWND parentDialog, int controlId) {
  parent = parentDialog;
  tabs = GetDlgItem(parentDialog, controlId);
  if (!tabs) return false;
  // Pages are siblings drawn over the tab control: it must not paint over them.
  SetWindowLongPtrA(tabs, GWL_STYLE, GetWindowLongPtrA(tabs, GWL_STYLE) | WS_CLIPSIBLINGS);
  GetWindowRect(tabs, &pageRect);
  MapWindowPoints(nullptr, parentDialog, reinterpret_cast<POINT*>(&pageRect), 2);
  TabCtrl_AdjustRect(tabs, FALSE, &pageRect);
  ShowSelectedPage();
  return true;
}

void TabFrame::AddPage(TabPage record) {
  pages.push_back(std::move(record));
  TCITEMA item{};
  item.mask = TCIF_TEXT;
  item.pszText = const_cast<char*>(pages.back().title.c_str());
  SendMessageA(tabs, TCM_INSERTITEMA, pages.size() - 1, reinterpret_cast<LPARAM>(&item));
  // The tab row may have grown: the page area follows it.
  GetWindowRect(tabs, &pageRect);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&pageRect), 2);
  TabCtrl_AdjustRect(tabs, FALSE, &pageRect);
}

void TabFrame::RemovePage(const std::string& title) {
  const int index = IndexOf(title);
  if (index < 0) return;
  const bool wasShown = index == pageIndex;
  if (wasShown) {
    page.reset();
    pageIndex = -1;
  } else if (pageIndex > index) {
    --pageIndex;
  }
  pages.erase(pages.begin() + index);
  SendMessageA(tabs, TCM_DELETEITEM, index, 0);
  if (wasShown && !pages.empty()) Select(0, false);
}

void TabFrame::RemoveAll() {
  page.reset();
  pageIndex = -1;
  pages.clear();
  if (tabs) SendMessageA(tabs, TCM_DELETEALLITEMS, 0, 0);
}

int TabFrame::Selected() const { return tabs ? static_cast<int>(SendMessageA(tabs, TCM_GETCURSEL, 0, 0)) : -1; }

void TabFrame::ShowSelectedPage() {
  page.reset();
  pageIndex = -1;
  const int index = Selected();
  if (index < 0 || index >= static_cast<int>(pages.size())) return;
  const TabPage& record = pages[index];
  pageIndex = index;
  page.reset(CreateDialogParamA(instance, MAKEINTRESOURCEA(record.templateId), parent, record.dialogProc,
                                record.param));
  if (!page) {
    pageIndex = -1;
    return;
  }
  ThemePage(page.get());
  SetWindowPos(page.get(), HWND_TOP, pageRect.left, pageRect.top, pageRect.right - pageRect.left,
               pageRect.bottom - pageRect.top, SWP_SHOWWINDOW);
}

bool TabFrame::Select(int index, bool askFirst) {
  if (index < 0 || index >= static_cast<int>(pages.size())) return false;
  if (askFirst && AskCurrentPage()) return false;
  SendMessageA(tabs, TCM_SETCURSEL, index, 0);
  ShowSelectedPage();
  return true;
}

bool TabFrame::SelectByName(const std::string& title, bool askFirst) { return Select(IndexOf(title), askFirst); }

std::string TabFrame::CurrentTitle() const {
  const int index = Selected();
  return index >= 0 && index < static_cast<int>(pages.size()) ? pages[index].title : std::string();
}

int TabFrame::IndexOf(const std::string& title) const {
  for (size_t i = 0; i < pages.size(); ++i)
    if (pages[i].title == title) return static_cast<int>(i);
  return -1;
}

bool TabFrame::AskCurrentPage() {
  if (!page || pageIndex < 0) return false;
  return pages[pageIndex].dialogProc(page.get(), leaveQuery, 0, 0) != 0;
}

bool TabFrame::OnNotify(const NMHDR& header, LRESULT& result) {
  if (header.hwndFrom != tabs) return false;
  switch (header.code) {
    case TCN_SELCHANGING:
      result = AskCurrentPage() ? TRUE : FALSE;
      return true;
    case TCN_SELCHANGE:
      ShowSelectedPage();
      result = 0;
      return true;
  }
  return false;
}
