#pragma once
#include <windows.h>

#include "support/win/unique_handle_win.h"

// Settles the single instance through the named mutex "Skyframe". True when
// another instance runs (after waiting up to 15 s for one that is ending).
// `instanceMutex` receives the mutex, owned, when this instance may run.
bool IsAnotherInstanceRunning(UniqueHandle& instanceMutex);
// Posts `message` (both parameters 0) to the other instance's main window.
void PostToOtherInstance(UINT message);
