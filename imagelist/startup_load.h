#pragma once
// Loading the image lists once the settings are known at start-up.
#include <cstdint>
#include <functional>
#include <string>

#include "imagelist/image_lists.h"

// The file name of the list file for a user: the name with ".PLS", or "KQ_SF.PLS" without one.
std::string ListFileName(const char* userName);

struct StartupLoadOptions {
  std::string listFilePath;       // the list file in the application-data folder
  std::string legacyListFilePath; // a file of the same name in the program's folder (older versions kept it there)
  bool shuffle = false;           // ShuffleImagelist
  int32_t lastSeed = 0;           // LastSeed
  // Fills a list from the user's pictures; true when it found files.
  std::function<bool(Playlist&)> scanPictures;
  // Receives the diagnostic lines; may be empty.
  std::function<void(const std::string&)> log;
  // Moves a file over another, replacing it; empty means ReplaceFileWith.
  std::function<bool(const std::string& from, const std::string& to)> moveFile;
};

// Where a list file that cannot be read is kept before a new list takes its name.
std::string SetAsideListFilePath(const std::string& listFilePath);

// Moves a legacy list file into place, loads the master list (scanning the
// pictures folder and saving the result when there is no usable list), then
// loads and, when shuffle is on, shuffles the play-order list. A list file
// that exists but cannot be read is moved aside before a new one is saved;
// when that move fails nothing is saved and the scan serves this run only.
void LoadImageListsAtStartup(ImageLists& lists, const StartupLoadOptions& options);
