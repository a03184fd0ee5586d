#pragma once
// The pictures the program carries at the end of its own executable file.
// Layout (all numbers unsigned 32-bit little-endian), at the end of the file:
//   member bytes, back to back;
//   the directory: per member its name and a NUL, then its offset from the
//   start of the file, then its size;
//   the offset of the directory's first entry, as the file's last 4 bytes.
// Read with plain file reads; the loader never sees any of it, so the program
// runs the same with a missing or damaged archive (it only lacks pictures).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// One member as the directory names it.
struct ResourceEntry {
  std::uint32_t size = 0;
  std::uint32_t offset = 0;
  std::string name;
  // The member's bytes once Load read them, else null.
  std::unique_ptr<std::uint8_t[]> data;
};

class ResourceArchive {
 public:
  // A member larger than this is never loaded (the program's pictures are a
  // few kilobytes; a damaged size must not become a huge allocation).
  static constexpr std::uint32_t kMaxMemberBytes = 16u << 20;
  // A directory larger than this is taken for damage, not read.
  static constexpr std::uint32_t kMaxDirectoryBytes = 64u << 10;

  ResourceArchive() = default;
  ResourceArchive(const ResourceArchive&) = delete;
  ResourceArchive& operator=(const ResourceArchive&) = delete;

  // Reads the directory at the end of the file at path, dropping any earlier
  // one first. False, with nothing open, when the file holds no sound archive.
  bool Open(const std::string& path);
  // Index of the entry named exactly name (case-sensitive), or -1; -1 for null.
  std::int32_t IndexOf(const char* name) const;
  // The member's size, or -1 when there is no such member.
  std::int32_t SizeOf(const char* name) const;
  // Reads the member's bytes (SizeOf of them) and keeps them until FreeAll or
  // Close; null when the member is unknown, too large or cannot be read whole.
  const std::uint8_t* Load(const char* name);
  // The bytes an earlier Load read, else null.
  const std::uint8_t* Loaded(const char* name) const;
  // Frees every loaded member; the directory stays.
  void FreeAll();
  // Drops the directory, its loaded members and the path.
  void Close();

  // -1 when no archive is open.
  std::int32_t DirectoryOffset() const { return directoryOffset_; }
  std::int32_t Count() const { return count_; }
  // The directory, ordered by name.
  const std::vector<ResourceEntry>& Entries() const { return entries_; }
  const std::string& Path() const { return path_; }

 private:
  std::int32_t directoryOffset_ = -1;
  std::int32_t count_ = 0;
  std::vector<ResourceEntry> entries_;
  std::string path_;
};
