#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <utility>

#include "internet/history/history_files.h"

namespace {
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  // Closes now, so that a failing close (data not written) is seen.
  bool Close() { return ::close(std::exchange(fd_, -1)) == 0; }

 private:
  int fd_;
};

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}
}  // namespace

HistoryRead DiskHistoryFiles::ReadWhole(const std::string& path, size_t maxBytes, std::string& out) {
  out.clear();
  Fd file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.get() < 0) return HistoryRead::kMissing;
  char chunk[16384];
  for (;;) {
    const ssize_t n = ::read(file.get(), chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return HistoryRead::kFailed;
    if (n == 0) return HistoryRead::kOk;
    if (out.size() + static_cast<size_t>(n) > maxBytes) {
      out.clear();
      return HistoryRead::kTooLarge;
    }
    out.append(chunk, static_cast<size_t>(n));
  }
}

bool DiskHistoryFiles::WriteReplacing(const std::string& path, std::string_view bytes) {
  const std::string scratch = path + ".new";
  Fd file(::open(scratch.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  if (file.get() < 0) return false;
  bool ok = WriteAll(file.get(), bytes) && ::fsync(file.get()) == 0;
  ok = file.Close() && ok;
  ok = ok && std::rename(scratch.c_str(), path.c_str()) == 0;
  if (!ok) ::unlink(scratch.c_str());
  return ok;
}
