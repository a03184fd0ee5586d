#include <windows.h>

#include <algorithm>

#include "internet/history/history_files.h"
#include "support/win/unique_handle_win.h"

namespace {
bool WriteAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 20));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}
}  // namespace

HistoryRead DiskHistoryFiles::ReadWhole(const std::string& path, size_t maxBytes, std::string& out) {
  out.clear();
  UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return HistoryRead::kMissing;
  // The length is learnt by reading, never taken from the file system.
  char chunk[16384];
  for (;;) {
    DWORD n = 0;
    if (!ReadFile(file.get(), chunk, sizeof chunk, &n, nullptr)) return HistoryRead::kFailed;
    if (n == 0) return HistoryRead::kOk;
    if (out.size() + n > maxBytes) {
      out.clear();
      return HistoryRead::kTooLarge;
    }
    out.append(chunk, n);
  }
}

bool DiskHistoryFiles::WriteReplacing(const std::string& path, std::string_view bytes) {
  const std::string scratch = path + ".new";
  bool ok = false;
  {
    UniqueFile file(CreateFileA(scratch.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    // On the disk before the swap: a crash after the rename must not leave an empty file.
    ok = WriteAll(file.get(), bytes) && FlushFileBuffers(file.get());
  }
  ok = ok && MoveFileExA(scratch.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!ok) DeleteFileA(scratch.c_str());
  return ok;
}
