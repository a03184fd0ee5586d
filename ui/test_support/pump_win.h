#pragma once
// Helpers for the user-interface tests under Wine: pump the calling thread's
// messages until something holds, a recording owner window, and the test
// executable's own folder (where the build puts the shipped pictures).
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "support/tests/message_pump_win.h"

namespace uitest {

using testpump::PumpFor;
using testpump::PumpUntil;

struct Received {
  UINT msg;
  WPARAM wp;
  LPARAM lp;
};

// A hidden top-level window that records every message at or above WM_APP.
class RecordingWindow {
 public:
  RecordingWindow() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = &RecordingWindow::Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "SkyframeUiTestOwner";
    RegisterClassA(&wc);  // a second registration fails harmlessly
    hwnd = CreateWindowExA(0, wc.lpszClassName, "owner", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                           wc.hInstance, this);
  }
  ~RecordingWindow() {
    if (hwnd) DestroyWindow(hwnd);
  }
  RecordingWindow(const RecordingWindow&) = delete;
  RecordingWindow& operator=(const RecordingWindow&) = delete;

  HWND Handle() const { return hwnd; }
  std::vector<Received> messages;

 private:
  static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_NCCREATE)
      SetWindowLongPtrA(h, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams));
    auto* self = reinterpret_cast<RecordingWindow*>(GetWindowLongPtrA(h, GWLP_USERDATA));
    if (self && m >= WM_APP && m < 0xC000) self->messages.push_back({m, wp, lp});
    return DefWindowProcA(h, m, wp, lp);
  }
  HWND hwnd = nullptr;
};

inline std::string ExeFolder() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string s(path);
  const size_t slash = s.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : s.substr(0, slash + 1);
}

inline RECT WindowRect(HWND h) {
  RECT r{};
  GetWindowRect(h, &r);
  return r;
}

inline RECT WorkArea() {
  RECT r{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0);
  return r;
}

}  // namespace uitest
