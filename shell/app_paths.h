#pragma once
// The program's folders and per-user files, built once at start-up.
#include <string>

inline constexpr const char* kAppName = "Skyframe";

struct AppPaths {
  std::string programPath;
  std::string programFolder;
  std::string helpFilePath;
  std::string skinPath;
  std::string appDataFolder;
  std::string localDataFolder;
  std::string pluginDataFolder;
  std::string errorFolder;
  std::string listFilePath;
  std::string wallpaperBitmapPath;
  std::string flashPagePath;
  std::string historyFilePath;
  std::string picturesFolder;
};
