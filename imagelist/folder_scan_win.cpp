#include "imagelist/folder_scan_win.h"

#include <windows.h>
#include <shlobj.h>

namespace {

// Owns a directory search handle.
class FindHandle {
 public:
  explicit FindHandle(HANDLE h) : h_(h) {}
  ~FindHandle() {
    if (valid()) FindClose(h_);
  }
  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;
  bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return h_; }

 private:
  HANDLE h_;
};

bool EndsWithSeparator(const std::string& s) { return !s.empty() && (s.back() == '\\' || s.back() == '/'); }

}  // namespace

bool Win32DirectoryLister::List(const std::string& folder, std::string_view pattern, std::vector<DirEntry>& out) {
  std::string query = folder;
  query += '\\';
  query.append(pattern);
  WIN32_FIND_DATAA data;
  FindHandle find(FindFirstFileA(query.c_str(), &data));
  if (!find.valid()) return false;
  do {
    DirEntry e;
    e.name = data.cFileName;
    e.isDirectory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    e.isReparsePoint = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    out.push_back(std::move(e));
  } while (FindNextFileA(find.get(), &data));
  return true;
}

bool ScanFolder(const std::string& folder, Playlist& target) {
  Win32DirectoryLister lister;
  return ScanFolderWith(lister, folder, target, '\\');
}

bool ScanPicturesFolder(Playlist& target) {
  char path[MAX_PATH + 1] = {};
  HWND owner = GetFocus();
  if (!SHGetSpecialFolderPathA(owner, path, CSIDL_MYPICTURES, FALSE)) {
    path[0] = '\0';
    if (!SHGetSpecialFolderPathA(owner, path, CSIDL_PERSONAL, FALSE)) return false;
  }
  path[MAX_PATH] = '\0';
  return ScanFolder(path, target);
}

bool DeleteTree(const std::string& folder) {
  const std::string prefix = EndsWithSeparator(folder) ? folder : folder + '\\';
  WIN32_FIND_DATAA data;
  FindHandle find(FindFirstFileA((prefix + "*.*").c_str(), &data));
  if (!find.valid()) return false;
  do {
    const std::string name = data.cFileName;
    if (name == "." || name == "..") continue;
    const std::string path = prefix + name;
    DWORD attributes = data.dwFileAttributes;
    if (attributes & FILE_ATTRIBUTE_READONLY) {
      attributes &= ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
      SetFileAttributesA(path.c_str(), attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes);
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
      // A directory link is removed as it stands: walking into it would
      // delete the files of the folder it points to.
      if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) DeleteTree(path);
      RemoveDirectoryA(path.c_str());
    } else {
      // For a file link this removes the link, never its target.
      DeleteFileA(path.c_str());
    }
  } while (FindNextFileA(find.get(), &data));
  return true;
}
