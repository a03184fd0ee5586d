#pragma once
// A tab control whose pages are child dialogs, one existing at a time: the
// selected page is built anew on every switch and asked before it is left.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/win/unique_handle_win.h"

struct TabPage {
  std::string title;  // the tab's caption and the page's name
  uint16_t templateId = 0;
  DLGPROC dialogProc = nullptr;
  LPARAM param = 0;  // the page's WM_INITDIALOG parameter
};

class TabFrame {
 public:
  // `leaveQueryMessage`: sent straight to a page's procedure; non-zero means stay.
  TabFrame(HINSTANCE instance, UINT leaveQueryMessage) : instance(instance), leaveQuery(leaveQueryMessage) {}
  TabFrame(const TabFrame&) = delete;
  TabFrame& operator=(const TabFrame&) = delete;

  // Takes the tab control `controlId` of `parent` and the area its pages cover.
  bool Attach(HWND parent, int controlId);
  void AddPage(TabPage page);
  // Removes the tab; when it was selected, the first page is shown instead.
  void RemovePage(const std::string& title);
  // Destroys every page (the dialog is going).
  void RemoveAll();
  void ShowSelectedPage();
  // With `askFirst` the current page may refuse (false, nothing changes).
  bool Select(int index, bool askFirst);
  bool SelectByName(const std::string& title, bool askFirst);
  std::string CurrentTitle() const;
  bool HasPage(const std::string& title) const { return IndexOf(title) >= 0; }
  int IndexOf(const std::string& title) const;
  // The current page refuses to be left (it has stored its values otherwise).
  bool AskCurrentPage();
  HWND CurrentPage() const { return page.get(); }
  HWND Control() const { return tabs; }
  // The tab control's notifications; true when handled, with the dialog's answer in `result`.
  bool OnNotify(const NMHDR& header, LRESULT& result);

 private:
  int Selected() const;

  HINSTANCE instance;
  const UINT leaveQuery;
  HWND parent = nullptr;
  HWND tabs = nullptr;
  RECT pageRect{};
  std::vector<TabPage> pages;
  UniqueWindow page;
  int pageIndex = -1;  // whose page `page` is
};
