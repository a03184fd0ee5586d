#include "shell/os_version_win.h"

#include <windows.h>

WindowsVersion QueryWindowsVersion() {
  OSVERSIONINFOA version = {sizeof version};
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  const bool known = GetVersionExA(&version) != 0;
#pragma GCC diagnostic pop
  WindowsVersion v;
  v.isWin2000OrLater = known && version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion >= 5;
  if (!v.isWin2000OrLater) v.osMinorZero = known && version.dwMinorVersion == 0;
  return v;
}
