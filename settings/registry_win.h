#pragma once
// Registry helpers for single values, the settings store on the real registry,
// and the autostart entry in the Run key.
#include <windows.h>

#include <cstdint>
#include <string>

#include "settings/registry_store.h"
#include "support/win/unique_handle_win.h"

inline constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// The settings rules against a real key (HKEY_CURRENT_USER by default).
class WinRegistryStore : public RegistryStore {
 public:
  explicit WinRegistryStore(std::string keyPath, HKEY root = HKEY_CURRENT_USER);
  int32_t OpenForRead() override;
  int32_t CreateForWrite() override;
  int32_t Close() override;
  bool QueryDword(const char* name, uint32_t& value) override;
  bool QueryString(const char* name, std::string& value) override;
  void SetDword(const char* name, uint32_t value) override;
  void SetString(const char* name, const std::string& value) override;

 private:
  std::string keyPath_;
  HKEY root_;
  UniqueRegKey key_;
};

// Each opens or creates the key under HKEY_CURRENT_USER, does one thing, closes it.
bool WriteRegDword(const char* keyPath, const char* name, uint32_t value);
bool WriteRegString(const char* keyPath, const char* name, const std::string& text);
bool ReadRegString(const char* keyPath, const char* name, std::string& text);

// Reads one string value of an open key through a zero-filled 1024-byte buffer;
// false when missing, or when the value does not fit with a terminating zero.
bool QueryRegString1024(HKEY key, const char* name, std::string& text);

// Adds `name` = `command` to the Run key unless a value whose name contains
// `name` (any case) is there already.
void SetRunEntry(const std::string& command, const char* name);
void DeleteRunEntry(const char* name);
