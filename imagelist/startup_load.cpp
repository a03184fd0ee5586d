#include "imagelist/startup_load.h"

#include <cstdio>

#include "imagelist/file_system.h"
#include "imagelist/file_util.h"

namespace {
void Log(const StartupLoadOptions& o, const std::string& line) {
  if (o.log) o.log(line);
}

// An older version kept the list beside the program; move it to the data folder.
void MigrateLegacyList(const StartupLoadOptions& o) {
  if (o.legacyListFilePath.empty() || FileExists(o.listFilePath) || !FileExists(o.legacyListFilePath)) return;
  Playlist legacy;
  // The old file goes only once its entries are safely in the new one.
  if (legacy.Load(o.legacyListFilePath) && legacy.Save(o.listFilePath, kFormatPLS))
    std::remove(o.legacyListFilePath.c_str());
}
// The file is there but Load could not read it (too large, locked, unreadable):
// it may still be the user's list, so it must not be saved over.
bool ExistsButUnreadable(const Playlist& master, const std::string& path) {
  const int32_t error = master.LastError();
  return (error == Playlist::kErrorOpen || error == Playlist::kErrorTooLarge) && PathExists(path);
}

// Keeps the unreadable file under another name; true when its name is free now.
bool SetAside(const StartupLoadOptions& o) {
  const std::string aside = SetAsideListFilePath(o.listFilePath);
  const bool moved = o.moveFile ? o.moveFile(o.listFilePath, aside) : ReplaceFileWith(o.listFilePath, aside);
  if (moved)
    Log(o, "Playlist could not be read, kept as: " + aside);
  else
    Log(o, "Playlist could not be read nor moved aside, new playlist not saved: " + o.listFilePath);
  return moved;
}
}  // namespace

std::string SetAsideListFilePath(const std::string& listFilePath) { return listFilePath + ".bad"; }

std::string ListFileName(const char* userName) {
  if (!userName || !*userName) return "KQ_SF.PLS";
  return std::string(userName) + ".PLS";
}

void LoadImageListsAtStartup(ImageLists& lists, const StartupLoadOptions& options) {
  lists.SetListFilePath(options.listFilePath);
  MigrateLegacyList(options);

  Playlist& master = lists.Master();
  // Whether the list file holds the master list, so the play order can be read from it.
  bool onDisk = true;
  if (!lists.LoadMaster() || master.Count() == 0) {
    const bool unreadable = ExistsButUnreadable(master, options.listFilePath);
    master.Clear();
    if (options.scanPictures && options.scanPictures(master) && master.Count() > 0) {
      onDisk = !unreadable || SetAside(options);
      if (onDisk) {
        Log(options, "Saving new playlist at: " + options.listFilePath + "\nNumber of images: " +
                         std::to_string(master.Count()));
        onDisk = master.Save(options.listFilePath, kFormatPLS);
      }
    }
  }

  Log(options, "Reading playlist into internal use object");
  lists.PlayOrder().Clear();
  if (onDisk)
    lists.PlayOrder().Load(options.listFilePath);
  else
    lists.PlayOrder().AddEntries(master.Entries());
  if (options.shuffle) {
    Log(options, "Shuffling playlist");
    lists.PlayOrder().Shuffle(options.lastSeed, kShufflePasses);
  }
}
