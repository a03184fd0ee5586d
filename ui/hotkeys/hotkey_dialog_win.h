#pragma once
// The modal "Configure Hotkeys" dialog, which edits the settings dialog's
// working copy of the ten hot-key words.
#include <windows.h>

#include "settings/settings.h"
#include "support/app_messages.h"

// Sent (no parameters) to the owner after OK has stored new values, so that
// the settings dialog enables its Apply button.
inline constexpr UINT kHotKeysChangedMessage = kMsgPageValueChanged;

enum class HotKeyDialogResult {
  kNotShown,   // the template could not be loaded or the window not created
  kStored,     // OK: the ten values went to the working copy
  kCancelled,  // Cancel or close: the working copy is untouched
};

// Opens the dialog over `owner` and returns when it has closed. The dialog's
// template (resource 143) must be linked into the program's own executable.
HotKeyDialogResult ShowHotKeyDialog(HWND owner, Settings& workingCopy);
