#pragma once
// The start-up splash: the skinned picture "splash.gif" fading in and out for
// two seconds, as a modal dialog owned by the main window.
#include <windows.h>

#include <string>

inline constexpr UINT_PTR kSplashTimerId = 123;

// Shows the splash and returns when it has ended. `programFolder` ends in a
// back-slash and holds "splash.gif"; `instance` holds the dialog template and
// the region resource; `transparency` says whether layered windows exist.
// False when the skin could not be had (nothing was shown).
bool ShowSplash(HINSTANCE instance, HWND owner, const std::string& programFolder, bool transparency);
