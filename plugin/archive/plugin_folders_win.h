#pragma once
// The plug-in's folders and its archive, set up by InitDll.
#include <cstdint>
#include <string>

class Archive;
class ArchiveNode;
class CondemnedList;

struct PluginFolders {
  std::string dataFolder;   // the given folder with its trailing separator; empty without one
  std::string logFolder;    // dataFolder + "Log\"
  std::string logFilePath;  // logFolder + "Fetchpix.log", or "Fetchpix.log" without a data folder
  std::string cacheFolder;  // dataFolder + "Cache\"; the archive lives here
  uint32_t nextCacheFileNumber = 1;  // node 513
  uint32_t cachedBytes = 0;          // node 514
  uint32_t runCounter = 0;           // node 515 after this run's raise
  bool logKept = false;              // this run keeps the previous log (every fifth run)
  ArchiveNode* userNode = nullptr;   // the current Windows user's node
};

// Creates the log and cache folders, opens the archive in the cache folder
// (with "Backup\" inside it), reads the cache counters, raises the run counter
// (deleting the log file unless the new value is a multiple of 5), finds or
// adds the user node and, when condemned is given, loads the condemned list.
// The archive must have been built over Win32ArchiveFileSystem(). Creating
// the logger, the option defaults and the engines are the caller's steps.
// False only when the archive could not be opened at all.
bool SetUpPluginFolders(const std::string& dataFolder, PluginFolders& out, Archive& archive,
                        CondemnedList* condemned = nullptr);
