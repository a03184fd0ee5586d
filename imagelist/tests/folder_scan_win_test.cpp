#include <windows.h>
#include <shlobj.h>
#include <winioctl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "imagelist/file_system.h"
#include "imagelist/file_util.h"
#include "imagelist/folder_scan_win.h"
#include "imagelist/startup_load.h"
#include "imagelist/startup_load_win.h"
#include "imagelist/tests/test_files.h"
#include "support/tests/wine_host_win.h"
#include "support/win/unique_handle_win.h"

namespace {

using Strings = std::vector<std::string>;

void MakeDir(const std::string& path) { ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << path; }

bool IsReparsePoint(const std::string& path) {
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT);
}

// A mount point (junction) made with FSCTL_SET_REPARSE_POINT; needs no privilege on Windows.
bool MakeJunction(const std::string& link, const std::string& target) {
  if (!CreateDirectoryA(link.c_str(), nullptr)) return false;
  HANDLE h = CreateFileA(link.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  BOOL ok = FALSE;
  if (h != INVALID_HANDLE_VALUE) {
    // REPARSE_DATA_BUFFER for a mount point: substitute name "\??\target", empty print name.
    std::wstring sub = L"\\??\\";
    for (char c : target) sub += static_cast<wchar_t>(c);
    const USHORT subBytes = static_cast<USHORT>(sub.size() * sizeof(wchar_t));
    std::vector<BYTE> buf(16 + subBytes + 2 * sizeof(wchar_t), 0);
    auto put16 = [&](size_t at, USHORT v) { memcpy(&buf[at], &v, 2); };
    const DWORD tag = IO_REPARSE_TAG_MOUNT_POINT;
    memcpy(&buf[0], &tag, 4);
    put16(4, static_cast<USHORT>(buf.size() - 8));
    put16(10, subBytes);                           // substitute name length (offset 0)
    put16(12, static_cast<USHORT>(subBytes + 2));  // print name offset (length 0)
    memcpy(&buf[16], sub.data(), subBytes);
    DWORD returned = 0;
    ok = DeviceIoControl(h, FSCTL_SET_REPARSE_POINT, buf.data(), static_cast<DWORD>(buf.size()), nullptr, 0,
                         &returned, nullptr);
    CloseHandle(h);
  }
  if (!ok) RemoveDirectoryA(link.c_str());
  return ok != 0;
}

// Waits up to five seconds for a path to appear (present) or go (!present).
bool WaitForPath(const std::string& path, bool present) {
  for (int i = 0; i < 100; ++i) {
    if ((GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) == present) return true;
    Sleep(50);
  }
  return false;
}

// Under Wine, which has neither Windows way, a host symbolic link: Wine shows
// it to programs as a reparse point, as Windows shows its own links.
bool MakeHostLink(const std::string& link, const std::string& target) {
  return wine_host::StartHostLink(link, target) && WaitForPath(link, true);
}

enum class LinkKind { kNone, kWindows, kHost };

// A link made for a test and removed again at the end of it (before the
// temporary folder goes, whose removal would otherwise walk into a loop).
class TestLink {
 public:
  TestLink(std::string link, std::string target, bool directory) : link_(std::move(link)) {
    DWORD flags = directory ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0;
    // Wine's CreateSymbolicLinkA reports success without making anything: check.
    if (CreateSymbolicLinkA(link_.c_str(), target.c_str(), flags) && IsReparsePoint(link_))
      kind_ = LinkKind::kWindows;
    else if (directory && MakeJunction(link_, target))
      kind_ = LinkKind::kWindows;
    else if (MakeHostLink(link_, target))
      kind_ = LinkKind::kHost;
  }
  ~TestLink() {
    if (kind_ == LinkKind::kHost) {
      wine_host::RemoveHostLink(link_);
      WaitForPath(link_, false);
    } else if (kind_ == LinkKind::kWindows) {
      if (!RemoveDirectoryA(link_.c_str())) DeleteFileA(link_.c_str());
    }
  }
  TestLink(const TestLink&) = delete;
  TestLink& operator=(const TestLink&) = delete;
  LinkKind kind() const { return kind_; }

 private:
  std::string link_;
  LinkKind kind_ = LinkKind::kNone;
};

// Entries of one pattern group may come in any order from the file system;
// this sorts each run of equal extensions so that the groups can be compared.
Strings SortedWithinGroups(Strings s) {
  auto ext = [](const std::string& p) { return p.substr(p.rfind('.')); };
  auto folder = [](const std::string& p) { return p.substr(0, p.rfind('\\')); };
  size_t i = 0;
  while (i < s.size()) {
    size_t j = i + 1;
    while (j < s.size() && ext(s[j]) == ext(s[i]) && folder(s[j]) == folder(s[i])) ++j;
    std::sort(s.begin() + static_cast<long>(i), s.begin() + static_cast<long>(j));
    i = j;
  }
  return s;
}

TEST(ScanFolderWin, SubfolderFilesFirstThenPatternGroups) {
  TempFolder dir;
  const std::string a = dir.File("A");
  MakeDir(a);
  // Written in an order unlike the pattern order.
  for (const char* name : {"z.png", "y.png", "m.swf", "k.jpg", "c.tga", "b.BMP", "note.txt", "noext", "w.jpeg"})
    WriteBytes(a + "\\" + name, "x");
  MakeDir(a + "\\B");
  WriteBytes(a + "\\B\\in_b.gif", "x");
  MakeDir(a + "\\B\\C");
  WriteBytes(a + "\\B\\C\\deep.dib", "x");
  MakeDir(a + "\\.hidden");
  WriteBytes(a + "\\.hidden\\h.png", "x");
  MakeDir(a + "\\holiday.jpg");
  MakeDir(a + "\\Empty");

  Playlist p;
  ASSERT_TRUE(ScanFolder(a, p));
  EXPECT_EQ(SortedWithinGroups(p.Entries()),
            (Strings{a + "\\B\\C\\deep.dib", a + "\\B\\in_b.gif", a + "\\c.tga", a + "\\b.BMP", a + "\\holiday.jpg",
                     a + "\\k.jpg", a + "\\w.jpeg", a + "\\y.png", a + "\\z.png", a + "\\m.swf"}));
}

TEST(ScanFolderWin, LongExtensionsAreListedOnce) {
  TempFolder dir;
  WriteBytes(dir.File("page.html"), "x");
  WriteBytes(dir.File("scan.tiff"), "x");
  Playlist p;
  ASSERT_TRUE(ScanFolder(dir.Path(), p));
  EXPECT_EQ(p.Entries(), (Strings{dir.File("scan.tiff"), dir.File("page.html")}));
}

TEST(ScanFolderWin, EmptyOrMissingFolder) {
  TempFolder dir;
  MakeDir(dir.File("sub"));
  WriteBytes(dir.File("sub\\readme.txt"), "x");
  Playlist p;
  EXPECT_FALSE(ScanFolder(dir.Path(), p));
  EXPECT_FALSE(ScanFolder(dir.File("missing"), p));
  EXPECT_EQ(p.Count(), 0);
}

TEST(ScanFolderWin, DirectoryLinksAreNotFollowed) {
  TempFolder dir;
  MakeDir(dir.File("pics"));
  WriteBytes(dir.File("pics\\a.jpg"), "x");
  TestLink loop(dir.File("pics\\loop"), dir.File("pics"), true);
  if (loop.kind() == LinkKind::kNone || !IsReparsePoint(dir.File("pics\\loop")))
    GTEST_SKIP() << "this platform makes no directory links";
  Playlist p;
  ASSERT_TRUE(ScanFolder(dir.File("pics"), p));
  EXPECT_EQ(p.Entries(), (Strings{dir.File("pics\\a.jpg")}));
}

TEST(DeleteTreeWin, DeletesContentsButNotTheFolder) {
  for (bool trailingSlash : {false, true}) {
    TempFolder dir;
    const std::string root = dir.File("root");
    MakeDir(root);
    WriteBytes(root + "\\a.txt", "x");
    WriteBytes(root + "\\ro.txt", "x");
    ASSERT_TRUE(SetFileAttributesA((root + "\\ro.txt").c_str(), FILE_ATTRIBUTE_READONLY));
    MakeDir(root + "\\sub");
    MakeDir(root + "\\sub\\deeper");
    WriteBytes(root + "\\sub\\deeper\\b.txt", "x");
    MakeDir(root + "\\rosub");
    ASSERT_TRUE(SetFileAttributesA((root + "\\rosub").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY));

    EXPECT_TRUE(DeleteTree(trailingSlash ? root + "\\" : root));
    EXPECT_TRUE(PathExists(root));
    for (const char* gone : {"a.txt", "ro.txt", "sub", "rosub"}) EXPECT_FALSE(PathExists(root + "\\" + gone)) << gone;
  }
}

TEST(DeleteTreeWin, UnlistableFolderIsFalse) {
  TempFolder dir;
  EXPECT_FALSE(DeleteTree(dir.File("missing")));
}

TEST(DeleteTreeWin, LinksAreRemovedNotFollowed) {
  TempFolder dir;
  const std::string root = dir.File("root"), outside = dir.File("outside");
  MakeDir(root);
  MakeDir(outside);
  WriteBytes(outside + "\\precious.jpg", "keep");
  WriteBytes(outside + "\\nested\\deep.jpg", "keep");
  TestLink dirLink(root + "\\link", outside, true);
  if (dirLink.kind() == LinkKind::kNone || !IsReparsePoint(root + "\\link"))
    GTEST_SKIP() << "this platform makes no directory links";
  ASSERT_TRUE(PathExists(root + "\\link\\precious.jpg"));
  TestLink fileLink(root + "\\file.jpg", outside + "\\precious.jpg", false);
  WriteBytes(root + "\\plain.txt", "x");

  EXPECT_TRUE(DeleteTree(root));
  EXPECT_EQ(ReadBytes(outside + "\\precious.jpg"), "keep");
  EXPECT_EQ(ReadBytes(outside + "\\nested\\deep.jpg"), "keep");
  EXPECT_FALSE(PathExists(root + "\\plain.txt"));
  // Windows removes its links as links. Wine shows a host link to a file as a
  // plain file and would delete the target through it, and cannot remove a
  // host link to a folder at all: there the links must stay, targets intact.
  if (fileLink.kind() == LinkKind::kWindows) {
    EXPECT_FALSE(PathExists(root + "\\file.jpg"));
  }
  if (dirLink.kind() == LinkKind::kWindows) {
    EXPECT_FALSE(PathExists(root + "\\link"));
  }
}

TEST(DeleteTreeWin, FolderReachedThroughALink) {
  TempFolder dir;
  const std::string real = dir.File("real");
  MakeDir(real);
  MakeDir(real + "\\sub");
  WriteBytes(real + "\\sub\\a.txt", "x");
  WriteBytes(real + "\\b.txt", "x");
  TestLink via(dir.File("via"), real, true);
  if (via.kind() == LinkKind::kNone) GTEST_SKIP() << "this platform makes no directory links";
  EXPECT_TRUE(DeleteTree(dir.File("via")));
  EXPECT_FALSE(PathExists(real + "\\b.txt"));
  EXPECT_FALSE(PathExists(real + "\\sub"));
  EXPECT_TRUE(PathExists(real));
}

TEST(FileHelpersWin, ExistsAndWritable) {
  TempFolder dir;
  WriteBytes(dir.File("f.txt"), "x");
  EXPECT_TRUE(FileExists(dir.File("f.txt")));
  EXPECT_FALSE(FileExists(dir.Path()));  // a folder cannot be opened as a file
  EXPECT_TRUE(PathExists(dir.Path()));
  EXPECT_FALSE(PathExists(dir.File("none")));
  EXPECT_TRUE(FolderIsWritable(dir.Path()));
  EXPECT_FALSE(FolderIsWritable(dir.File("none")));
  // The probe leaves nothing behind.
  WIN32_FIND_DATAA data;
  HANDLE h = FindFirstFileA(dir.File("*.tmp").c_str(), &data);
  EXPECT_EQ(h, INVALID_HANDLE_VALUE);
  if (h != INVALID_HANDLE_VALUE) FindClose(h);
}

TEST(FileHelpersWin, WritableSkipsTakenScratchNames) {
  TempFolder dir;
  WriteBytes(dir.File("-2147483648.tmp"), "taken");
  WriteBytes(dir.File("-2147483647.tmp"), "taken");
  EXPECT_TRUE(FolderIsWritable(dir.Path()));
  EXPECT_EQ(ReadBytes(dir.File("-2147483648.tmp")), "taken");
  EXPECT_FALSE(PathExists(dir.File("-2147483646.tmp")));
}

std::string SpecialFolder(int csidl) {
  char path[MAX_PATH + 1] = {};
  return SHGetSpecialFolderPathA(nullptr, path, csidl, FALSE) ? std::string(path) : std::string();
}

TEST(ScanPicturesFolderWin, FindsImagesInMyPictures) {
  const std::string pictures = SpecialFolder(CSIDL_MYPICTURES);
  if (pictures.empty()) GTEST_SKIP() << "no My Pictures folder here";
  const std::string mine = pictures + "\\sf_imagelist_scan_" + std::to_string(GetCurrentProcessId());
  MakeDir(mine);
  WriteBytes(mine + "\\found.png", "x");
  Playlist p;
  const bool found = ScanPicturesFolder(p);
  DeleteTree(mine);
  RemoveDirectoryA(mine.c_str());
  EXPECT_TRUE(found);
  EXPECT_NE(std::find(p.Entries().begin(), p.Entries().end(), mine + "\\found.png"), p.Entries().end());
}

TEST(StartupLoadWin, ListFileIsNamedForTheUser) {
  char name[257] = {};
  DWORD size = sizeof name;
  ASSERT_TRUE(GetUserNameA(name, &size));
  EXPECT_EQ(UserListFileName(), std::string(name) + ".PLS");
}

TEST(StartupLoadWin, MigratesTheProgramFolderListAndShuffles) {
  TempFolder appData, program;
  const std::string file = UserListFileName();
  {
    Playlist old;
    old.AddEntries(Strings{"C:\\p\\1.jpg", "C:\\p\\2.jpg", "C:\\p\\3.jpg"});
    ASSERT_TRUE(old.Save(program.File(file), kFormatPLS));
  }
  ImageLists lists;
  Strings log;
  LoadImageListsAtStartup(lists, appData.Path() + "\\", program.Path() + "\\", true, 5,
                          [&](const std::string& line) { log.push_back(line); });
  EXPECT_FALSE(PathExists(program.File(file)));
  EXPECT_TRUE(PathExists(appData.File(file)));
  EXPECT_EQ(lists.ListFilePath(), appData.File(file));
  EXPECT_EQ(lists.Master().Entries(), (Strings{"C:\\p\\1.jpg", "C:\\p\\2.jpg", "C:\\p\\3.jpg"}));
  Playlist expected;
  expected.AddEntries(lists.Master().Entries());
  expected.Shuffle(5, kShufflePasses);
  EXPECT_EQ(lists.PlayOrder().Entries(), expected.Entries());
  EXPECT_EQ(log, (Strings{"Reading playlist into internal use object", "Shuffling playlist"}));
}

// A list too large to read is moved aside with MoveFileExA, over an older
// set-aside file, before the scan of My Pictures is saved in its place.
TEST(StartupLoadWin, UnreadableListIsMovedAsideOverAnOlderOne) {
  const std::string pictures = SpecialFolder(CSIDL_MYPICTURES);
  if (pictures.empty()) GTEST_SKIP() << "no My Pictures folder here";
  const std::string mine = pictures + "\\sf_startup_aside_" + std::to_string(GetCurrentProcessId());
  MakeDir(mine);
  WriteBytes(mine + "\\found.png", "x");
  TempFolder appData;
  const std::string list = appData.File(UserListFileName());
  WriteBytes(list, "[playlist]\nFile1=C:\\mine.jpg\n");
  std::filesystem::resize_file(list, Playlist::kMaxListFileBytes + 1);
  WriteBytes(list + ".bad", "older");
  ImageLists lists;
  Strings log;
  LoadImageListsAtStartup(lists, appData.Path() + "\\", "", false, 0,
                          [&](const std::string& line) { log.push_back(line); });
  DeleteTree(mine);
  RemoveDirectoryA(mine.c_str());
  EXPECT_EQ(std::filesystem::file_size(list + ".bad"), Playlist::kMaxListFileBytes + 1);
  Playlist saved;
  ASSERT_TRUE(saved.Load(list));
  EXPECT_NE(std::find(saved.Entries().begin(), saved.Entries().end(), mine + "\\found.png"), saved.Entries().end());
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log[0], "Playlist could not be read, kept as: " + list + ".bad");
}

// A list file another program holds open without sharing cannot be read nor
// moved; it stays as it is and the scan serves this run only.
TEST(StartupLoadWin, LockedListIsNeitherMovedNorSavedOver) {
  const std::string pictures = SpecialFolder(CSIDL_MYPICTURES);
  if (pictures.empty()) GTEST_SKIP() << "no My Pictures folder here";
  const std::string mine = pictures + "\\sf_startup_locked_" + std::to_string(GetCurrentProcessId());
  MakeDir(mine);
  WriteBytes(mine + "\\found.png", "x");
  TempFolder appData;
  const std::string list = appData.File(UserListFileName());
  const std::string text = "[playlist]\nFile1=C:\\mine.jpg\nNumberOfEntries=1\nVersion=2";
  WriteBytes(list, text);
  ImageLists lists;
  Strings log;
  {
    UniqueFile lock(CreateFileA(list.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(lock);
    LoadImageListsAtStartup(lists, appData.Path() + "\\", "", false, 0,
                            [&](const std::string& line) { log.push_back(line); });
  }
  DeleteTree(mine);
  RemoveDirectoryA(mine.c_str());
  EXPECT_EQ(ReadBytes(list), text);
  EXPECT_FALSE(PathExists(list + ".bad"));
  const Strings& order = lists.PlayOrder().Entries();
  EXPECT_NE(std::find(order.begin(), order.end(), mine + "\\found.png"), order.end());
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log[0], "Playlist could not be read nor moved aside, new playlist not saved: " + list);
}

}  // namespace
