#pragma once
// The Windows version, as the program's older rules ask for it.
struct WindowsVersion {
  bool isWin2000OrLater = false;
  bool osMinorZero = false;
};

WindowsVersion QueryWindowsVersion();
