#include "shell/previous_run_win.h"

#include "settings/flags_win.h"
#include "shell/shell_ids.h"

namespace {

INT_PTR CALLBACK ReportOfferProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      HICON icon = LoadIconA(nullptr, IDI_HAND);
      SendDlgItemMessageA(dialog, IDC_ERROR_ICON, STM_SETIMAGE, IMAGE_ICON,
                          reinterpret_cast<LPARAM>(icon));
      SetForegroundWindow(dialog);
      return TRUE;
    }
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      if (id != IDOK && id != IDCANCEL) break;
      auto* settings = reinterpret_cast<Settings*>(GetWindowLongPtrA(dialog, DWLP_USER));
      // The report dialogs that "Yes" leads to arrive with error reporting;
      // until then "Yes" records the choice exactly like "No".
      settings->ShowErrorReport = IsDlgButtonChecked(dialog, IDC_DONT_ASK_AGAIN) != BST_CHECKED;
      settings->Save();
      EndDialog(dialog, id == IDOK ? 1 : 2);
      return TRUE;
    }
    case WM_CLOSE:
      SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
      return TRUE;
  }
  return FALSE;
}

}  // namespace

INT_PTR ShowReportOffer(HINSTANCE instance, Settings& settings) {
  return DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_ABNORMAL_SHUTDOWN), nullptr, ReportOfferProc,
                         reinterpret_cast<LPARAM>(&settings));
}

void CheckPreviousRun(HINSTANCE instance, Settings& settings) {
  const int32_t crashFlagAsLoaded = settings.CrashFlag;
  if (settings.CriticalError == 1) {
    MessageBoxA(nullptr,
                "The application detected some errors from prior operation of this program.\n"
                "You may need to reinstall the application.\n\n"
                "If this error continues to happen, please contact technical support.",
                "Skyframe", MB_ICONWARNING);
    if (settings.ShowErrorReport) ShowReportOffer(instance, settings);
  } else if (settings.CriticalError == 2) {
    if (settings.ShowErrorReport) ShowReportOffer(instance, settings);
  }
  SetCrashFlag(0);
  SetErrorFlag(settings, 0);
  if (crashFlagAsLoaded != 0 && settings.ShowErrorReport) ShowReportOffer(instance, settings);
  SetCrashFlag(1);
}
