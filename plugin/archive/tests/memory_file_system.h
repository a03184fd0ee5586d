#pragma once
// An in-memory file system for archive tests, with failures on demand: the Nth
// append fails (optionally after writing part of its bytes), and flush,
// truncate, replace and folder listings can be made to fail. With truncate
// failing too, a failed save leaves what a killed process would.
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "plugin/archive/archive_file.h"

class MemoryFileSystem : public ArchiveFileSystem {
 public:
  using Bytes = std::vector<uint8_t>;

  std::unique_ptr<ArchiveFile> Open(const std::string& path, ArchiveOpenMode mode) override;
  bool Exists(const std::string& path) override { return files.count(path) != 0; }
  bool Replace(const std::string& from, const std::string& to) override;
  bool Delete(const std::string& path) override { return files.erase(path) != 0; }
  bool CreateFolder(const std::string& folder) override {
    folders.insert(folder);
    return true;
  }
  bool ListFiles(const std::string& folder, std::vector<std::string>& names) override;
  bool Move(const std::string& from, const std::string& to) override;

  // The file's bytes (an empty vector if missing).
  Bytes Contents(const std::string& path) const;
  void SetContents(const std::string& path, Bytes bytes);

  std::map<std::string, std::shared_ptr<Bytes>> files;
  std::set<std::string> folders;

  // Failure injection.
  int failAppendAt = 0;       // the Nth append from now fails (1 = the next); 0 = none
  size_t shortWriteBytes = 0; // bytes of the failing append that still land
  bool failFlush = false;
  bool failTruncate = false;
  bool failReplace = false;
  bool failOpenForWrite = false;
  std::set<std::string> failListing;  // folders whose listing ends with an error

  int appends = 0;       // appends attempted since the last ResetCounters
  uint64_t bytesRead = 0;
  void ResetCounters() { appends = 0; bytesRead = 0; }
  // Called by the files: decides whether the append lands.
  bool AllowAppend(size_t& length);
};
