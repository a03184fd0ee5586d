#include "shell/tray/quick_entry_win.h"

#include <string>

#include "shell/tray/tray_ids.h"
#include "ui/fade/window_fader_win.h"
#include "ui/placement/placement_win.h"

namespace {

constexpr int kFadeMs = 150;
constexpr int kFadeStepMs = 10;
constexpr int kMaxTextLength = 1024;

struct QuickEntryBox {
  const Settings& live;
  const std::function<void(const std::string&)>& apply;
  WindowFader fader;
  QuickEntryResult result = QuickEntryResult::kCancelled;
  bool closing = false;
  // OK is applying the settings: losing the activation meanwhile (a message
  // box, the desktop redrawing) must not end the dialog under it.
  bool applying = false;
};

void Close(HWND box, QuickEntryBox& self) {
  if (self.closing) return;
  self.closing = true;
  if (!self.fader.FadeOut(box, 0, kFadeMs, kFadeStepMs, true, true)) EndDialog(box, 0);
}

void Init(HWND box, QuickEntryBox& self) {
  const Settings& s = self.live;
  SetWindowTextA(box, s.EngineIndex != 0 ? "Change Keywords" : "Change URL");
  self.fader.FadeIn(box, WS_EX_APPWINDOW, kFadeMs, kFadeStepMs, false);

  RECT r = {};
  GetWindowRect(box, &r);
  const PlacePoint at = PlaceWindow(QueryDesktopLayout(), kPopupAutomatic, r.right - r.left, r.bottom - r.top);
  SetWindowPos(box, HWND_TOPMOST, at.x, at.y, 0, 0, SWP_NOSIZE);

  HWND edit = GetDlgItem(box, IDC_QUICK_ENTRY_TEXT);
  SendMessageA(edit, EM_LIMITTEXT, kMaxTextLength, 0);
  SetWindowTextA(edit, s.InternetString.c_str());
  SetForegroundWindow(box);
  SetFocus(edit);
  SendMessageA(edit, EM_SETSEL, 0, -1);
}

void Ok(HWND box, QuickEntryBox& self) {
  char text[kMaxTextLength + 1] = {};
  GetDlgItemTextA(box, IDC_QUICK_ENTRY_TEXT, text, sizeof text);
  if (text[0] != 0) {
    self.applying = true;
    self.apply(text);
    self.result = QuickEntryResult::kApplied;
    self.applying = false;
  }
  Close(box, self);
}

INT_PTR CALLBACK QuickEntryProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrA(box, DWLP_USER, lParam);
    Init(box, *reinterpret_cast<QuickEntryBox*>(lParam));
    return FALSE;  // the focus is set
  }
  auto* self = reinterpret_cast<QuickEntryBox*>(GetWindowLongPtrA(box, DWLP_USER));
  if (!self) return FALSE;
  switch (message) {
    case WM_COMMAND:
      // Enter in the field arrives as IDOK through the default button.
      if (LOWORD(wParam) == IDOK) {
        if (!self->closing && !self->applying) Ok(box, *self);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        if (!self->applying) Close(box, *self);
        return TRUE;
      }
      break;
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE && !self->closing && !self->applying) {
        self->closing = true;
        EndDialog(box, 0);
      }
      break;
  }
  return FALSE;
}

}  // namespace

QuickEntryResult ShowQuickEntryBox(HWND owner, const Settings& live,
                                   const std::function<void(const std::string& text)>& apply) {
  QuickEntryBox self{live, apply};
  HINSTANCE instance = GetModuleHandleA(nullptr);
  const INT_PTR r = DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_QUICK_ENTRY), owner, QuickEntryProc,
                                    reinterpret_cast<LPARAM>(&self));
  if (r == -1) return QuickEntryResult::kNotShown;
  return self.result;
}
