#pragma once
// The one record of user options and of the values kept from run to run,
// persisted under HKEY_CURRENT_USER "Software\Quillmoor\Skyframe".
#include <array>
#include <cstdint>
#include <string>

#include "settings/registry_store.h"

inline constexpr const char* kProgramKey = "Software\\Quillmoor\\Skyframe";
inline constexpr int kChangeTimeCount = 17;
// The back-end server of the update check and the error report, "host" or "host:port".
inline constexpr const char* kDefaultBackendServer = "www.quillmoor.com";

// Where a new record takes its DesktopColor from: the system's desktop colour.
// The registry layer (registry_win.cpp) installs GetSysColor(COLOR_BACKGROUND)
// before main; without a source a new record holds 0.
using DesktopColorSource = uint32_t (*)();
void SetDesktopColorSource(DesktopColorSource source);

class Settings {
 public:
  // The defaults, DesktopColor from the installed source.
  Settings();

  // Fills the record from the real registry; returns the result of opening the key.
  int32_t Load();
  // Writes the record to the real registry; returns the result of creating, else closing, the key.
  int32_t Save();

  // The same rules against any store; `systemDesktopColor` is COLOR_BACKGROUND now.
  int32_t LoadFrom(RegistryStore& store, uint32_t systemDesktopColor);
  int32_t SaveTo(RegistryStore& store) const;

  // Copies what the user can change (the settings dialog's working copy being applied);
  // flags, schedule names, list cursor, seed and times stay as they are.
  void AssignUserOptions(const Settings& other);

  int32_t ShuffleImagelist = 1;
  int32_t DebugLog = 1;
  int32_t ShowThumbnails = 1;
  int32_t CrashFlag = 0;
  int32_t Crossfade = 0;
  int32_t CriticalError = 0;
  std::array<std::string, kChangeTimeCount> ChangeTimeNames;
  bool ChangeAtTime = true;
  int32_t ChangeWhen = 5;
  bool ChangeAtStartup = false;
  bool AskWhereToSave = true;
  int32_t PaperOrient = 10;
  int32_t LastSeed = 0;
  uint32_t MinImageWidth = 640;
  uint32_t MinImageHeight = 480;
  uint32_t MinPixels = 300000;
  uint32_t MaxImageWidth = 0;
  uint32_t MaxImageHeight = 0;
  uint32_t MinFileSize = 0;
  uint32_t MaxFileSize = 0;
  int32_t FilterType = 2;
  int32_t HistorySize = 10;
  int32_t NumResultsToCache = 1000;
  int32_t CacheSize = 50000000;
  int32_t IndexOfLastImage = 0;
  int64_t LastRegularChange = 0;
  int64_t appStartTime = 0;
  bool RunAtStartup = true;
  bool ShowSplashScreen = true;
  bool ShowStatusPopup = true;
  int32_t StatusPopupPos = 0;
  bool GetImageFromInternet = true;
  bool UseFixedURL = false;
  int32_t EngineIndex = 1;
  int32_t DefaultEngine = 1;
  bool FilterResults = true;
  bool BlockExplicit = true;
  bool GroupResults = false;
  uint32_t DesktopColor = 0;
  bool ShowErrorReport = true;
  uint32_t NextModKey = 2, NextKey = 0x22;
  uint32_t PrevModKey = 2, PrevKey = 0x21;
  uint32_t PauseModKey = 4, PauseKey = 0x13;
  uint32_t SaveModKey = 4, SaveKey = 0x2C;
  uint32_t BossModKey = 4, BossKey = 0x91;
  std::string InternetString = "Landscape wallpaper";
  std::string WallpaperSavePath;
  std::string LastSavePath;
  // Read only: it is not the user's to change, and an old default left in the
  // registry would outlive a move of the server.
  std::string BackendServer = kDefaultBackendServer;
};
