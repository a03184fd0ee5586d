#include "imagelist/folder_scan.h"

#include <set>

#include "support/text/ascii.h"

namespace {

struct NoCaseLess {
  bool operator()(const std::string& a, const std::string& b) const {
    const size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
      const char x = AsciiLower(a[i]), y = AsciiLower(b[i]);
      if (x != y) return x < y;
    }
    return a.size() < b.size();
  }
};

bool ScanLevel(DirectoryLister& lister, const std::string& folder, Playlist& target, char separator, int32_t depth) {
  std::vector<std::string> found;
  // With short names on, "*.htm" also finds "x.html" (and "*.tif" "x.tiff"):
  // each name is listed once, under the first pattern that found it.
  std::set<std::string, NoCaseLess> seen;
  std::vector<DirEntry> hits;
  for (std::string_view pattern : kScanPatterns) {
    hits.clear();
    if (!lister.List(folder, pattern, hits)) continue;
    for (const DirEntry& hit : hits)
      if (seen.insert(hit.name).second) found.push_back(folder + separator + hit.name);
  }

  bool subfolderFound = false;
  hits.clear();
  if (depth < kMaxScanDepth && lister.List(folder, "*.*", hits)) {
    for (const DirEntry& hit : hits) {
      if (!hit.isDirectory || hit.isReparsePoint || hit.name.empty() || hit.name[0] == '.') continue;
      if (ScanLevel(lister, folder + separator + hit.name, target, separator, depth + 1)) subfolderFound = true;
    }
  }

  if (found.empty()) return subfolderFound;
  target.AddEntries(found);
  return true;
}

}  // namespace

bool ScanFolderWith(DirectoryLister& lister, const std::string& folder, Playlist& target, char separator) {
  return ScanLevel(lister, folder, target, separator, 0);
}
