#include "imagelist/folder_scan.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "support/text/ascii.h"

namespace {

using Strings = std::vector<std::string>;

// An in-memory tree. Entries come back in the order they were added, like an
// unsorted file system; "*.ext" compares extensions ignoring case.
class FakeTree : public DirectoryLister {
 public:
  // With short names, a three-letter pattern also finds longer extensions
  // that start with it ("*.htm" finds "a.html"), as on Windows with 8.3 names.
  bool shortNames = false;
  std::map<std::string, std::vector<DirEntry>> folders;
  std::vector<std::string> listed;  // folder and pattern of every call

  void File(const std::string& folder, const std::string& name) { folders[folder].push_back({name, false, false}); }
  void Dir(const std::string& folder, const std::string& name, bool link = false) {
    folders[folder].push_back({name, true, link});
    folders[folder + "\\" + name];
  }

  bool List(const std::string& folder, std::string_view pattern, std::vector<DirEntry>& out) override {
    listed.push_back(folder + "|" + std::string(pattern));
    auto it = folders.find(folder);
    if (it == folders.end()) return false;
    for (const DirEntry& e : it->second)
      if (Matches(e.name, pattern)) out.push_back(e);
    return true;
  }

 private:
  bool Matches(const std::string& name, std::string_view pattern) const {
    if (pattern == "*.*") return true;
    std::string_view want = pattern.substr(1);  // ".ext"
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos) return false;
    std::string_view ext = std::string_view(name).substr(dot);
    if (EqualsIgnoreCaseAscii(ext, want)) return true;
    return shortNames && want.size() == 4 && ext.size() > 4 && StartsWithIgnoreCaseAscii(ext, want);
  }
};

TEST(ScanFolder, SubfoldersFirstThenOwnHitsByPattern) {
  FakeTree t;
  t.File("C:\\A", "z.png");
  t.File("C:\\A", "b.BMP");
  t.File("C:\\A", "a.jpg");
  t.File("C:\\A", "c.tga");
  t.File("C:\\A", "notes.txt");
  t.File("C:\\A", "noext");
  t.File("C:\\A", "m.swf");
  t.Dir("C:\\A", "B");
  t.File("C:\\A\\B", "in_b.gif");
  t.Dir("C:\\A\\B", "C");
  t.File("C:\\A\\B\\C", "deep.dib");
  t.Dir("C:\\A", "Empty");
  Playlist p;
  EXPECT_TRUE(ScanFolderWith(t, "C:\\A", p));
  EXPECT_EQ(p.Entries(), (Strings{"C:\\A\\B\\C\\deep.dib", "C:\\A\\B\\in_b.gif", "C:\\A\\c.tga", "C:\\A\\b.BMP",
                                  "C:\\A\\a.jpg", "C:\\A\\z.png", "C:\\A\\m.swf"}));
}

TEST(ScanFolder, PatternsAreSearchedInTheirOrderThenTheFolders) {
  FakeTree t;
  t.folders["C:\\A"];
  Playlist p;
  EXPECT_FALSE(ScanFolderWith(t, "C:\\A", p));
  Strings expected;
  for (std::string_view pattern : kScanPatterns) expected.push_back("C:\\A|" + std::string(pattern));
  expected.push_back("C:\\A|*.*");
  EXPECT_EQ(t.listed, expected);
}

TEST(ScanFolder, FolderNamedLikeAnImageIsListed) {
  FakeTree t;
  t.Dir("C:\\A", "holiday.jpg");
  t.File("C:\\A\\holiday.jpg", "x.png");
  Playlist p;
  EXPECT_TRUE(ScanFolderWith(t, "C:\\A", p));
  EXPECT_EQ(p.Entries(), (Strings{"C:\\A\\holiday.jpg\\x.png", "C:\\A\\holiday.jpg"}));
}

TEST(ScanFolder, DotFoldersLinksAndUnlistableFoldersAreSkipped) {
  FakeTree t;
  t.Dir("C:\\A", ".git");
  t.File("C:\\A\\.git", "hidden.png");
  t.Dir("C:\\A", "loop", true);  // a junction back to C:\A
  t.File("C:\\A\\loop", "again.png");
  t.folders["C:\\A"].push_back({"gone", true, false});  // listed, but cannot be opened
  t.File("C:\\A", "x.png");
  Playlist p;
  EXPECT_TRUE(ScanFolderWith(t, "C:\\A", p));
  EXPECT_EQ(p.Entries(), (Strings{"C:\\A\\x.png"}));
}

TEST(ScanFolder, TrueWhenOnlyASubfolderHadFiles) {
  FakeTree t;
  t.Dir("C:\\A", "B");
  t.File("C:\\A\\B", "x.jpeg");
  Playlist p;
  EXPECT_TRUE(ScanFolderWith(t, "C:\\A", p));
  EXPECT_EQ(p.Entries(), (Strings{"C:\\A\\B\\x.jpeg"}));
  Playlist none;
  FakeTree missing;
  EXPECT_FALSE(ScanFolderWith(missing, "C:\\nowhere", none));
}

TEST(ScanFolder, ShortNameMatchesAreListedOnce) {
  FakeTree t;
  t.shortNames = true;
  t.File("C:\\A", "page.html");
  t.File("C:\\A", "scan.tiff");
  t.File("C:\\A", "a.tif");
  Playlist p;
  EXPECT_TRUE(ScanFolderWith(t, "C:\\A", p));
  EXPECT_EQ(p.Entries(), (Strings{"C:\\A\\scan.tiff", "C:\\A\\a.tif", "C:\\A\\page.html"}));
}

TEST(ScanFolder, DeepTreesStopAtTheDepthLimit) {
  FakeTree t;
  std::string folder = "C:\\A";
  for (int i = 0; i < kMaxScanDepth + 10; ++i) {
    t.File(folder, "f.png");
    t.Dir(folder, "d");
    folder += "\\d";
  }
  Playlist p;
  EXPECT_TRUE(ScanFolderWith(t, "C:\\A", p));
  EXPECT_EQ(p.Count(), kMaxScanDepth + 1);
}

}  // namespace
