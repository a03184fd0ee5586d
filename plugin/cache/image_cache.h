#pragma once
// The image cache: every downloaded image as a file "i<N>.Fetchpix Cache" in
// the cache folder, described by a cache entry (288) under its result's node
// (272) in the archive: size (289), time cached (292), the image's own file
// name (291) and the cache file name (290). The next file number (513) and
// the total of cached bytes (514) are kept here and mirrored in the archive.
//
// Portable: files go through the archive's file interface.
//
// Locks: the cache lock guards the files, the entries and both counters. In
// the plug-in's lock order it comes after every search's locks and before the
// condemned list's and the archive's (see plugin/core/search_link_win.h); the
// cache never calls out of itself while holding it.
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

class Archive;
class ArchiveNode;
class ArchiveFileSystem;

struct CachedImage {
  std::string fileName;  // the image's own file name, as it was requested
  std::vector<uint8_t> bytes;
};

class ImageCache {
 public:
  using Clock = uint64_t (*)();  // now, as a FILETIME value
  // Files larger than this are never read back: a damaged entry must not make
  // us allocate whatever a file happens to hold.
  static constexpr uint64_t kLargestFile = 64ull << 20;

  explicit ImageCache(ArchiveFileSystem& fileSystem, Clock clock = nullptr);
  ImageCache(const ImageCache&) = delete;
  ImageCache& operator=(const ImageCache&) = delete;

  // Called once the archive is open: the cache folder (ends with its
  // separator), the settings node (512) that holds the counters, and their
  // values as read from it. A cache without an archive stores nothing.
  void Attach(Archive* archive, ArchiveNode* settings, std::string folder, uint32_t nextNumber,
              uint32_t total);

  struct WriteOutcome {
    bool written = false;
    bool overBudget = false;  // the total now passes the budget: the caller queues a trim
  };
  // Stores the bytes as a new file and entry of `result`, replacing (and
  // deleting) an older entry of it. A file that cannot be written fully is
  // removed again and counts nothing.
  WriteOutcome Write(ArchiveNode* result, const std::string& imageFileName, const std::vector<uint8_t>& bytes,
                     uint32_t budget);
  // The image of `result`, when its entry is whole and its file has exactly
  // the recorded length. Logs "Corrupt DB" for an entry that lacks a part.
  std::optional<CachedImage> Load(ArchiveNode* result);
  // Deletes the file and the entry of `result` (if any); the total drops by
  // the entry's size.
  void DeleteEntriesOf(ArchiveNode* result);
  // Every cache entry under one search node (256): 257, 258, 272, 288.
  void DeleteEntriesOfSearch(ArchiveNode* search);

  // Decides, by its stored text, whether a search's entries stay untouched
  // (those of live single-image searches).
  using Keep = std::function<bool(const std::string& searchText)>;
  // Deletes the entries of every search under the user node but the kept.
  void Clear(ArchiveNode* user, const Keep& keep);
  // While the total is above three quarters of the budget, deletes the oldest
  // entry of the searches under the user node that are not kept (equal times:
  // the first in archive order goes first).
  void Trim(ArchiveNode* user, const Keep& keep, uint32_t budget);

  uint32_t Total();
  uint32_t NextNumber();

  // "i<digits>.Fetchpix Cache" and nothing else: the only names a cache entry
  // may make us open or delete.
  static bool IsCacheFileName(const std::string& name);
  static std::string FileNameFor(uint32_t number);

 private:
  struct Entry {
    ArchiveNode* node;
    uint64_t time;
  };
  // With lock_ and the archive's lock held.
  void DeleteEntry(ArchiveNode* entry);
  void StoreTotal();
  void StoreNextNumber();
  template <typename Visit>
  void ForEachEntryOfSearch(ArchiveNode* search, Visit&& visit);
  std::vector<ArchiveNode*> SearchesNotKept(ArchiveNode* user, const Keep& keep);

  ArchiveFileSystem& fs_;
  Clock clock_;
  std::mutex lock_;
  Archive* archive_ = nullptr;
  ArchiveNode* settings_ = nullptr;
  std::string folder_;
  uint32_t nextNumber_ = 1;
  uint32_t total_ = 0;
};
