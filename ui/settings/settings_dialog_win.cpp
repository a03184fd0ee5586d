#include "ui/settings/settings_dialog_win.h"

#include <commctrl.h>

#include <algorithm>

#include "ui/hotkeys/dialog_fade_win.h"
#include "ui/settings/dialog_controls_win.h"
#include "ui/settings/internet_page_win.h"
#include "ui/settings/misc_page_win.h"
#include "ui/settings/page_choices.h"
#include "ui/settings/settings_dialog_ids.h"
#include "ui/settings/source_page_win.h"
#include "ui/settings/support_page_win.h"
#include "ui/settings/wallpaper_page_win.h"

namespace {

// The tray's normal icon, which the dialog shows as its own.
constexpr WORD kProgramIconId = 140;
constexpr const char* kInternetTitle = "Internet";

}  // namespace

SettingsDialog::SettingsDialog(HINSTANCE instance, SettingsDialogServices& services)
    : instance(instance), services(services), tabs(instance, kMsgPageLeaveQuery), fade(std::make_unique<DialogFade>()) {}

SettingsDialog::~SettingsDialog() = default;

SettingsDialogLink SettingsDialog::Link() {
  SettingsDialogLink link;
  link.run = [this](HWND owner, const char* page) { Run(owner, page); };
  link.window = [this] { return Window(); };
  link.showPage = [this](const char* page) { ShowPage(page); };
  link.currentPageRefuses = [this] { return CurrentPageRefuses(); };
  return link;
}

INT_PTR SettingsDialog::Run(HWND owner, const char* page) {
  if (dialog) return 0;
  startPage = page ? page : "";
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_TAB_CLASSES | ICC_UPDOWN_CLASS | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  closeResult = IDCANCEL;
  const INT_PTR shown = DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_SETTINGS), owner, &SettingsDialog::Proc,
                                        reinterpret_cast<LPARAM>(this));
  return shown > 0 ? closeResult : 0;
}

INT_PTR CALLBACK SettingsDialog::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<SettingsDialog*>(lParam);
    SetWindowLongPtrA(window, DWLP_USER, lParam);
    self->dialog = window;
    self->OnInit();
    return TRUE;
  }
  auto* self = reinterpret_cast<SettingsDialog*>(GetWindowLongPtrA(window, DWLP_USER));
  return self ? self->Handle(message, wParam, lParam) : FALSE;
}

void SettingsDialog::OnInit() {
  closing = false;
  workingCopy = services.LiveSettings();
  LPARAM self = reinterpret_cast<LPARAM>(static_cast<SettingsPageHost*>(this));
  tabs.Attach(dialog, IDC_SETTINGS_TABS);
  tabs.AddPage({"Source", IDD_PAGE_SOURCE, &PageProc<SourcePage>, self});
  if (workingCopy.GetImageFromInternet) tabs.AddPage({kInternetTitle, IDD_PAGE_INTERNET, &PageProc<InternetPage>, self});
  tabs.AddPage({"Wallpaper", IDD_PAGE_WALLPAPER, &PageProc<WallpaperPage>, self});
  tabs.AddPage({"Misc.", IDD_PAGE_MISC, &PageProc<MiscPage>, self});
  tabs.AddPage({"Support", IDD_PAGE_SUPPORT, &PageProc<SupportPage>, self});
  if (startPage.empty() || !tabs.SelectByName(startPage, false)) tabs.Select(0, false);
  startPage.clear();

  header.Load(services.ProgramPath());
  PlaceHeader();
  if (HICON icon = LoadIconA(instance, MAKEINTRESOURCEA(kProgramIconId)))
    SendMessageA(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  if (UniqueWindow tip = AddTooltip(GetDlgItem(dialog, IDOK), "Save all changes and continue using Skyframe",
                                    kTooltipWidth))
    tips.push_back(std::move(tip));
  if (UniqueWindow tip = AddTooltip(GetDlgItem(dialog, IDCANCEL), "Discard changes and continue using Skyframe",
                                    kTooltipWidth))
    tips.push_back(std::move(tip));
  fade->In(dialog);
}

void SettingsDialog::PlaceHeader() {
  HWND picture = GetDlgItem(dialog, IDC_SETTINGS_HEADER);
  if (!header.Loaded()) {
    ShowWindow(picture, SW_HIDE);
    return;
  }
  // Sized to the picture at this monitor's DPI, but never over the tabs below it.
  RECT room{};
  GetWindowRect(picture, &room);
  const UINT dpi = WindowDpi(dialog);
  const SIZE size = header.Size();
  const int width = std::min<int>(ScaleForDpi(size.cx, dpi), room.right - room.left);
  const int height = std::min<int>(ScaleForDpi(size.cy, dpi), room.bottom - room.top);
  SetWindowPos(picture, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR SettingsDialog::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          OnOk();
          return TRUE;
        case IDCANCEL:
          Close(IDCANCEL);
          return TRUE;
        case IDC_SETTINGS_APPLY:
          OnApply();
          return TRUE;
      }
      return FALSE;
    case WM_NOTIFY: {
      LRESULT result = 0;
      if (tabs.OnNotify(*reinterpret_cast<const NMHDR*>(lParam), result)) {
        SetWindowLongPtrA(dialog, DWLP_MSGRESULT, result);
        return TRUE;
      }
      return FALSE;
    }
    case kMsgPageValueChanged:
      MarkChanged();
      return TRUE;
    case kMsgPauseChanged:
      // The pause was toggled elsewhere: the working copy follows, so that OK
      // does not undo it, and so does the Wallpaper page's check box if shown.
      workingCopy.ChangeAtTime = !workingCopy.ChangeAtTime;
      if (HWND page = tabs.CurrentPage()) SendMessageA(page, kMsgPauseChanged, wParam, lParam);
      return TRUE;
    case WM_HELP: {
      const std::string title = tabs.CurrentTitle();
      ShowHelp(dialog, services.HelpFilePath(), static_cast<uint32_t>(HelpContextForPage(title.c_str())));
      return TRUE;
    }
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (wParam != IDC_SETTINGS_HEADER) return FALSE;
      header.Paint(item->hDC, item->rcItem);
      return TRUE;
    }
    case 0x02E0:  // WM_DPICHANGED
      PlaceHeader();
      return FALSE;  // the dialog manager rescales the rest
    case WM_DESTROY:
      tabs.RemoveAll();
      tips.clear();
      dialog = nullptr;
      return FALSE;
  }
  return FALSE;
}

void SettingsDialog::MarkChanged() {
  if (dialog) EnableWindow(GetDlgItem(dialog, IDC_SETTINGS_APPLY), TRUE);
}

void SettingsDialog::ShowInternetPage(bool shown) {
  if (shown == tabs.HasPage(kInternetTitle)) return;
  if (shown)
    tabs.AddPage({kInternetTitle, IDD_PAGE_INTERNET, &PageProc<InternetPage>,
                  reinterpret_cast<LPARAM>(static_cast<SettingsPageHost*>(this))});
  else
    tabs.RemovePage(kInternetTitle);
}

void SettingsDialog::ShowPage(const char* page) {
  if (dialog && page) tabs.SelectByName(page, true);
}

bool SettingsDialog::CurrentPageRefuses() { return dialog && tabs.AskCurrentPage(); }

void SettingsDialog::OnOk() {
  if (closing) return;
  if (!services.Apply(workingCopy)) return;
  Close(IDOK);
}

void SettingsDialog::OnApply() {
  if (closing) return;
  if (!services.Apply(workingCopy)) return;
  HWND apply = GetDlgItem(dialog, IDC_SETTINGS_APPLY);
  // The focus must not stay on a disabled button, or the keyboard is lost.
  if (GetFocus() == apply) SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDOK)), TRUE);
  EnableWindow(apply, FALSE);
}

void SettingsDialog::Close(INT_PTR result) {
  if (closing) return;
  closing = true;
  // The fader ends the dialog with its timer id; the result is kept here instead.
  closeResult = result;
  if (!fade->OutAndEnd(dialog)) EndDialog(dialog, result);
}
