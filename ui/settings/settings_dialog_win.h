#pragma once
// The modal "Configure Skyframe": a working copy of the settings edited by
// five tab pages, handed to the program on OK and Apply, dropped on Cancel.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "settings/settings.h"
#include "ui/settings/header_picture_win.h"
#include "ui/settings/settings_dialog_host_win.h"
#include "ui/settings/settings_dialog_services_win.h"
#include "ui/settings/settings_page_win.h"
#include "ui/settings/tab_frame_win.h"

class DialogFade;

class SettingsDialog final : public SettingsPageHost {
 public:
  // `instance`: the module whose resources hold the templates.
  SettingsDialog(HINSTANCE instance, SettingsDialogServices& services);
  ~SettingsDialog() override;
  SettingsDialog(const SettingsDialog&) = delete;
  SettingsDialog& operator=(const SettingsDialog&) = delete;

  // Shows the dialog over `owner` at the page named `startPage` (null: the
  // first) and returns when it has closed: IDOK after OK, IDCANCEL after
  // Cancel, 0 when it could not be shown.
  INT_PTR Run(HWND owner, const char* startPage);
  // The open dialog, or null.
  HWND Window() const { return dialog; }
  // Switches the open dialog to the named page (the current one is asked first).
  void ShowPage(const char* page);
  // The current page stores its values, or refuses to be left.
  bool CurrentPageRefuses();
  // The host's way to this dialog.
  SettingsDialogLink Link();

  // The tab frame, for the tests' look at the pages.
  const TabFrame& Tabs() const { return tabs; }

  // SettingsPageHost.
  Settings& WorkingCopy() override { return workingCopy; }
  SettingsDialogServices& Services() override { return services; }
  void MarkChanged() override;
  void ShowInternetPage(bool shown) override;
  char DecimalSeparator() const override { return services.DecimalSeparator(); }

 private:
  static INT_PTR CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void OnInit();
  void OnOk();
  void OnApply();
  void Close(INT_PTR result);
  void PlaceHeader();

  HINSTANCE instance;
  SettingsDialogServices& services;
  Settings workingCopy;
  std::string startPage;
  HWND dialog = nullptr;
  bool closing = false;
  INT_PTR closeResult = IDCANCEL;
  TabFrame tabs;
  HeaderPicture header;
  std::vector<UniqueWindow> tips;
  std::unique_ptr<DialogFade> fade;
};
