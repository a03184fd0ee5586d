#include "ui/splash/splash_win.h"

#include <memory>
#include <stdexcept>

#include "ui/fade/fade_math.h"
#include "ui/fade/window_fader_win.h"
#include "ui/resources/ui_resource_ids.h"
#include "ui/skin/skin_win.h"

namespace {

constexpr INT_PTR kSplashShown = 1;
constexpr INT_PTR kSplashFailed = 2;

struct Splash {
  HINSTANCE instance;
  std::string picturePath;
  bool transparency;
  std::unique_ptr<CSkin> skin;
  std::unique_ptr<WindowFader> fader;
  bool layered = false;
  int32_t elapsedMs = 0;
  int alpha = -1;
};

// Centred on the work area of the monitor the owner is on.
void CentreOnWorkArea(HWND hwnd, HWND owner, int width, int height) {
  MONITORINFO mi{};
  mi.cbSize = sizeof(mi);
  HMONITOR monitor = MonitorFromWindow(owner ? owner : hwnd, MONITOR_DEFAULTTOPRIMARY);
  RECT area{};
  if (monitor && GetMonitorInfoA(monitor, &mi))
    area = mi.rcWork;
  else
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  const int x = area.left + ((area.right - area.left) - width) / 2;
  const int y = area.top + ((area.bottom - area.top) - height) / 2;
  SetWindowPos(hwnd, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void SetAlpha(Splash& s, HWND hwnd, int value) {
  if (!s.layered || value == s.alpha) return;
  s.alpha = value;
  s.fader->SetAlpha(hwnd, value);
}

INT_PTR CALLBACK SplashProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_INITDIALOG) {
    SetWindowLongPtrA(hwnd, DWLP_USER, lp);
    Splash& s = *reinterpret_cast<Splash*>(lp);
    try {
      s.skin = std::make_unique<CSkin>(s.instance, IDR_SPLASH_REGION, s.picturePath);
    } catch (const std::runtime_error&) {
      // Ending before the dialog is ever shown: it never appears.
      EndDialog(hwnd, kSplashFailed);
      return TRUE;
    }
    CentreOnWorkArea(hwnd, GetWindow(hwnd, GW_OWNER), s.skin->Width(), s.skin->Height());
    s.fader = std::make_unique<WindowFader>();
    // Layered at alpha 0 before it is first shown, so it does not flash.
    if (s.transparency && LayeredWindowsAvailable()) {
      SetWindowLongPtrA(hwnd, GWL_EXSTYLE, GetWindowLongPtrA(hwnd, GWL_EXSTYLE) | WS_EX_LAYERED);
      s.layered = true;
      SetAlpha(s, hwnd, 0);
    }
    s.skin->Attach(hwnd);
    s.skin->SetVisible(true);
    SetTimer(hwnd, kSplashTimerId, kSplashTickMs, nullptr);
    return FALSE;
  }
  auto* s = reinterpret_cast<Splash*>(GetWindowLongPtrA(hwnd, DWLP_USER));
  if (!s) return FALSE;
  switch (msg) {
    case WM_TIMER:
      if (wp != kSplashTimerId) return FALSE;
      s->elapsedMs += kSplashTickMs;
      SetAlpha(*s, hwnd, SplashAlpha(s->elapsedMs));
      if (s->elapsedMs >= kSplashEndMs) {
        KillTimer(hwnd, kSplashTimerId);
        EndDialog(hwnd, kSplashShown);
      }
      return TRUE;
    case WM_DESTROY:
      KillTimer(hwnd, kSplashTimerId);
      s->skin.reset();
      s->fader.reset();
      return FALSE;
  }
  return FALSE;
}

}  // namespace

bool ShowSplash(HINSTANCE instance, HWND owner, const std::string& programFolder, bool transparency) {
  Splash splash{instance, programFolder + "splash.gif", transparency, nullptr, nullptr};
  const INT_PTR result = DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_SPLASH), owner, &SplashProc,
                                         reinterpret_cast<LPARAM>(&splash));
  return result == kSplashShown;
}
