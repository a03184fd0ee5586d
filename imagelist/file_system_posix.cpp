#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "imagelist/file_system.h"

bool GetFullPath(const std::string& name, size_t maxLength, std::string& out) {
  if (name.empty()) return false;
  std::error_code ec;
  std::filesystem::path full = std::filesystem::absolute(name, ec);
  if (ec) return false;
  std::string s = full.lexically_normal().string();
  if (s.size() > maxLength) return false;
  out = std::move(s);
  return true;
}

bool PathExists(const std::string& path) {
  struct stat st;
  return !path.empty() && ::stat(path.c_str(), &st) == 0;
}

bool ReplaceFileWith(const std::string& source, const std::string& target) {
  return std::rename(source.c_str(), target.c_str()) == 0;
}

char NativeSeparator() { return '/'; }
