#pragma once
// Process-wide state of the program, owned by start-up and touched only by the
// main thread. Workers receive copies of what they need.
#include <windows.h>

#include <memory>
#include <string>

#include "settings/settings.h"
#include "support/log/logger.h"
#include "support/win/unique_handle_win.h"

inline constexpr const char* kAppName = "Skyframe";

// Private window messages of the main window.
inline constexpr UINT WM_APP_TRAY = WM_APP + 1;
inline constexpr UINT WM_APP_OPEN_SETTINGS = WM_APP + 2;
inline constexpr UINT WM_APP_OPEN_INTERNET_PAGE = WM_APP + 3;
inline constexpr UINT WM_APP_IMAGE_LOADED = WM_APP + 4;
inline constexpr UINT WM_APP_IMAGE_SAVED = WM_APP + 5;
inline constexpr UINT WM_APP_IMAGE_RESIZED = WM_APP + 6;
inline constexpr UINT WM_APP_EXIT_REQUEST = WM_APP + 7;
inline constexpr UINT WM_APP_SEARCH_NOTIFY = WM_APP + 9;
inline constexpr UINT WM_APP_PAUSE_CHANGED = WM_APP + 10;

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

struct App {
  HINSTANCE instance = nullptr;
  HWND mainWindow = nullptr;
  std::unique_ptr<Settings> settings;
  AppPaths paths;
  bool configureAtStart = false;
  bool settingsDialogOpen = false;
  bool isWin2000OrLater = false;
  bool osMinorZero = false;
  char decimalSeparator[2] = {'.', 0};
  UniqueHandle instanceMutex;
  std::unique_ptr<Logger> logger;
};

App& TheApp();
