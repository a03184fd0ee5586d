#pragma once
// Small controls the program's dialogs share: clickable statics, tooltips,
// the folder browser, the help file and the window's DPI.
#include <windows.h>

#include <cstdint>
#include <string>

#include "support/win/unique_handle_win.h"

// The colours every clickable static of the program uses.
inline constexpr COLORREF kClickableNormalColor = 7550522;   // 0x73363A
inline constexpr COLORREF kClickableHoverColor = 14458666;   // 0xDC9F2A
inline constexpr int kTooltipWidth = 250;

// Turns a static into a clickable one: the notify style, the hand cursor, its
// text in `normal`, or in `hover` while the mouse is over it (captured until
// it leaves). The parent colours it by asking ClickableTextColor.
void MakeClickable(HWND staticControl, COLORREF normal, COLORREF hover);
// The colour a clickable static's text is painted in now; false for any other window.
bool ClickableTextColor(HWND control, COLORREF& color);

// A topmost tooltip for `control` covering its client area; the caller owns it.
UniqueWindow AddTooltip(HWND control, const char* text, int width);

enum class FolderChoice { kCancelled = 0, kNoFileSystemPath = 1, kChosen = 2 };
// The shell's folder browser (new dialog style) over `owner`.
FolderChoice BrowseForFolder(HWND owner, const char* title, UINT flags, std::string& outPath);

// The HTML Help context command (15) with `context` in `helpFile`. Does
// nothing when the help control cannot be loaded (remembered for later calls).
void ShowHelp(HWND window, const std::string& helpFile, uint32_t context);

// Dots per inch of the monitor the window is on (96 when unknown).
UINT WindowDpi(HWND window);
inline int ScaleForDpi(int pixels, UINT dpi) { return MulDiv(pixels, static_cast<int>(dpi), 96); }

// Lets the themed tab texture show through a page, when the theme library has it.
void ThemePage(HWND page);
