#include "ui/fade/window_fader_win.h"

#include <commctrl.h>

#include <algorithm>

#include "ui/fade/fade_math.h"

namespace {
using SetLayeredFn = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);

constexpr UINT_PTR kFaderSubclassId = 0x46414445;
constexpr char kFaderProperty[] = "_WindowFader_Object_Ptr_";

// Looked up once, on whichever thread asks first. user32 stays loaded for the
// whole life of a window program, so the address never goes stale and no
// reference on the module is needed.
SetLayeredFn SetLayeredFunction() {
  static const SetLayeredFn function = []() -> SetLayeredFn {
    HMODULE user32 = GetModuleHandleA("user32.dll");
    if (!user32) return nullptr;
    return reinterpret_cast<SetLayeredFn>(
        reinterpret_cast<void*>(GetProcAddress(user32, "SetLayeredWindowAttributes")));
  }();
  return function;
}
}  // namespace

bool LayeredWindowsAvailable() { return SetLayeredFunction() != nullptr; }

WindowFader::WindowFader() = default;

WindowFader::~WindowFader() { Unhook(); }

bool WindowFader::SetAlpha(HWND target, int alpha) {
  const SetLayeredFn fn = SetLayeredFunction();
  if (!fn || !target) return false;
  alpha = std::clamp(alpha, 0, 255);
  lastAlpha = alpha;
  return fn(target, 0, static_cast<BYTE>(alpha), LWA_ALPHA) != FALSE;
}

bool WindowFader::FadeIn(HWND target, DWORD extraExStyle, int duration, int step, bool restoreStyle) {
  if (!Begin(target, extraExStyle, duration, step, true)) return false;
  restoreStyleWhenDone = restoreStyle;
  closeWhenDone = false;
  return true;
}

bool WindowFader::FadeOut(HWND target, DWORD extraExStyle, int duration, int step, bool close, bool withEndDialog) {
  if (!Begin(target, extraExStyle, duration, step, false)) return false;
  restoreStyleWhenDone = false;
  closeWhenDone = close;
  closeWithEndDialog = withEndDialog;
  return true;
}

bool WindowFader::Begin(HWND target, DWORD extraExStyle, int duration, int step, bool in) {
  if (!LayeredWindowsAvailable() || !target || !IsWindow(target)) return false;
  if (hooked && window != target) Unhook();
  if (!hooked) {
    // A window that another fader still drives is taken over: that one stops.
    if (auto* other = static_cast<WindowFader*>(GetPropA(target, kFaderProperty)); other && other != this)
      other->Unhook();
    if (!SetWindowSubclass(target, &WindowFader::FaderProc, kFaderSubclassId, reinterpret_cast<DWORD_PTR>(this)))
      return false;
    SetPropA(target, kFaderProperty, this);
    window = target;
    hooked = true;
    // Remembered once per hook: a fade-out right after a fade-in restores
    // the style the window had before either.
    previousExStyle = GetWindowLongPtrA(target, GWL_EXSTYLE);
  }
  fadingIn = in;
  durationMs = duration;
  stepMs = std::max(step, 1);
  elapsedMs = 0;
  SetWindowLongPtrA(target, GWL_EXSTYLE, previousExStyle | static_cast<LONG_PTR>(extraExStyle) | WS_EX_LAYERED);
  SetAlpha(target, in ? 0 : 255);
  timerRunning = SetTimer(target, kFaderTimerId, static_cast<UINT>(stepMs), nullptr) != 0;
  if (!timerRunning) Finish(kFaderTimerId);
  return true;
}

void WindowFader::Tick(WPARAM timerParam) {
  elapsedMs += stepMs;
  SetAlpha(window, FaderAlpha(elapsedMs, durationMs, fadingIn));
  if (elapsedMs >= durationMs) Finish(timerParam);
}

void WindowFader::Finish(WPARAM timerParam) {
  HWND target = window;
  const LONG_PTR style = previousExStyle;
  const bool restore = restoreStyleWhenDone;
  const bool close = closeWhenDone;
  const bool endDialog = closeWithEndDialog;
  Unhook();
  if (restore) SetWindowLongPtrA(target, GWL_EXSTYLE, style);
  if (close) {
    if (endDialog)
      EndDialog(target, LOWORD(timerParam));
    else
      DestroyWindow(target);
  }
}

void WindowFader::Unhook() {
  if (!hooked) return;
  if (IsWindow(window)) {
    if (timerRunning) KillTimer(window, kFaderTimerId);
    RemoveWindowSubclass(window, &WindowFader::FaderProc, kFaderSubclassId);
    if (GetPropA(window, kFaderProperty) == this) RemovePropA(window, kFaderProperty);
  }
  timerRunning = false;
  hooked = false;
  window = nullptr;
}

LRESULT CALLBACK WindowFader::FaderProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
  auto* self = reinterpret_cast<WindowFader*>(data);
  if (msg == WM_TIMER && wp == kFaderTimerId) {
    self->Tick(wp);
    return 0;
  }
  if (msg == WM_DESTROY) self->Unhook();
  return DefSubclassProc(hwnd, msg, wp, lp);
}
