#pragma once
// Scanning real folders and deleting folder trees with the Win32 file API.
#include <string>
#include <string_view>
#include <vector>

#include "imagelist/folder_scan.h"
#include "imagelist/playlist.h"

// Lists a folder with FindFirstFileA/FindNextFileA, in the file system's order.
class Win32DirectoryLister : public DirectoryLister {
 public:
  bool List(const std::string& folder, std::string_view pattern, std::vector<DirEntry>& out) override;
};

// Appends every image of the folder tree to target (subfolders first); true when any was found.
bool ScanFolder(const std::string& folder, Playlist& target);
// Scans the user's My Pictures folder, or My Documents without one; false when neither can be had.
bool ScanPicturesFolder(Playlist& target);
// Deletes everything below folder (not the folder itself); a junction or
// symbolic link is removed as a link, its target left alone. False only when
// the folder cannot be listed.
bool DeleteTree(const std::string& folder);
