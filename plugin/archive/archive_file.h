#pragma once
// The small file interface the archive is written against, so that the format,
// the saves and the recovery are portable and can be tested with failures.
// Paths are plain byte strings (UTF-8 under the program's code page).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class ArchiveFile {
 public:
  virtual ~ArchiveFile() = default;
  // Reads exactly length bytes at offset; false on error or a short read.
  virtual bool ReadAt(uint64_t offset, void* buffer, size_t length) = 0;
  // Appends at the end of the file; false unless every byte was written.
  virtual bool Append(const void* data, size_t length) = 0;
  // Pushes written bytes to the disk (not only to the system's cache).
  virtual bool Flush() = 0;
  // Cuts (or extends) the file to size; later appends go to the new end.
  virtual bool Truncate(uint64_t size) = 0;
  virtual bool Size(uint64_t& size) = 0;
};

enum class ArchiveOpenMode {
  Read,       // existing file, reading only
  ReadWrite,  // existing file or a new empty one
  Create,     // always a new empty file (an old one is emptied)
};

class ArchiveFileSystem {
 public:
  virtual ~ArchiveFileSystem() = default;
  // Null when the file cannot be opened.
  virtual std::unique_ptr<ArchiveFile> Open(const std::string& path, ArchiveOpenMode mode) = 0;
  virtual bool Exists(const std::string& path) = 0;
  // Puts from in place of to in one step, also when to exists; durable on return.
  virtual bool Replace(const std::string& from, const std::string& to) = 0;
  virtual bool Delete(const std::string& path) = 0;
  // Creates one folder; true when it exists afterwards.
  virtual bool CreateFolder(const std::string& folder) = 0;
  // Names of the plain files (no folders) in folder, which ends with a separator.
  // False when the listing ended with an error other than its end.
  virtual bool ListFiles(const std::string& folder, std::vector<std::string>& names) = 0;
  // Moves one file, replacing a file of the same name at the destination.
  virtual bool Move(const std::string& from, const std::string& to) = 0;
};
