#include "imagelist/file_util.h"

#include <cstdio>
#include <limits>
#include <memory>

#include "imagelist/file_system.h"

namespace {
struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

UniqueFile Open(const std::string& path, const char* mode) { return UniqueFile(std::fopen(path.c_str(), mode)); }

std::string ScratchName(const std::string& folder, int32_t n) {
  std::string name = folder;
  name += NativeSeparator();
  name += std::to_string(n);
  name += ".tmp";
  return name;
}
bool WriteInPlace(const std::string& path, std::string_view bytes) {
  UniqueFile file = Open(path, "wb");
  if (!file) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
  return (std::fclose(file.release()) == 0) && ok;
}
}  // namespace

bool FileExists(const std::string& path) { return !path.empty() && Open(path, "rb") != nullptr; }

bool FolderIsWritable(const std::string& folder) {
  int32_t n = std::numeric_limits<int32_t>::min();
  std::string name = ScratchName(folder, n);
  while (FileExists(name)) {
    if (n == std::numeric_limits<int32_t>::max()) return false;
    name = ScratchName(folder, ++n);
  }
  size_t written = 0;
  {
    UniqueFile file = Open(name, "wb");
    if (!file) return false;
    written = std::fwrite(name.data(), 1, name.size(), file.get());
    if (std::fclose(file.release()) != 0) written = 0;
  }
  if (written != name.size()) return false;
  std::remove(name.c_str());
  return true;
}

ReadResult ReadTextFile(const std::string& path, size_t maxBytes, std::string& out) {
  out.clear();
  UniqueFile file = Open(path, "rb");
  if (!file) return ReadResult::kOpenFailed;
  // The length is learnt by reading, never taken from the file system.
  char chunk[16384];
  std::string raw;
  for (;;) {
    const size_t n = std::fread(chunk, 1, sizeof chunk, file.get());
    if (n == 0) break;
    if (raw.size() + n > maxBytes) return ReadResult::kTooLarge;
    raw.append(chunk, n);
  }
  if (std::ferror(file.get())) return ReadResult::kReadFailed;
  out.reserve(raw.size());
  for (size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') continue;
    out.push_back(raw[i]);
  }
  return ReadResult::kOk;
}

bool WriteFileReplacing(const std::string& path, std::string_view bytes) {
  const std::string scratch = path + ".new";
  bool ok = false;
  {
    UniqueFile file = Open(scratch, "wb");
    // No room for a scratch name (a path at the length limit): write in place.
    if (!file) return WriteInPlace(path, bytes);
    ok = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
    ok = (std::fclose(file.release()) == 0) && ok;
  }
  if (ok) ok = ReplaceFileWith(scratch, path);
  if (!ok) std::remove(scratch.c_str());
  return ok;
}
