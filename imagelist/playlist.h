#pragma once
// One image list in memory: the paths read from a list file (or added by a
// folder scan), in list order, and the reproducible shuffle of them.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "imagelist/playlist_formats.h"

// The shuffle's generator; its sequence is part of the persisted state (the
// saved seed and cursor must find the same order after a restart).
class ShuffleRandom {
 public:
  explicit ShuffleRandom(uint32_t seed) : state_(seed) {}
  // Next value, 0 to 32767.
  int32_t Next() {
    state_ = state_ * 214013u + 2531011u;
    return static_cast<int32_t>((state_ >> 16) & 0x7FFF);
  }

 private:
  uint32_t state_;
};

class Playlist {
 public:
  enum Error : int32_t {
    kErrorNone = 0,
    kErrorNoName = 1,    // Load without a file name
    kErrorFullPath = 2,  // the full path could not be formed
    kErrorOpen = 3,      // the file could not be opened or read
    kErrorTooLarge = 4,  // the file is larger than any list the program would use
  };
  // Longest full path Load accepts, and Save's.
  static constexpr size_t kMaxLoadPath = 1024;
  static constexpr size_t kMaxSavePath = 260;
  // List files above this size are refused instead of read into memory.
  static constexpr size_t kMaxListFileBytes = 64u << 20;
  static constexpr char pathSeparator = '\\';
  static constexpr char altSeparator = '/';
  static constexpr PlaylistFormat defaultFormat = kFormatM3U;
  static constexpr uint32_t extensionBufferSize = 5;

  Playlist() = default;

  // Reads a list file and appends its entries; true once the file was read,
  // whatever the reader found. Clears first when a path is already held.
  bool Load(std::string_view name);
  // Writes the list in the given format (only PLS is written); false for an
  // empty list, a missing name, another format or a failed write.
  bool Save(std::string_view name, int32_t format) const;
  // Forgets the entries, the text, the path and the last error.
  void Clear();

  int32_t Count() const { return static_cast<int32_t>(entries_.size()); }
  // The entry at index, or null when index is not valid.
  const std::string* GetEntry(int32_t index) const;
  // Appends n NUL-terminated paths; nothing for a null array or n <= 0.
  void AddEntries(const char* const* paths, int32_t n);
  // Appends the given paths in order.
  void AddEntries(const std::vector<std::string>& paths);
  // Reorders the entries as a pure function of seed and the current order.
  void Shuffle(int32_t seed, int32_t passes);

  const std::vector<std::string>& Entries() const { return entries_; }
  const std::string& Path() const { return path_; }      // full path of the file last loaded
  const std::string& Folder() const { return folder_; }  // Path() up to its last separator
  const std::string& Text() const { return text_; }      // the file as read, CR LF as LF
  uint32_t TextLength() const { return static_cast<uint32_t>(text_.size()); }
  int32_t LastError() const { return lastError_; }
  PlaylistFormat Format() const { return format_; }

 private:
  std::string path_;
  std::string folder_;
  std::vector<std::string> entries_;
  std::string text_;
  int32_t lastError_ = kErrorNone;
  PlaylistFormat format_ = kFormatNone;
};
