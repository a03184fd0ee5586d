#include <windows.h>

#include "settings/registry_win.h"
#include "settings/settings.h"

int32_t Settings::Load() {
  WinRegistryStore store(kProgramKey);
  return LoadFrom(store, GetSysColor(COLOR_BACKGROUND));
}

int32_t Settings::Save() {
  WinRegistryStore store(kProgramKey);
  return SaveTo(store);
}
