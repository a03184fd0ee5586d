#include "shell/data_folders_win.h"

#include <windows.h>
#include <aclapi.h>

#include <vector>

#include "imagelist/folder_scan_win.h"
#include "shell/os_version_win.h"
#include "shell/data_paths.h"
#include "support/win/unique_handle_win.h"

namespace {

void OpenToEveryone(HKEY key) {
  // A protected null DACL: every user may write the key, which is what lets a
  // normal user's first start record its folders here.
  SetSecurityInfo(key, SE_REGISTRY_KEY,
                  DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr, nullptr,
                  nullptr, nullptr);
}

bool FolderExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string WithoutTrailingSlash(std::string path) {
  while (path.size() > 3 && path.back() == '\\') path.pop_back();
  return path;
}

}  // namespace

void RegisterDataFolder(const std::string& folder, const char* keyPath, const char* suffix) {
  const std::string subKey = std::string(keyPath) + suffix;
  UniqueRegKey key;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_WRITE, nullptr, key.put(), nullptr) != ERROR_SUCCESS)
    return;
  if (QueryWindowsVersion().isWin2000OrLater) OpenToEveryone(key.get());
  char user[257] = {};
  DWORD size = sizeof user;
  const std::string name = GetUserNameA(user, &size) ? std::string(user) : folder;
  RegSetValueExA(key.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.data()),
                 static_cast<DWORD>(folder.size()));
  UniqueRegKey programKey;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                      nullptr, programKey.put(), nullptr) == ERROR_SUCCESS &&
      QueryWindowsVersion().isWin2000OrLater)
    OpenToEveryone(programKey.get());
}

void RemoveRegisteredFolders(const std::string& keyPath) {
  UniqueRegKey key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_READ | KEY_WRITE, key.put()) !=
      ERROR_SUCCESS)
    return;
  DWORD count = 0, longestName = 0;
  if (RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count,
                       &longestName, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
    return;
  std::vector<char> name(longestName + 2);
  for (DWORD index = 0;; ++index) {
    char data[1024 + 1] = {};
    DWORD nameLength = static_cast<DWORD>(name.size());
    DWORD dataLength = 1024;
    DWORD type = 0;
    const LONG result = RegEnumValueA(key.get(), index, name.data(), &nameLength, nullptr, &type,
                                      reinterpret_cast<BYTE*>(data), &dataLength);
    if (result != ERROR_SUCCESS && result != ERROR_MORE_DATA) break;
    // The key is writable by every user: only a folder of this program is
    // deleted, whatever else a value may name.
    if (result == ERROR_SUCCESS && type == REG_SZ && IsProgramDataFolder(data))
      RemoveFolderTree(WithoutTrailingSlash(data));
  }
  key.reset();
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, keyPath.c_str());
}

bool CreateProgramDataFolder(const std::string& shellFolder, std::string& dataFolder) {
  dataFolder = shellFolder + kDataFolderTail;
  if (FolderExists(dataFolder)) return false;
  CreateDirectoryA((shellFolder + kCompanyFolder).c_str(), nullptr);
  CreateDirectoryA(dataFolder.c_str(), nullptr);
  return true;
}

bool RemoveFolderTree(const std::string& folder) {
  const DWORD attributes = GetFileAttributesA(folder.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  // A folder that is itself a link is removed as a link, never entered.
  if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) DeleteTree(folder);
  return RemoveDirectoryA(folder.c_str()) != 0;
}
