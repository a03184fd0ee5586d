#include "plugin/archive/archive_file_posix.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace {
class PosixFile : public ArchiveFile {
 public:
  explicit PosixFile(int fd) : fd_(fd) {}
  ~PosixFile() override { ::close(fd_); }
  PosixFile(const PosixFile&) = delete;
  PosixFile& operator=(const PosixFile&) = delete;

  bool ReadAt(uint64_t offset, void* buffer, size_t length) override {
    auto* p = static_cast<char*>(buffer);
    while (length > 0) {
      ssize_t n = ::pread(fd_, p, length, static_cast<off_t>(offset));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      p += n;
      offset += static_cast<uint64_t>(n);
      length -= static_cast<size_t>(n);
    }
    return true;
  }
  bool Append(const void* data, size_t length) override {
    off_t end = ::lseek(fd_, 0, SEEK_END);
    if (end < 0) return false;
    const auto* p = static_cast<const char*>(data);
    while (length > 0) {
      ssize_t n = ::write(fd_, p, length);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      p += n;
      length -= static_cast<size_t>(n);
    }
    return true;
  }
  bool Flush() override { return ::fsync(fd_) == 0; }
  bool Truncate(uint64_t size) override { return ::ftruncate(fd_, static_cast<off_t>(size)) == 0; }
  bool Size(uint64_t& size) override {
    struct stat st;
    if (::fstat(fd_, &st) != 0) return false;
    size = static_cast<uint64_t>(st.st_size);
    return true;
  }

 private:
  int fd_;
};

class PosixFileSystem : public ArchiveFileSystem {
 public:
  std::unique_ptr<ArchiveFile> Open(const std::string& path, ArchiveOpenMode mode) override {
    int flags = O_CLOEXEC;
    switch (mode) {
      case ArchiveOpenMode::Read: flags |= O_RDONLY; break;
      case ArchiveOpenMode::ReadWrite: flags |= O_RDWR | O_CREAT; break;
      case ArchiveOpenMode::Create: flags |= O_RDWR | O_CREAT | O_TRUNC; break;
    }
    int fd = ::open(path.c_str(), flags, 0644);
    if (fd < 0) return nullptr;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
      ::close(fd);
      return nullptr;
    }
    return std::make_unique<PosixFile>(fd);
  }
  bool Exists(const std::string& path) override {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
  }
  bool Replace(const std::string& from, const std::string& to) override {
    if (::rename(from.c_str(), to.c_str()) != 0) return false;
    // The rename itself is durable only once its folder is.
    std::string folder = to.substr(0, to.find_last_of('/') + 1);
    int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
      ::fsync(dir);
      ::close(dir);
    }
    return true;
  }
  bool Delete(const std::string& path) override { return ::unlink(path.c_str()) == 0; }
  bool CreateFolder(const std::string& folder) override {
    if (::mkdir(folder.c_str(), 0755) == 0) return true;
    struct stat st;
    return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  }
  bool ListFiles(const std::string& folder, std::vector<std::string>& names) override {
    names.clear();
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return errno == ENOENT;
    bool ok = true;
    for (;;) {
      errno = 0;
      dirent* entry = ::readdir(dir);
      if (!entry) {
        ok = errno == 0;
        break;
      }
      std::string name = entry->d_name;
      struct stat st;
      if (::stat((folder + name).c_str(), &st) == 0 && S_ISREG(st.st_mode)) names.push_back(name);
    }
    ::closedir(dir);
    return ok;
  }
  bool Move(const std::string& from, const std::string& to) override {
    return ::rename(from.c_str(), to.c_str()) == 0;
  }
};
}  // namespace

ArchiveFileSystem& PosixArchiveFileSystem() {
  static PosixFileSystem fs;
  return fs;
}
