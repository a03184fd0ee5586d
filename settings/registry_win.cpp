#include "settings/registry_win.h"

#include <cstring>
#include <vector>

#include "settings/settings.h"
#include "support/text/ascii.h"

namespace {

uint32_t SystemDesktopColor() { return GetSysColor(COLOR_BACKGROUND); }

// Every program that reaches the registry through this file (Settings::Load
// does) has its new records start with the system colour, not 0, before their
// first Load.
[[maybe_unused]] const bool g_desktopColorInstalled = (SetDesktopColorSource(&SystemDesktopColor), true);

LONG SetString(HKEY key, const char* name, const std::string& text) {
  return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.data()),
                        static_cast<DWORD>(text.size()));
}

}  // namespace

bool QueryRegString1024(HKEY key, const char* name, std::string& text) {
  char buffer[1024 + 1] = {};
  DWORD size = 1024;
  if (RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size) !=
      ERROR_SUCCESS)
    return false;
  // Data that fills the whole buffer without a terminating zero is refused, so a
  // stored text longer than the buffer never turns into a cut-off one.
  if (size >= 1024 && std::memchr(buffer, 0, 1024) == nullptr) return false;
  text.assign(buffer);
  return true;
}

WinRegistryStore::WinRegistryStore(std::string keyPath, HKEY root)
    : keyPath_(std::move(keyPath)), root_(root) {}

int32_t WinRegistryStore::OpenForRead() {
  return RegOpenKeyExA(root_, keyPath_.c_str(), 0, KEY_READ, key_.put());
}

int32_t WinRegistryStore::CreateForWrite() {
  return RegCreateKeyExA(root_, keyPath_.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                         nullptr, key_.put(), nullptr);
}

int32_t WinRegistryStore::Close() {
  if (!key_) return ERROR_INVALID_HANDLE;
  return RegCloseKey(key_.release());
}

bool WinRegistryStore::QueryDword(const char* name, uint32_t& value) {
  BYTE bytes[4] = {};
  DWORD size = sizeof bytes;
  if (RegQueryValueExA(key_.get(), name, nullptr, nullptr, bytes, &size) != ERROR_SUCCESS)
    return false;
  value = static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
          static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
  return true;
}

bool WinRegistryStore::QueryString(const char* name, std::string& value) {
  return QueryRegString1024(key_.get(), name, value);
}

void WinRegistryStore::SetDword(const char* name, uint32_t value) {
  DWORD data = value;
  RegSetValueExA(key_.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data);
}

void WinRegistryStore::SetString(const char* name, const std::string& value) {
  ::SetString(key_.get(), name, value);
}

bool WriteRegDword(const char* keyPath, const char* name, uint32_t value) {
  UniqueRegKey key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, keyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                      nullptr, key.put(), nullptr) != ERROR_SUCCESS)
    return false;
  DWORD data = value;
  return RegSetValueExA(key.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                        sizeof data) == ERROR_SUCCESS;
}

bool WriteRegString(const char* keyPath, const char* name, const std::string& text) {
  UniqueRegKey key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, keyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                      nullptr, key.put(), nullptr) != ERROR_SUCCESS)
    return false;
  return SetString(key.get(), name, text) == ERROR_SUCCESS;
}

bool ReadRegString(const char* keyPath, const char* name, std::string& text) {
  UniqueRegKey key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath, 0, KEY_READ, key.put()) != ERROR_SUCCESS)
    return false;
  return QueryRegString1024(key.get(), name, text);
}

void SetRunEntry(const std::string& command, const char* name) {
  UniqueRegKey key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_READ | KEY_WRITE, key.put()) !=
      ERROR_SUCCESS)
    return;
  DWORD count = 0, longest = 0;
  if (RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count,
                       &longest, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
    return;
  const std::string wanted = ToLowerAscii(name);
  std::vector<char> valueName(longest + 2);
  for (DWORD i = 0; i < count; ++i) {
    DWORD length = static_cast<DWORD>(valueName.size());
    if (RegEnumValueA(key.get(), i, valueName.data(), &length, nullptr, nullptr, nullptr,
                      nullptr) != ERROR_SUCCESS)
      break;
    if (ToLowerAscii(std::string_view(valueName.data(), length)).find(wanted) != std::string::npos) return;
  }
  SetString(key.get(), name, command);
}

void DeleteRunEntry(const char* name) {
  UniqueRegKey key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_WRITE, key.put()) != ERROR_SUCCESS) return;
  RegDeleteValueA(key.get(), name);
}
