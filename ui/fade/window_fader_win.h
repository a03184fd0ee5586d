#pragma once
// Fades a window in or out with layered-window transparency, driven by a
// timer on the window itself. One object per faded window.
#include <windows.h>

#include <cstdint>

inline constexpr UINT_PTR kFaderTimerId = 17185;

// Layered windows exist here: user32, which every window program has loaded,
// exports SetLayeredWindowAttributes.
bool LayeredWindowsAvailable();

class WindowFader {
 public:
  WindowFader();
  // Stops a running fade (the window keeps its current look).
  virtual ~WindowFader();
  WindowFader(const WindowFader&) = delete;
  WindowFader& operator=(const WindowFader&) = delete;

  // Sets the window's alpha (0-255, clamped); the window must be layered.
  // False when transparency is not available or the call fails.
  bool SetAlpha(HWND window, int alpha);

  // From alpha 0 up to 255 over durationMs in steps of stepMs, adding
  // WS_EX_LAYERED and extraExStyle; the old extended style comes back at the
  // end when asked. False (and nothing done) without transparency.
  bool FadeIn(HWND window, DWORD extraExStyle, int durationMs, int stepMs, bool restoreStyleWhenDone);
  // From 255 down to 0; at the end closes the window when asked, with
  // EndDialog (result: the timer id) or DestroyWindow.
  bool FadeOut(HWND window, DWORD extraExStyle, int durationMs, int stepMs, bool closeWhenDone,
               bool closeWithEndDialog);

  bool Fading() const { return timerRunning; }
  // The alpha last applied (for tests: Xvfb does not draw it).
  int LastAlpha() const { return lastAlpha; }

 private:
  bool Begin(HWND window, DWORD extraExStyle, int durationMs, int stepMs, bool in);
  void Tick(WPARAM timerParam);
  void Finish(WPARAM timerParam);
  void Unhook();
  static LRESULT CALLBACK FaderProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR data);

  bool fadingIn = true;
  bool timerRunning = false;
  int stepMs = 10;
  int64_t elapsedMs = 0;
  int durationMs = 1000;
  HWND window = nullptr;
  bool closeWithEndDialog = true;
  bool hooked = false;
  LONG_PTR previousExStyle = 0;
  bool closeWhenDone = false;
  bool restoreStyleWhenDone = false;
  int lastAlpha = -1;
};
