#pragma once
// The small box in which the user changes the search text (keywords or web
// address) without opening the settings dialog.
#include <windows.h>

#include <functional>
#include <string>

#include "settings/settings.h"

enum class QuickEntryResult {
  kNotShown,   // the template could not be loaded
  kApplied,    // OK with a text: the settings were applied
  kCancelled,  // Cancel, an empty text, or the box lost the activation
};

// Modal, owned by `owner`, next to the taskbar; returns when it has closed.
// Shows the live search text; OK with a text hands it to `apply`.
// The template (resource 171) must be linked into the executable.
QuickEntryResult ShowQuickEntryBox(HWND owner, const Settings& live,
                                   const std::function<void(const std::string& text)>& apply);
