#pragma once
#include <windows.h>

// Settles the single instance through the named mutex "Skyframe". True when
// another instance runs (after waiting up to 15 s for one that is ending).
bool IsAnotherInstanceRunning();
// Posts `message` (both parameters 0) to the other instance's main window.
void PostToOtherInstance(UINT message);
