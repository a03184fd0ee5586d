#include "shell/main_window_win.h"

#include <commctrl.h>

#include "shell/app_win.h"
#include "shell/startup_win.h"
#include "shell/tray/tray_win.h"
#include "wallpaper/pipeline/change_pipeline_win.h"
#include "support/log/log.h"

namespace {

constexpr UINT_PTR kSchedulerTimer = 567;
constexpr UINT_PTR kTrayMenuTimer = 159;
constexpr UINT_PTR kTrayAnimationTimer = 987;

void KillMainTimers(HWND window) {
  KillTimer(window, kSchedulerTimer);
  KillTimer(window, kTrayMenuTimer);
  KillTimer(window, kTrayAnimationTimer);
}

LRESULT EndSession(HWND window) {
  SF_LOG(kLogInfo, "Received WM_QUERYENDSESSION");
  DestroyTray();
  SF_LOG(kLogInfo, "Deleted notify icon");
  Shutdown();
  PostQuitMessage(0);
  SF_LOG(kLogInfo, "Posted Quit message");
  DestroyWindow(window);
  SF_LOG(kLogInfo, "Called DestroyWindow()");
  return TRUE;
}

}  // namespace

bool RegisterMainWindowClass(HINSTANCE instance) {
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = MainWindowProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(140));
  wc.hIconSm = LoadIconA(instance, MAKEINTRESOURCEA(140));
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = kAppName;
  return RegisterClassExA(&wc) != 0;
}

bool CreateMainWindow(HINSTANCE instance, int /*showCommand*/) {
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  HWND window = CreateWindowExA(0, kAppName, kAppName, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                instance, nullptr);
  if (!window) return false;
  TheApp().mainWindow = window;
  ShowWindow(window, SW_HIDE);
  UpdateWindow(window);
  CreateTray(window);
  return true;
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  App& app = TheApp();
  LRESULT handled = 0;
  if (HandleTrayMessage(window, message, wParam, lParam, handled)) return handled;
  switch (message) {
    case WM_APP_IMAGE_LOADED:
      OnImageLoaded();
      return 0;
    case WM_APP_IMAGE_SAVED:
      OnImageSaved();
      return 0;
    case WM_APP_IMAGE_RESIZED:
      OnImageResized();
      return 0;
    case WM_TIMER:
      if (wParam == kSchedulerTimer) {
        OnSchedulerTimer(window);
        return 0;
      }
      break;
    case WM_APP_EXIT_REQUEST:
      DestroyTray();
      KillMainTimers(window);
      PostQuitMessage(0);
      DestroyWindow(window);
      EndSession(window);
      return 1;
    case WM_QUERYENDSESSION:
      return EndSession(window);
    case WM_DESTROY:
      DestroyTray();
      KillMainTimers(window);
      if (app.mainWindow == window) app.mainWindow = nullptr;
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
