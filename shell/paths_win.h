#pragma once
// Builds every folder and file path of the program (start-up, after the settings are loaded).
#include <functional>
#include <optional>
#include <string>

#include "settings/settings.h"
#include "shell/app_paths.h"

struct ShellFolderSource {
  // The shell folder for a CSIDL (asked with the create flag), or none.
  std::function<std::optional<std::string>(int csidl)> folder;
  std::function<std::optional<std::string>()> userName;
  std::function<std::string()> programPath;
};

// The real shell, user name and module path.
ShellFolderSource SystemShellFolders();

// Fills `paths`, creating and registering the data folders that are new, and
// gives an empty `WallpaperSavePath` the pictures folder.
void SetupPaths(AppPaths& paths, Settings& settings, const ShellFolderSource& shell);
