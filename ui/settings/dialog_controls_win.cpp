#include "ui/settings/dialog_controls_win.h"

#include <commctrl.h>
#include <shlobj.h>

#include <memory>

namespace {

// The parent paints the background behind a transparent static: it must erase first.
void RepaintWithParent(HWND control) {
  RECT r{};
  GetWindowRect(control, &r);
  HWND parent = GetParent(control);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  InvalidateRect(parent, &r, TRUE);
}

constexpr UINT_PTR kClickableSubclassId = 0x5346434C;
// Where the parent finds a clickable static's state when it colours it.
constexpr const char* kClickableProperty = "_Clickable_From_Static_";

struct ClickableState {
  COLORREF normal;
  COLORREF hover;
  bool over = false;
};

LRESULT CALLBACK ClickableProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                               DWORD_PTR data) {
  auto* state = reinterpret_cast<ClickableState*>(data);
  switch (message) {
    case WM_MOUSEMOVE: {
      RECT client{};
      GetClientRect(window, &client);
      const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      const bool inside = PtInRect(&client, at) != 0;
      if (inside != state->over) {
        state->over = inside;
        // Captured while over it, so that leaving is seen even by a fast mouse.
        if (inside)
          SetCapture(window);
        else
          ReleaseCapture();
        RepaintWithParent(window);
      }
      break;
    }
    case WM_CAPTURECHANGED:
      if (state->over && reinterpret_cast<HWND>(lParam) != window) {
        state->over = false;
        RepaintWithParent(window);
      }
      break;
    case WM_SETCURSOR: {
      HCURSOR hand = LoadCursorA(nullptr, MAKEINTRESOURCEA(32649));  // IDC_HAND
      SetCursor(hand ? hand : LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)));
      return TRUE;
    }
    case WM_NCDESTROY:
      RemovePropA(window, kClickableProperty);
      RemoveWindowSubclass(window, &ClickableProc, id);
      delete state;
      break;
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

using HtmlHelpFunction = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);

std::string RegisteredHelpControl() {
  char path[MAX_PATH] = {};
  LONG size = sizeof(path) - 1;
  if (RegQueryValueA(HKEY_CLASSES_ROOT, "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32", path,
                     &size) != ERROR_SUCCESS)
    return {};
  return path;
}

struct PidlFree {
  void operator()(ITEMIDLIST* pidl) const { CoTaskMemFree(pidl); }
};

}  // namespace

void MakeClickable(HWND staticControl, COLORREF normal, COLORREF hover) {
  if (!staticControl) return;
  SetWindowLongPtrA(staticControl, GWL_STYLE, GetWindowLongPtrA(staticControl, GWL_STYLE) | SS_NOTIFY);
  auto state = std::make_unique<ClickableState>(ClickableState{normal, hover});
  if (!SetWindowSubclass(staticControl, &ClickableProc, kClickableSubclassId,
                         reinterpret_cast<DWORD_PTR>(state.get())))
    return;
  SetPropA(staticControl, kClickableProperty, state.release());
}

bool ClickableTextColor(HWND control, COLORREF& color) {
  const auto* state = static_cast<const ClickableState*>(GetPropA(control, kClickableProperty));
  if (!state) return false;
  color = state->over ? state->hover : state->normal;
  return true;
}

UniqueWindow AddTooltip(HWND control, const char* text, int width) {
  UniqueWindow tip(CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, GetParent(control),
                                   nullptr, GetModuleHandleA(nullptr), nullptr));
  if (!tip) return tip;
  TOOLINFOA tool{};
  tool.cbSize = TTTOOLINFOA_V2_SIZE;
  tool.uFlags = TTF_SUBCLASS;
  tool.hwnd = control;
  tool.uId = 1;
  tool.lpszText = const_cast<char*>(text);
  GetClientRect(control, &tool.rect);
  SendMessageA(tip.get(), TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
  SendMessageA(tip.get(), TTM_SETMAXTIPWIDTH, 0, ScaleForDpi(width, WindowDpi(control)));
  return tip;
}

FolderChoice BrowseForFolder(HWND owner, const char* title, UINT flags, std::string& outPath) {
  // The new dialog style needs COM on this thread; a thread that has it already keeps its own.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  BROWSEINFOA info{};
  info.hwndOwner = owner;
  info.lpszTitle = title;
  info.ulFlags = flags | BIF_NEWDIALOGSTYLE;
  FolderChoice result = FolderChoice::kCancelled;
  if (std::unique_ptr<ITEMIDLIST, PidlFree> chosen{SHBrowseForFolderA(&info)}) {
    char path[MAX_PATH] = {};
    if (SHGetPathFromIDListA(chosen.get(), path)) {
      outPath = path;
      result = FolderChoice::kChosen;
    } else {
      result = FolderChoice::kNoFileSystemPath;
    }
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return result;
}

void ShowHelp(HWND window, const std::string& helpFile, uint32_t context) {
  // Loaded once for the process and kept: the help window lives on after the call.
  static UniqueModule control;
  static HtmlHelpFunction htmlHelp = nullptr;
  static bool failed = false;
  if (failed) return;
  if (!htmlHelp) {
    const std::string registered = RegisteredHelpControl();
    if (!registered.empty()) control.reset(LoadLibraryA(registered.c_str()));
    if (!control) control.reset(LoadLibraryA("hhctrl.ocx"));
    if (control)
      htmlHelp = reinterpret_cast<HtmlHelpFunction>(
          reinterpret_cast<void*>(GetProcAddress(control.get(), MAKEINTRESOURCEA(14))));
    if (!htmlHelp) {
      failed = true;
      return;
    }
  }
  htmlHelp(window, helpFile.c_str(), 15 /* HH_HELP_CONTEXT */, context);
}

UINT WindowDpi(HWND window) {
  using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFunction>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
  if (getDpiForWindow && window)
    if (const UINT dpi = getDpiForWindow(window)) return dpi;
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

void ThemePage(HWND page) {
  using EnableThemeDialogTextureFunction = HRESULT(WINAPI*)(HWND, DWORD);
  static UniqueModule theme(LoadLibraryA("UxTheme.dll"));
  static const auto enable = theme ? reinterpret_cast<EnableThemeDialogTextureFunction>(reinterpret_cast<void*>(
                                         GetProcAddress(theme.get(), "EnableThemeDialogTexture")))
                                   : nullptr;
  if (enable) enable(page, 0x2 | 0x4);  // ETDT_ENABLE | ETDT_USETABTEXTURE
}
