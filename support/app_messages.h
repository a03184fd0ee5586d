#pragma once
// The program's private window messages, numbered from the application message
// base (WM_APP). Plain numbers so that portable code, the resource-free tests
// and the plug-in's notification option can name them without <windows.h>.
#include <cstdint>

inline constexpr uint32_t kAppMessageBase = 0x8000;  // WM_APP

// Tray icon callback, to the main window.
inline constexpr uint32_t kMsgTrayCallback = kAppMessageBase + 1;
// Open the settings dialog (second instance, status popup click).
inline constexpr uint32_t kMsgOpenSettings = kAppMessageBase + 2;
// Open the settings dialog at its "Internet" page (status popup click).
inline constexpr uint32_t kMsgOpenInternetSettings = kAppMessageBase + 3;
// Exit request from an "/uninstall" run.
inline constexpr uint32_t kMsgExitRequest = kAppMessageBase + 7;
// Plug-in notification: wParam the search handle, lParam the status code.
inline constexpr uint32_t kMsgSearchNotify = kAppMessageBase + 9;
// To the settings dialog: the pause state changed.
inline constexpr uint32_t kMsgPauseChanged = kAppMessageBase + 10;
// To the settings dialog: a page's value changed.
inline constexpr uint32_t kMsgPageValueChanged = kAppMessageBase + 15;
// The UI dispatcher's own message to its window: lParam carries a task.
inline constexpr uint32_t kMsgDispatchTask = kAppMessageBase + 40;
// The status popup's thread to its own dialog: finish setting up.
inline constexpr uint32_t kMsgPopupSetup = kAppMessageBase + 0x7B;
