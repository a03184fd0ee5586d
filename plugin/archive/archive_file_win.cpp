#include "plugin/archive/archive_file_win.h"

#include <windows.h>

#include <limits>

#include "support/win/unique_handle_win.h"

namespace {
class Win32File : public ArchiveFile {
 public:
  explicit Win32File(UniqueFile file) : file_(std::move(file)) {}

  bool ReadAt(uint64_t offset, void* buffer, size_t length) override {
    auto* p = static_cast<char*>(buffer);
    while (length > 0) {
      DWORD chunk = static_cast<DWORD>(std::min<size_t>(length, 1u << 30));
      OVERLAPPED at = {};
      at.Offset = static_cast<DWORD>(offset);
      at.OffsetHigh = static_cast<DWORD>(offset >> 32);
      DWORD got = 0;
      if (!::ReadFile(file_.get(), p, chunk, &got, &at) || got == 0) return false;
      p += got;
      offset += got;
      length -= got;
    }
    return true;
  }
  bool Append(const void* data, size_t length) override {
    LARGE_INTEGER zero = {};
    if (!::SetFilePointerEx(file_.get(), zero, nullptr, FILE_END)) return false;
    const auto* p = static_cast<const char*>(data);
    while (length > 0) {
      DWORD chunk = static_cast<DWORD>(std::min<size_t>(length, 1u << 30));
      DWORD put = 0;
      if (!::WriteFile(file_.get(), p, chunk, &put, nullptr) || put == 0) return false;
      p += put;
      length -= put;
    }
    return true;
  }
  bool Flush() override { return ::FlushFileBuffers(file_.get()) != FALSE; }
  bool Truncate(uint64_t size) override {
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(size);
    return ::SetFilePointerEx(file_.get(), at, nullptr, FILE_BEGIN) && ::SetEndOfFile(file_.get());
  }
  bool Size(uint64_t& size) override {
    LARGE_INTEGER value;
    if (!::GetFileSizeEx(file_.get(), &value)) return false;
    size = static_cast<uint64_t>(value.QuadPart);
    return true;
  }

 private:
  UniqueFile file_;
};

bool IsFolder(const std::string& path) {
  DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

class Win32FileSystem : public ArchiveFileSystem {
 public:
  std::unique_ptr<ArchiveFile> Open(const std::string& path, ArchiveOpenMode mode) override {
    DWORD access = GENERIC_READ;
    DWORD disposition = OPEN_EXISTING;
    if (mode == ArchiveOpenMode::ReadWrite) {
      access |= GENERIC_WRITE;
      disposition = OPEN_ALWAYS;
    } else if (mode == ArchiveOpenMode::Create) {
      access |= GENERIC_WRITE;
      disposition = CREATE_ALWAYS;
    }
    // Others may read while a save writes; the archive's lock keeps its own
    // loads and saves apart.
    UniqueFile file(::CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                  disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return nullptr;
    return std::make_unique<Win32File>(std::move(file));
  }
  bool Exists(const std::string& path) override {
    DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
  }
  bool Replace(const std::string& from, const std::string& to) override {
    // One step, and on the disk before it returns: there is never a moment
    // without an archive file.
    return ::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
  }
  bool Delete(const std::string& path) override { return ::DeleteFileA(path.c_str()) != FALSE; }
  bool CreateFolder(const std::string& folder) override {
    return ::CreateDirectoryA(folder.c_str(), nullptr) || IsFolder(folder);
  }
  bool ListFiles(const std::string& folder, std::vector<std::string>& names) override {
    names.clear();
    WIN32_FIND_DATAA found;
    UniqueFind find(::FindFirstFileA((folder + "*").c_str(), &found));
    if (!find) {
      DWORD error = ::GetLastError();
      return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_NO_MORE_FILES;
    }
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    } while (::FindNextFileA(find.get(), &found));
    return ::GetLastError() == ERROR_NO_MORE_FILES;
  }
  bool Move(const std::string& from, const std::string& to) override {
    return ::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED) != FALSE;
  }
};
}  // namespace

ArchiveFileSystem& Win32ArchiveFileSystem() {
  static Win32FileSystem fs;
  return fs;
}
