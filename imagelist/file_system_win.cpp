#include <windows.h>

#include "imagelist/file_system.h"

bool GetFullPath(const std::string& name, size_t maxLength, std::string& out) {
  if (name.empty() || maxLength == 0 || maxLength > 32767) return false;
  std::string buffer(maxLength + 1, '\0');
  const DWORD length = GetFullPathNameA(name.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
  // A result at least as long as the buffer is the size it would have needed.
  if (length == 0 || length > maxLength) return false;
  buffer.resize(length);
  out = std::move(buffer);
  return true;
}

bool PathExists(const std::string& path) {
  return !path.empty() && GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool ReplaceFileWith(const std::string& source, const std::string& target) {
  return MoveFileExA(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

char NativeSeparator() { return '\\'; }
