#include "imagelist/startup_load_win.h"

#include <windows.h>

#include "imagelist/folder_scan_win.h"
#include "imagelist/startup_load.h"

std::string UserListFileName() {
  // UNLEN + 1: the longest user name with its NUL.
  char name[257] = {};
  DWORD size = sizeof name;
  if (!GetUserNameA(name, &size)) return ListFileName(nullptr);
  name[sizeof name - 1] = '\0';
  return ListFileName(name);
}

void LoadImageListsAtStartup(ImageLists& lists, const std::string& appDataFolder, const std::string& programFolder,
                             bool shuffle, int32_t lastSeed, std::function<void(const std::string&)> log) {
  const std::string fileName = UserListFileName();
  StartupLoadOptions options;
  options.listFilePath = appDataFolder + fileName;
  options.legacyListFilePath = programFolder.empty() ? std::string() : programFolder + fileName;
  options.shuffle = shuffle;
  options.lastSeed = lastSeed;
  options.scanPictures = [](Playlist& target) { return ScanPicturesFolder(target); };
  options.log = std::move(log);
  LoadImageListsAtStartup(lists, options);
}
