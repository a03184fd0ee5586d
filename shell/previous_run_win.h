#pragma once
// The start-up check of how the previous run ended.
#include <windows.h>

#include "settings/settings.h"

// Warns about a recorded error, offers an error report for a crash or an error
// (each time `ShowErrorReport` allows), clears both flags and sets the crash
// flag for the start-up phase. `crashFlagAsLoaded` is the flag found at load.
void CheckPreviousRun(HINSTANCE instance, Settings& settings);

// The "Abnormal shutdown" dialog. Returns 1 for "Yes", 2 for "No"; stores the
// "Do not ask again" choice in `ShowErrorReport` and saves the settings.
INT_PTR ShowReportOffer(HINSTANCE instance, Settings& settings);
