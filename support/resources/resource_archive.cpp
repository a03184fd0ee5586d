#include "support/resources/resource_archive.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>
#include <map>

namespace {
struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

std::uint32_t ReadLe32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// Reads exactly size bytes at offset, or fails.
bool ReadAt(std::FILE* f, long offset, std::uint8_t* out, std::size_t size) {
  if (std::fseek(f, offset, SEEK_SET) != 0 || std::ftell(f) != offset) return false;
  return std::fread(out, 1, size, f) == size;
}

bool Less(const ResourceEntry& entry, const char* name) { return std::strcmp(entry.name.c_str(), name) < 0; }
}  // namespace

bool ResourceArchive::Open(const std::string& path) {
  Close();
  File file(std::fopen(path.c_str(), "rb"));
  if (!file) return false;
  if (std::fseek(file.get(), 0, SEEK_END) != 0) return false;
  const long end = std::ftell(file.get());
  if (end < 4) return false;
  const long trailer = end - 4;

  std::uint8_t last[4];
  if (!ReadAt(file.get(), trailer, last, sizeof last)) return false;
  const std::uint32_t directory = ReadLe32(last);
  // The directory lies inside the file and runs up to its last four bytes.
  if (directory > static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max())) return false;
  if (static_cast<long>(directory) > trailer) return false;
  const long directoryBytes = trailer - static_cast<long>(directory);
  if (directoryBytes > static_cast<long>(kMaxDirectoryBytes)) return false;

  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(directoryBytes));
  if (!bytes.empty() && !ReadAt(file.get(), static_cast<long>(directory), bytes.data(), bytes.size())) return false;
  file.reset();

  // Two entries of one name: the first in the directory is kept. The build
  // never writes two, and keeping the first makes a second one, appended by
  // anyone later, unable to replace a picture the program already ships.
  std::map<std::string, ResourceEntry> byName;
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    const auto* start = bytes.data() + pos;
    const auto* nul = static_cast<const std::uint8_t*>(std::memchr(start, 0, bytes.size() - pos));
    if (nul == nullptr) return false;
    const std::size_t nameBytes = static_cast<std::size_t>(nul - start);
    // No member goes without a name; an empty one is what zero padding
    // looks like, so it marks a file that holds no archive.
    if (nameBytes == 0) return false;
    pos += nameBytes + 1;
    if (bytes.size() - pos < 8) return false;
    ResourceEntry entry;
    entry.name.assign(reinterpret_cast<const char*>(start), nameBytes);
    entry.offset = ReadLe32(bytes.data() + pos);
    entry.size = ReadLe32(bytes.data() + pos + 4);
    pos += 8;
    // A member lies before the directory; one that reaches into it or past
    // the end of the file means the directory is damaged.
    if (static_cast<std::uint64_t>(entry.offset) + entry.size > directory) return false;
    byName.emplace(entry.name, std::move(entry));
  }

  entries_.reserve(byName.size());
  for (auto& [name, entry] : byName) entries_.push_back(std::move(entry));
  count_ = static_cast<std::int32_t>(entries_.size());
  directoryOffset_ = static_cast<std::int32_t>(directory);
  path_ = path;
  return true;
}

std::int32_t ResourceArchive::IndexOf(const char* name) const {
  if (name == nullptr || entries_.empty()) return -1;
  const auto it = std::lower_bound(entries_.begin(), entries_.end(), name, Less);
  if (it == entries_.end() || it->name != name) return -1;
  return static_cast<std::int32_t>(it - entries_.begin());
}

std::int32_t ResourceArchive::SizeOf(const char* name) const {
  const std::int32_t index = IndexOf(name);
  if (index < 0) return -1;
  // Sizes above the int32 range cannot pass Open (a member ends before the
  // directory, whose offset is an int32).
  return static_cast<std::int32_t>(entries_[static_cast<std::size_t>(index)].size);
}

const std::uint8_t* ResourceArchive::Load(const char* name) {
  const std::int32_t index = IndexOf(name);
  if (index < 0) return nullptr;
  ResourceEntry& entry = entries_[static_cast<std::size_t>(index)];
  if (entry.data) return entry.data.get();
  if (entry.size > kMaxMemberBytes) return nullptr;
  File file(std::fopen(path_.c_str(), "rb"));
  if (!file) return nullptr;
  // An empty member still gets a (zero-length) buffer: success is non-null.
  auto data = std::make_unique<std::uint8_t[]>(entry.size);
  // The file may have changed since Open: a short read is a failure.
  if (!ReadAt(file.get(), static_cast<long>(entry.offset), data.get(), entry.size)) return nullptr;
  entry.data = std::move(data);
  return entry.data.get();
}

const std::uint8_t* ResourceArchive::Loaded(const char* name) const {
  const std::int32_t index = IndexOf(name);
  if (index < 0) return nullptr;
  return entries_[static_cast<std::size_t>(index)].data.get();
}

void ResourceArchive::FreeAll() {
  for (ResourceEntry& entry : entries_) entry.data.reset();
}

void ResourceArchive::Close() {
  entries_.clear();
  count_ = 0;
  directoryOffset_ = -1;
  path_.clear();
}
