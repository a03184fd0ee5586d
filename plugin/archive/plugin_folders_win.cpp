#include "plugin/archive/plugin_folders_win.h"

#include <windows.h>

#include "plugin/archive/archive.h"
#include "plugin/archive/condemned_list.h"

namespace {
const char kArchiveName[] = "Settings.Fetchpix Data Archive";

std::string WindowsUserName() {
  char name[257] = {};
  DWORD length = sizeof name;
  if (!::GetUserNameA(name, &length)) return std::string();
  name[sizeof name - 1] = '\0';
  return name;
}
}  // namespace

bool SetUpPluginFolders(const std::string& dataFolder, PluginFolders& out, Archive& archive,
                        CondemnedList* condemned) {
  out = PluginFolders{};
  std::string d = dataFolder;
  if (!d.empty() && d.back() != '\\' && d.back() != '/') d += '\\';
  out.dataFolder = d;
  if (!d.empty()) {
    out.logFolder = d + "Log\\";
    ::CreateDirectoryA(out.logFolder.c_str(), nullptr);
    out.logFilePath = out.logFolder + "Fetchpix.log";
  } else {
    out.logFilePath = "Fetchpix.log";
  }
  out.cacheFolder = d + "Cache\\";
  ::CreateDirectoryA(out.cacheFolder.c_str(), nullptr);

  std::lock_guard<std::recursive_mutex> guard(archive.Lock());
  archive.SetUserName(WindowsUserName());
  archive.SetAlertHandler([](const std::string& text) {
    ::MessageBoxA(nullptr, text.c_str(), "Fetchpix", MB_OK | MB_ICONERROR | MB_TASKMODAL);
  });
  archive.Open(out.cacheFolder, "Backup\\", kArchiveName);
  if (!archive.IsOpen()) return false;

  ArchiveNode* settings = archive.Find(nullptr, nullptr, kNodeSettings);
  if (!settings) settings = archive.Add(nullptr, kNodeSettings);
  if (!archive.FindU32(settings, kNodeNextCacheNumber, out.nextCacheFileNumber)) out.nextCacheFileNumber = 1;
  if (!archive.FindU32(settings, kNodeCachedBytes, out.cachedBytes)) out.cachedBytes = 0;

  ArchiveNode* counter = archive.Find(settings, nullptr, kNodeRunCounter);
  uint32_t runs = 0;
  if (counter && archive.ReadU32(counter, runs)) {
    out.runCounter = runs + 1;
    archive.SetU32(counter, out.runCounter);
  } else {
    // A counter that cannot be read starts again, as a missing one does.
    if (counter) archive.Remove(counter);
    out.runCounter = 1;
    archive.AddU32(settings, kNodeRunCounter, 1);
  }
  // The log of the last runs is kept only at every fifth start.
  out.logKept = out.runCounter % 5 == 0;
  if (!out.logKept) ::DeleteFileA(out.logFilePath.c_str());

  out.userNode = archive.FindOrAddUser();
  if (condemned) condemned->Load(archive);
  return true;
}
