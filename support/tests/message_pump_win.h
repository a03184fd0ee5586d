#pragma once
// Pumps the calling thread's messages in tests that run on a real window
// under Wine: until a condition holds (false after a hang guard, not a timing
// check), or for a while.
#include <windows.h>

#include <functional>

namespace testpump {

inline bool PumpUntil(const std::function<bool()>& done, DWORD limitMs = 15000) {
  const ULONGLONG end = GetTickCount64() + limitMs;
  while (!done()) {
    if (GetTickCount64() > end) return false;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
  return true;
}

inline void PumpFor(DWORD ms) {
  const ULONGLONG end = GetTickCount64() + ms;
  PumpUntil([end] { return GetTickCount64() >= end; }, ms + 1000);
}

}  // namespace testpump
