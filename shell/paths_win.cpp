#include "shell/paths_win.h"

#include <windows.h>
#include <shlobj.h>

#include "shell/data_folders_win.h"
#include "shell/data_paths.h"

ShellFolderSource SystemShellFolders() {
  ShellFolderSource source;
  source.folder = [](int csidl) -> std::optional<std::string> {
    char buffer[MAX_PATH + 1] = {};
    if (!SHGetSpecialFolderPathA(nullptr, buffer, csidl, TRUE)) return std::nullopt;
    return std::string(buffer);
  };
  source.userName = []() -> std::optional<std::string> {
    char buffer[257] = {};
    DWORD size = sizeof buffer;
    if (!GetUserNameA(buffer, &size)) return std::nullopt;
    return std::string(buffer);
  };
  source.programPath = [] {
    char buffer[1024 + 1] = {};
    GetModuleFileNameA(nullptr, buffer, 1024);
    return std::string(buffer);
  };
  return source;
}

void SetupPaths(AppPaths& paths, Settings& settings, const ShellFolderSource& shell) {
  paths.programPath = shell.programPath();
  const auto slash = paths.programPath.find_last_of("\\/");
  paths.programFolder = slash == std::string::npos ? std::string() : paths.programPath.substr(0, slash + 1);
  paths.helpFilePath = paths.programFolder + "SF_Help.chm";
  paths.skinPath = paths.programFolder + "statpop_skin.png";

  if (auto roaming = shell.folder(CSIDL_APPDATA)) {
    if (CreateProgramDataFolder(*roaming, paths.appDataFolder))
      RegisterDataFolder(paths.appDataFolder, kProgramKey, kAppDataSuffix);
  }
  if (auto local = shell.folder(CSIDL_LOCAL_APPDATA)) {
    if (CreateProgramDataFolder(*local, paths.localDataFolder))
      RegisterDataFolder(paths.localDataFolder, kProgramKey, kLocalAppDataSuffix);
  } else {
    paths.localDataFolder = paths.appDataFolder;
  }

  paths.pluginDataFolder = paths.localDataFolder + "Fetchpix";
  CreateDirectoryA(paths.pluginDataFolder.c_str(), nullptr);
  paths.errorFolder = paths.localDataFolder + "Error\\";

  const UserFileNames names = MakeUserFileNames(shell.userName());
  paths.listFilePath = paths.appDataFolder + names.imageList;
  paths.wallpaperBitmapPath = paths.appDataFolder + names.wallpaperBitmap;
  paths.flashPagePath = paths.appDataFolder + names.flashPage;
  paths.historyFilePath = paths.localDataFolder + names.searchHistory;

  std::optional<std::string> pictures = shell.folder(CSIDL_MYPICTURES);
  if (!pictures) pictures = shell.folder(CSIDL_PERSONAL);
  if (pictures) {
    paths.picturesFolder = *pictures;
    if (settings.WallpaperSavePath.empty()) settings.WallpaperSavePath = paths.picturesFolder;
  }
}
