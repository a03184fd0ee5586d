#include "imagelist/startup_load.h"

#include <cstdio>

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
}  // namespace

std::string ListFileName(const char* userName) {
  if (!userName || !*userName) return "KQ_SF.PLS";
  return std::string(userName) + ".PLS";
}

void LoadImageListsAtStartup(ImageLists& lists, const StartupLoadOptions& options) {
  lists.SetListFilePath(options.listFilePath);
  MigrateLegacyList(options);

  Playlist& master = lists.Master();
  if (!lists.LoadMaster() || master.Count() == 0) {
    master.Clear();
    if (options.scanPictures && options.scanPictures(master) && master.Count() > 0) {
      Log(options, "Saving new playlist at: " + options.listFilePath + "\nNumber of images: " +
                       std::to_string(master.Count()));
      master.Save(options.listFilePath, kFormatPLS);
    }
  }

  Log(options, "Reading playlist into internal use object");
  lists.PlayOrder().Clear();
  lists.PlayOrder().Load(options.listFilePath);
  if (options.shuffle) {
    Log(options, "Shuffling playlist");
    lists.PlayOrder().Shuffle(options.lastSeed, kShufflePasses);
  }
}
