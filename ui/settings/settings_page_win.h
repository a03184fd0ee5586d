#pragma once
// What every page of "Configure Skyframe" shares: the dialog it belongs to,
// its window, its tooltips, and one procedure template that builds the page
// object on WM_INITDIALOG and deletes it with the window.
#include <windows.h>

#include <string>
#include <vector>

#include "settings/settings.h"
#include "support/app_messages.h"
#include "support/win/unique_handle_win.h"
#include "ui/settings/settings_dialog_services_win.h"

// Sent straight to a page's procedure by the tab frame: may the page be left?
// The page stores its controls into the working copy and answers 0, or shows
// why not and answers 1.
inline constexpr UINT kMsgPageLeaveQuery = kAppMessageBase + 14;

// The dialog as its pages see it.
class SettingsPageHost {
 public:
  virtual ~SettingsPageHost() = default;
  virtual Settings& WorkingCopy() = 0;
  virtual SettingsDialogServices& Services() = 0;
  // A control's value changed: Apply becomes available.
  virtual void MarkChanged() = 0;
  // The Source page adds (at the end) or removes the "Internet" tab.
  virtual void ShowInternetPage(bool shown) = 0;
  // The user's decimal separator ("." when it cannot be read).
  virtual char DecimalSeparator() const = 0;
};

class SettingsPage {
 public:
  SettingsPage(HWND window, SettingsPageHost& host) : window(window), host(host) {}
  virtual ~SettingsPage() = default;
  SettingsPage(const SettingsPage&) = delete;
  SettingsPage& operator=(const SettingsPage&) = delete;

  // Fills the controls from the working copy.
  virtual void Fill() = 0;
  virtual void OnCommand(int /*id*/, int /*code*/) {}
  // 0: stored, the page may be left; 1: stay.
  virtual INT_PTR OnLeave() { return 0; }
  // Any other message; `handled` false lets the dialog manager have it.
  virtual INT_PTR OnMessage(UINT /*message*/, WPARAM, LPARAM, bool& handled) {
    handled = false;
    return 0;
  }

  // Controls changed by the page itself while filling send no "changed".
  bool Filling() const { return filling; }
  void SetFilling(bool value) { filling = value; }

 protected:
  HWND Item(int id) const { return GetDlgItem(window, id); }
  bool Checked(int id) const { return IsDlgButtonChecked(window, id) == BST_CHECKED; }
  void Check(int id, bool on) { CheckDlgButton(window, id, on ? BST_CHECKED : BST_UNCHECKED); }
  void Enable(int id, bool on) { EnableWindow(Item(id), on ? TRUE : FALSE); }
  void Show(int id, bool on) { ShowWindow(Item(id), on ? SW_SHOW : SW_HIDE); }
  std::string Text(int id) const;
  void SetText(int id, const std::string& text) { SetDlgItemTextA(window, id, text.c_str()); }
  void Tip(int id, const char* text);
  void Changed() {
    if (!filling) host.MarkChanged();
  }
  // Adds `text` to a drop-down list with `data`; the item's index.
  int AddItem(int id, const char* text, LPARAM data);
  LPARAM SelectedData(int id, LPARAM fallback) const;
  // Selects the item whose data is `data`; none when no item has it.
  void SelectData(int id, LPARAM data);

  const HWND window;
  SettingsPageHost& host;

 private:
  std::vector<UniqueWindow> tips;
  bool filling = false;
};

// Replaces a box's text by `cleaned` when typing brought characters it does
// not take, with a beep, the caret at the end.
void PutBackCleaned(HWND box, const std::string& cleaned);

INT_PTR DispatchPageMessage(SettingsPage* page, UINT message, WPARAM wParam, LPARAM lParam);

// The procedure of a page of type `Page`, built with (window, host).
template <class Page>
INT_PTR CALLBACK PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* page = new Page(window, *reinterpret_cast<SettingsPageHost*>(lParam));
    SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(page));
    page->SetFilling(true);
    page->Fill();
    page->SetFilling(false);
    return TRUE;
  }
  auto* page = reinterpret_cast<SettingsPage*>(GetWindowLongPtrA(window, DWLP_USER));
  if (!page) return FALSE;
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(window, DWLP_USER, 0);
    delete page;
    return FALSE;
  }
  return DispatchPageMessage(page, message, wParam, lParam);
}
