#pragma once
// Per-user data-folder records under HKEY_LOCAL_MACHINE, kept so that an
// uninstall run by an administrator can remove every user's folders.
#include <string>

inline constexpr const char* kAppDataSuffix = "\\AppData";
inline constexpr const char* kLocalAppDataSuffix = "\\LocalAppData";

void RegisterDataFolder(const std::string& folder, const char* keyPath, const char* suffix);
void RemoveRegisteredFolders(const std::string& keyPath);

// Creates folder + "\Quillmoor" and folder + "\Quillmoor\Skyframe\"; true when
// the full path did not exist before (it has to be registered then).
bool CreateProgramDataFolder(const std::string& shellFolder, std::string& dataFolder);

// Deletes a folder and everything in it, read-only files included. Junctions
// and symbolic links are removed as links: their targets are never entered.
bool RemoveFolderTree(const std::string& folder);
