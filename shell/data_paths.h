#pragma once
// Names and rules for the program's per-user files and data folders.
#include <optional>
#include <string>

#include "settings/settings.h"
#include "support/version.h"

inline constexpr const char* kCompanyFolder = "\\Quillmoor";
inline constexpr const char* kDataFolderTail = "\\Quillmoor\\Skyframe\\";
inline constexpr const char* kLogFileName = "kq_sf_log.txt";
inline constexpr const char* kProgramVersion = "PC " SKYFRAME_VERSION_TEXT;

struct UserFileNames {
  std::string imageList;
  std::string wallpaperBitmap;
  std::string flashPage;
  std::string searchHistory;
};

// The four per-user file names; without a readable user name, the fixed fallbacks.
UserFileNames MakeUserFileNames(const std::optional<std::string>& userName);

// A folder that installer clean-up may delete: its path ends in
// "\Quillmoor\Skyframe" with or without the last back-slash. Anything else a
// registry value names is refused, because that key is writable by every user.
bool IsProgramDataFolder(const std::string& path);

// The start-up log entry of eleven "name: value" lines.
std::string SettingsSummary(const Settings& settings);
