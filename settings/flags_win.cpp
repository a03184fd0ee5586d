#include "settings/flags_win.h"

#include <windows.h>

#include "settings/registry_win.h"
#include "support/win/unique_handle_win.h"

namespace {

long WriteFlag(const char* name, uint32_t value) {
  UniqueRegKey key;
  LONG result = RegCreateKeyExA(HKEY_CURRENT_USER, kProgramKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                KEY_WRITE, nullptr, key.put(), nullptr);
  if (result != ERROR_SUCCESS) return result;
  DWORD data = value;
  return RegSetValueExA(key.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                        sizeof data);
}

}  // namespace

long SetCrashFlag(uint32_t value) { return WriteFlag("CrashFlag", value); }

long SetErrorFlag(Settings& live, uint32_t value) {
  const long result = WriteFlag("CriticalError", value);
  if (result == ERROR_SUCCESS) live.CriticalError = static_cast<int32_t>(value);
  return result;
}

void ReadRunFlags(Settings& live) {
  WinRegistryStore store(kProgramKey);
  if (store.OpenForRead() != ERROR_SUCCESS) return;
  uint32_t value = 0;
  if (store.QueryDword("CrashFlag", value)) live.CrashFlag = static_cast<int32_t>(value);
  if (store.QueryDword("CriticalError", value)) live.CriticalError = static_cast<int32_t>(value);
  store.Close();
}
