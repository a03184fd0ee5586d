#include "imagelist/folder_scan_win.h"

#include <windows.h>
#include <shlobj.h>

#include "support/win/unique_handle_win.h"

namespace {

bool EndsWithSeparator(const std::string& s) { return !s.empty() && (s.back() == '\\' || s.back() == '/'); }

}  // namespace

bool Win32DirectoryLister::List(const std::string& folder, std::string_view pattern, std::vector<DirEntry>& out) {
  std::string query = folder;
  query += '\\';
  query.append(pattern);
  WIN32_FIND_DATAA data;
  UniqueFind find(FindFirstFileA(query.c_str(), &data));
  if (!find) return false;
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

namespace {

// The path the file system resolves path to. With linkItself, a final link is
// not followed where the platform honours FILE_FLAG_OPEN_REPARSE_POINT.
bool FinalPath(const std::string& path, bool linkItself, std::string& out) {
  const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (linkItself ? FILE_FLAG_OPEN_REPARSE_POINT : 0);
  UniqueFile h(CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, flags, nullptr));
  if (!h) return false;
  std::string buffer(1024, '\0');
  for (;;) {
    const DWORD n = GetFinalPathNameByHandleA(h.get(), buffer.data(), static_cast<DWORD>(buffer.size()),
                                              FILE_NAME_NORMALIZED);
    if (n == 0 || n > 32768) return false;
    if (n < buffer.size()) {
      buffer.resize(n);
      out = std::move(buffer);
      return true;
    }
    buffer.assign(n + 1, '\0');
  }
}

bool SamePathNoCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()),
                                                b.data(), static_cast<int>(b.size())) == CSTR_EQUAL;
}

}  // namespace

bool DeleteTree(const std::string& folder) {
  const std::string prefix = EndsWithSeparator(folder) ? folder : folder + '\\';
  // Where the folder really is (it may itself be reached through a link), so
  // that each entry can be checked to be in it.
  std::string folderFinal;
  if (!FinalPath(prefix, false, folderFinal)) return false;
  if (!EndsWithSeparator(folderFinal)) folderFinal += '\\';

  WIN32_FIND_DATAA data;
  UniqueFind find(FindFirstFileA((prefix + "*.*").c_str(), &data));
  if (!find) return false;
  do {
    const std::string name = data.cFileName;
    if (name == "." || name == "..") continue;
    const std::string path = prefix + name;
    // An entry that resolves outside the folder is a link the platform did not
    // flag (Wine shows a host link to a file as a plain file, and its
    // DeleteFileA would delete the target): leave it.
    std::string entryFinal;
    if (!FinalPath(path, true, entryFinal) || !SamePathNoCase(entryFinal, folderFinal + name)) continue;

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
