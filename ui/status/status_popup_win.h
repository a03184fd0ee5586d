#pragma once
// The status popup: a small skinned window near the taskbar that fades in,
// shows a message for a while and fades out. It runs on a thread of its own,
// so it keeps fading while the main thread is busy.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "support/app_messages.h"
#include "support/thread/monitor_win.h"
#include "support/thread/thread_win.h"
#include "support/win/unique_handle_win.h"
#include "ui/fade/window_fader_win.h"
#include "ui/skin/picture_win.h"

inline constexpr UINT kPopupSetupMessage = kMsgPopupSetup;
inline constexpr UINT_PTR kPopupTimerId = 123;
inline constexpr int kPopupDefaultWidth = 200;
inline constexpr int kPopupDefaultHeight = 75;

// Everything one message needs; copied into the popup when it starts.
struct StatusPopupConfig {
  HINSTANCE instance = nullptr;  // holds the dialog template
  UINT templateId = 0;
  int32_t tickMs = 10;
  int32_t durationMs = 1500;     // on screen, fades included
  int32_t fadeMs = 400;
  std::string text;
  std::string skinPath;          // picture painted as the background
  COLORREF textColour = RGB(255, 255, 255);
  UINT textFormat = 0x8015;      // DrawTextA flags
  int32_t position = 0;          // StatusPopupPos
  UINT clickMessage = 0;         // posted to clickWindow on a left click; 0 = none
  HWND clickWindow = nullptr;
  bool transparency = true;      // fade with layered-window alpha where it exists
  int32_t cornerRadius = 45;
};

class CStatusPopupDialog : public cThread {
 public:
  CStatusPopupDialog() = default;
  ~CStatusPopupDialog() override;

  // Ends a showing popup, takes `config` and shows it on a new thread.
  // False when the thread cannot be started.
  bool Show(const StatusPopupConfig& config);
  // Ends a showing popup within a tick (also in the middle of a fade) and
  // joins its thread. Safe to call when nothing shows.
  void Close();
  // A popup thread is alive (between Show and the end of its window).
  bool IsShowing() const { return showing.load(); }

  // What the popup looks like now, for tests and diagnostics.
  struct State {
    HWND window = nullptr;
    int32_t elapsedMs = 0;
    int alpha = -1;  // -1 before the first alpha is applied
    bool skinLoaded = false;
    bool initialised = false;
  };
  State Peek() const;

 protected:
  uint32_t Run() override;

 private:
  static INT_PTR CALLBACK PopupProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  INT_PTR Handle(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  void SetUp(HWND hwnd);
  void OnTick(HWND hwnd);
  void OnButtonUp(bool left);
  void Paint(HWND hwnd);
  void ApplyAlpha(HWND hwnd, int alpha);
  bool EndRequested() const;

  // Written by the owner only while no popup thread exists.
  StatusPopupConfig config;

  // Popup thread only.
  SkinPicture skin;
  UniqueGdiObject font;
  bool layered = false;
  WindowFader fader;

  // Shared: under lock.
  mutable cMonitor lock;
  HWND window = nullptr;
  int32_t elapsedMs = 0;
  int alpha = -1;
  bool skinLoaded = true;
  bool initialised = false;

  std::atomic<bool> showing{false};
  std::atomic<bool> closeRequested{false};
};
