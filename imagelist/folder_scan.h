#pragma once
// Building an image list from a folder tree. The walk is portable and works
// through DirectoryLister, so its order can be checked against a fake tree;
// folder_scan_win.h lists real folders.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "imagelist/playlist.h"

// The patterns searched in each folder, in the order their hits are listed.
inline constexpr std::string_view kScanPatterns[] = {
    "*.tga", "*.bmp", "*.pcx", "*.tif", "*.tiff", "*.jpg", "*.jpeg",
    "*.gif", "*.png", "*.dib", "*.htm", "*.html", "*.swf"};

// Subfolders nested deeper than this are not entered.
inline constexpr int32_t kMaxScanDepth = 64;

struct DirEntry {
  std::string name;
  bool isDirectory = false;
  bool isReparsePoint = false;  // a junction or symbolic link
};

class DirectoryLister {
 public:
  virtual ~DirectoryLister() = default;
  // Every entry of folder matching pattern ("*.jpg", "*.*"), in the file
  // system's order; false when the folder cannot be listed.
  virtual bool List(const std::string& folder, std::string_view pattern, std::vector<DirEntry>& out) = 0;
};

// Appends every file of the tree that matches a scan pattern: each folder's
// subfolders first, then its own hits grouped by pattern. True when any file
// was found. Links are not followed, so a link back up the tree cannot loop.
bool ScanFolderWith(DirectoryLister& lister, const std::string& folder, Playlist& target, char separator = '\\');
