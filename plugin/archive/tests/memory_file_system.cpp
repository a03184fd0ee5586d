#include "plugin/archive/tests/memory_file_system.h"

#include <cstring>

namespace {
class MemoryFile : public ArchiveFile {
 public:
  MemoryFile(MemoryFileSystem& fs, std::shared_ptr<MemoryFileSystem::Bytes> bytes, bool writable)
      : fs_(fs), bytes_(std::move(bytes)), writable_(writable) {}
  bool ReadAt(uint64_t offset, void* buffer, size_t length) override {
    if (offset > bytes_->size() || length > bytes_->size() - offset) return false;
    if (length) std::memcpy(buffer, bytes_->data() + offset, length);
    fs_.bytesRead += length;
    return true;
  }
  bool Append(const void* data, size_t length) override {
    if (!writable_) return false;
    size_t landed = length;
    bool ok = fs_.AllowAppend(landed);
    const auto* p = static_cast<const uint8_t*>(data);
    bytes_->insert(bytes_->end(), p, p + landed);
    return ok;
  }
  bool Flush() override { return writable_ && !fs_.failFlush; }
  bool Truncate(uint64_t size) override {
    if (!writable_ || fs_.failTruncate) return false;
    bytes_->resize(static_cast<size_t>(size));
    return true;
  }
  bool Size(uint64_t& size) override {
    size = bytes_->size();
    return true;
  }

 private:
  MemoryFileSystem& fs_;
  std::shared_ptr<MemoryFileSystem::Bytes> bytes_;
  bool writable_;
};
}  // namespace

bool MemoryFileSystem::AllowAppend(size_t& length) {
  ++appends;
  if (failAppendAt > 0 && --failAppendAt == 0) {
    length = std::min(length, shortWriteBytes);
    return false;
  }
  return true;
}

std::unique_ptr<ArchiveFile> MemoryFileSystem::Open(const std::string& path, ArchiveOpenMode mode) {
  auto it = files.find(path);
  if (mode == ArchiveOpenMode::Read) {
    if (it == files.end()) return nullptr;
    return std::make_unique<MemoryFile>(*this, it->second, false);
  }
  if (failOpenForWrite) return nullptr;
  if (it == files.end() || mode == ArchiveOpenMode::Create) {
    // A new file object, as creating over an open file would on Windows.
    auto bytes = std::make_shared<Bytes>();
    files[path] = bytes;
    return std::make_unique<MemoryFile>(*this, bytes, true);
  }
  return std::make_unique<MemoryFile>(*this, it->second, true);
}

bool MemoryFileSystem::Replace(const std::string& from, const std::string& to) {
  auto it = files.find(from);
  if (failReplace || it == files.end()) return false;
  files[to] = it->second;
  files.erase(from);
  return true;
}

bool MemoryFileSystem::ListFiles(const std::string& folder, std::vector<std::string>& names) {
  names.clear();
  if (failListing.count(folder)) return false;
  for (const auto& [path, bytes] : files) {
    if (path.size() <= folder.size() || path.compare(0, folder.size(), folder) != 0) continue;
    std::string rest = path.substr(folder.size());
    if (rest.find_first_of("/\\") == std::string::npos) names.push_back(rest);
  }
  return true;
}

bool MemoryFileSystem::Move(const std::string& from, const std::string& to) {
  auto it = files.find(from);
  if (it == files.end()) return false;
  auto bytes = it->second;
  files.erase(it);
  files[to] = bytes;
  return true;
}

MemoryFileSystem::Bytes MemoryFileSystem::Contents(const std::string& path) const {
  auto it = files.find(path);
  return it == files.end() ? Bytes{} : *it->second;
}

void MemoryFileSystem::SetContents(const std::string& path, Bytes bytes) {
  files[path] = std::make_shared<Bytes>(std::move(bytes));
}
