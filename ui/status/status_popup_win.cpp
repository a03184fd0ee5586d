#include "ui/status/status_popup_win.h"

#include <algorithm>

#include "support/win/gdi_win.h"
#include "ui/fade/fade_math.h"
#include "ui/placement/placement_win.h"

CStatusPopupDialog::~CStatusPopupDialog() {
  // The thread uses this object's members: end it before they go.
  Close();
}

bool CStatusPopupDialog::Show(const StatusPopupConfig& newConfig) {
  Close();
  config = newConfig;
  config.tickMs = std::max(config.tickMs, 1);
  showing.store(true);
  if (!Start() || !ResumeWithPriority(THREAD_PRIORITY_NORMAL)) {
    Close();
    showing.store(false);
    return false;
  }
  return true;
}

void CStatusPopupDialog::Close() {
  closeRequested.store(true);
  {
    // Wakes the loop now rather than at the next tick. A window not stored
    // yet sees closeRequested when it is set up.
    cMonitorLock hold(lock);
    if (window) PostMessageA(window, WM_NULL, 0, 0);
  }
  Stop();
  closeRequested.store(false);
}

CStatusPopupDialog::State CStatusPopupDialog::Peek() const {
  cMonitorLock hold(lock);
  return State{window, elapsedMs, alpha, skinLoaded, initialised};
}

bool CStatusPopupDialog::EndRequested() const { return closeRequested.load() || !IsRunning(); }

uint32_t CStatusPopupDialog::Run() {
  HWND hwnd = CreateDialogParamA(config.instance, MAKEINTRESOURCEA(config.templateId), nullptr,
                                 &CStatusPopupDialog::PopupProc, reinterpret_cast<LPARAM>(this));
  if (hwnd) {
    bool setUpDone;
    {
      cMonitorLock hold(lock);
      setUpDone = initialised;
    }
    if (!setUpDone) SendMessageA(hwnd, kPopupSetupMessage, 0, 0);
    MSG msg;
    // Ends with WM_QUIT from WM_DESTROY, or on a failed GetMessage.
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    if (IsWindow(hwnd)) DestroyWindow(hwnd);
  }
  skin = SkinPicture{};
  font.reset();
  {
    cMonitorLock hold(lock);
    window = nullptr;
    initialised = false;
    elapsedMs = 0;
    alpha = -1;
  }
  showing.store(false);
  return hwnd ? 0 : 1;
}

INT_PTR CALLBACK CStatusPopupDialog::PopupProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_INITDIALOG) {
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, lp);
    auto* self = reinterpret_cast<CStatusPopupDialog*>(lp);
    cMonitorLock hold(self->lock);
    self->window = hwnd;
    return FALSE;  // no focus to give
  }
  auto* self = reinterpret_cast<CStatusPopupDialog*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  return self ? self->Handle(hwnd, msg, wp, lp) : FALSE;
}

INT_PTR CStatusPopupDialog::Handle(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case kPopupSetupMessage:
      SetUp(hwnd);
      return TRUE;
    case WM_TIMER:
      if (wp != kPopupTimerId) return FALSE;
      OnTick(hwnd);
      return TRUE;
    case WM_NULL:
      // Close()'s wake-up.
      if (EndRequested()) DestroyWindow(hwnd);
      return TRUE;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      OnButtonUp(msg == WM_LBUTTONUP);
      return TRUE;
    case WM_SETCURSOR:
      if (config.clickMessage == 0) return FALSE;
      {
        HCURSOR hand = LoadCursorA(nullptr, MAKEINTRESOURCEA(32649));  // IDC_HAND
        SetCursor(hand ? hand : LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)));  // IDC_ARROW
      }
      SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, TRUE);
      return TRUE;
    case WM_MOUSEACTIVATE:
      // A click must not take the focus from what the user is doing.
      SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, MA_NOACTIVATE);
      return TRUE;
    case WM_ACTIVATE:
      if (LOWORD(wp) != WA_INACTIVE) {
        HWND previous = reinterpret_cast<HWND>(lp);
        if (previous && IsWindow(previous)) SetForegroundWindow(previous);
      }
      return TRUE;
    case WM_ERASEBKGND:
      if (!skin.bitmap) return FALSE;
      SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, TRUE);
      return TRUE;
    case WM_PAINT:
      Paint(hwnd);
      return TRUE;
    case WM_DESTROY:
      KillTimer(hwnd, kPopupTimerId);
      PostQuitMessage(0);
      return TRUE;
    case WM_NCDESTROY: {
      cMonitorLock hold(lock);
      window = nullptr;
      return FALSE;
    }
  }
  return FALSE;
}

void CStatusPopupDialog::SetUp(HWND hwnd) {
  {
    cMonitorLock hold(lock);
    initialised = true;
    elapsedMs = 0;
  }
  const bool loaded = LoadSkinPicture(config.skinPath, skin);
  {
    cMonitorLock hold(lock);
    skinLoaded = loaded;
  }
  const int width = loaded ? skin.width : kPopupDefaultWidth;
  const int height = loaded ? skin.height : kPopupDefaultHeight;
  font.reset(CreateFontA(-12, 0, 0, 0, FW_DONTCARE, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_TT_PRECIS,
                         CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "Arial"));

  const PlacePoint at = PlaceWindow(QueryDesktopLayout(), config.position, width, height);
  SetWindowPos(hwnd, nullptr, at.x, at.y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  const int corner = std::max(config.cornerRadius, 0);
  HRGN shape = CreateRoundRectRgn(0, 0, width, height, corner, corner);
  // The window owns the region from here on.
  if (shape && !SetWindowRgn(hwnd, shape, FALSE)) DeleteObject(shape);

  SetTimer(hwnd, kPopupTimerId, static_cast<UINT>(config.tickMs), nullptr);
  layered = config.transparency && LayeredWindowsAvailable();
  LONG_PTR exStyle = WS_EX_TOOLWINDOW;
  if (layered) exStyle |= WS_EX_LAYERED;
  SetWindowLongPtrA(hwnd, GWL_EXSTYLE, exStyle);
  ApplyAlpha(hwnd, layered ? 0 : 255);
  SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);

  // Asked to end while it was being set up.
  if (EndRequested()) DestroyWindow(hwnd);
}

void CStatusPopupDialog::OnTick(HWND hwnd) {
  bool finished;
  int newAlpha = -1;
  {
    // Elapsed time and alpha change together, so a reader never sees one
    // without the other.
    cMonitorLock hold(lock);
    elapsedMs += config.tickMs;
    finished = PopupFinished(elapsedMs, config.durationMs) || EndRequested();
    if (!finished) {
      const int value = PopupAlpha(elapsedMs, config.durationMs, config.fadeMs);
      if (value != alpha) newAlpha = alpha = value;
    }
  }
  if (finished) {
    DestroyWindow(hwnd);
    return;
  }
  if (newAlpha >= 0 && layered) fader.SetAlpha(hwnd, newAlpha);
}

void CStatusPopupDialog::ApplyAlpha(HWND hwnd, int value) {
  {
    cMonitorLock hold(lock);
    alpha = value;
  }
  if (layered) fader.SetAlpha(hwnd, value);
}

void CStatusPopupDialog::OnButtonUp(bool left) {
  {
    cMonitorLock hold(lock);
    elapsedMs = PopupElapsedAfterClick(elapsedMs, config.durationMs, config.fadeMs);
  }
  if (left && config.clickMessage != 0 && config.clickWindow) PostMessageA(config.clickWindow, config.clickMessage, 0, 0);
}

void CStatusPopupDialog::Paint(HWND hwnd) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  if (!dc) return;
  RECT client;
  GetClientRect(hwnd, &client);
  if (skin.bitmap) {
    UniqueMemoryDc memory(CreateCompatibleDC(dc));
    if (memory) {
      ScopedSelectObject picture(memory.get(), skin.bitmap.get());
      BitBlt(dc, 0, 0, skin.width, skin.height, memory.get(), 0, 0, SRCCOPY);
    }
  }
  const int inset = config.cornerRadius / 5;
  RECT box{client.left + inset, client.top + std::max(20, inset), client.right - inset, client.bottom - inset};
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, config.textColour);
  {
    ScopedSelectObject textFont(dc, font.get());
    RECT measured = box;
    DrawTextA(dc, config.text.c_str(), static_cast<int>(config.text.size()), &measured,
              config.textFormat | DT_CALCRECT);
    const LONG spare = (box.bottom - box.top) - (measured.bottom - measured.top);
    if (spare > 0) box.top += spare / 2;
    DrawTextA(dc, config.text.c_str(), static_cast<int>(config.text.size()), &box, config.textFormat);
  }
  EndPaint(hwnd, &ps);
}
