#pragma once
// The history's way to the disk, small enough for tests to fake. The platform
// files (history_files_win.cpp, history_files_posix.cpp) implement DiskHistoryFiles.
#include <cstddef>
#include <string>
#include <string_view>

enum class HistoryRead {
  kOk,
  kMissing,   // no such file, or it cannot be opened
  kTooLarge,  // more than the caller's cap: refused rather than read
  kFailed,    // a read failed
};

class HistoryFiles {
 public:
  virtual ~HistoryFiles() = default;
  // The whole file as bytes, at most maxBytes of them.
  virtual HistoryRead ReadWhole(const std::string& path, size_t maxBytes, std::string& out) = 0;
  // Writes bytes to a new file beside path, flushes it to the disk and then
  // puts it in path's place in one step: on any failure the old file stays whole.
  virtual bool WriteReplacing(const std::string& path, std::string_view bytes) = 0;
};

class DiskHistoryFiles final : public HistoryFiles {
 public:
  HistoryRead ReadWhole(const std::string& path, size_t maxBytes, std::string& out) override;
  bool WriteReplacing(const std::string& path, std::string_view bytes) override;
};
