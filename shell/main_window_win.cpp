#include "shell/main_window_win.h"

#include <commctrl.h>

#include "shell/app_paths.h"
#include "shell/tray/tray_ids.h"

namespace {

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* handler = reinterpret_cast<MainWindowHandler*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (message == WM_NCDESTROY) SetWindowLongPtrA(window, GWLP_USERDATA, 0);
  if (handler) {
    bool handled = false;
    const LRESULT result = handler->OnMainWindowMessage(window, message, wParam, lParam, handled);
    if (handled) return result;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

bool RegisterMainWindowClass(HINSTANCE instance) {
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = MainWindowProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_TRAY_NORMAL));
  wc.hIconSm = LoadIconA(instance, MAKEINTRESOURCEA(IDI_TRAY_NORMAL));
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = kAppName;
  return RegisterClassExA(&wc) != 0;
}

HWND CreateMainWindow(HINSTANCE instance, MainWindowHandler& handler) {
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  HWND window = CreateWindowExA(0, kAppName, kAppName, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, &handler);
  if (!window) return nullptr;
  ShowWindow(window, SW_HIDE);
  UpdateWindow(window);
  return window;
}
