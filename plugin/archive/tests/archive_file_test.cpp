// The platform file layer (POSIX natively, Win32 under Wine) under the archive:
// a round trip on disk, append and cut-back, replace over an existing file, and
// moving the folder aside.
#include <gtest/gtest.h>

#include <filesystem>

#include "plugin/archive/archive.h"
#include "plugin/archive/tests/archive_test_util.h"
#include "support/tests/temp_dir.h"
#ifdef _WIN32
#include "plugin/archive/archive_file_win.h"
static ArchiveFileSystem& Files() { return Win32ArchiveFileSystem(); }
static const char kSep = '\\';
#else
#include "plugin/archive/archive_file_posix.h"
static ArchiveFileSystem& Files() { return PosixArchiveFileSystem(); }
static const char kSep = '/';
#endif

namespace {
std::string FolderOf(const TempDir& dir) { return dir.path().string() + kSep; }
}  // namespace

TEST(ArchiveFiles, FileOperations) {
  TempDir dir;
  const std::string path = dir.File("f");
  ArchiveFileSystem& fs = Files();
  EXPECT_FALSE(fs.Exists(path));
  EXPECT_EQ(fs.Open(path, ArchiveOpenMode::Read), nullptr);
  {
    auto file = fs.Open(path, ArchiveOpenMode::ReadWrite);
    ASSERT_NE(file, nullptr);
    ASSERT_TRUE(file->Append("hello", 5));
    ASSERT_TRUE(file->Append(" world", 6));
    ASSERT_TRUE(file->Flush());
    uint64_t size = 0;
    ASSERT_TRUE(file->Size(size));
    EXPECT_EQ(size, 11u);
    char buffer[5];
    ASSERT_TRUE(file->ReadAt(6, buffer, 5));
    EXPECT_EQ(std::string(buffer, 5), "world");
    EXPECT_FALSE(file->ReadAt(8, buffer, 5));  // short read
    ASSERT_TRUE(file->Truncate(5));
    ASSERT_TRUE(file->Append("!", 1));  // appends go to the new end
  }
  EXPECT_EQ(ReadWholeFile(path, true), "hello!");
  {
    auto file = fs.Open(path, ArchiveOpenMode::Read);
    ASSERT_NE(file, nullptr);
    EXPECT_FALSE(file->Append("x", 1));
  }
  WriteWholeFile(dir.File("g"), "new");
  ASSERT_TRUE(fs.Replace(dir.File("g"), path));
  EXPECT_EQ(ReadWholeFile(path, true), "new");
  EXPECT_FALSE(fs.Exists(dir.File("g")));
  auto created = fs.Open(path, ArchiveOpenMode::Create);
  ASSERT_NE(created, nullptr);
  uint64_t size = 1;
  ASSERT_TRUE(created->Size(size));
  EXPECT_EQ(size, 0u);
  created.reset();
  EXPECT_TRUE(fs.Delete(path));
  EXPECT_FALSE(fs.Delete(path));
}

TEST(ArchiveFiles, ListsOnlyFilesAndMovesThem) {
  TempDir dir;
  ArchiveFileSystem& fs = Files();
  const std::string folder = FolderOf(dir);
  WriteWholeFile(dir.File("a.img"), "a");
  WriteWholeFile(dir.File("b.img"), "b");
  std::filesystem::create_directories(dir.path() / "sub");
  std::vector<std::string> names;
  ASSERT_TRUE(fs.ListFiles(folder, names));
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"a.img", "b.img"}));
  ASSERT_TRUE(fs.ListFiles(folder + "missing" + kSep, names));
  EXPECT_TRUE(names.empty());
  ASSERT_TRUE(fs.CreateFolder(folder + "Backup"));
  ASSERT_TRUE(fs.CreateFolder(folder + "Backup"));  // already there
  ASSERT_TRUE(fs.Move(dir.File("a.img"), folder + "Backup" + kSep + "a.img"));
  EXPECT_EQ(ReadWholeFile(folder + "Backup" + kSep + "a.img", true), "a");
}

TEST(ArchiveFiles, ArchiveRoundTripAndRecoveryOnDisk) {
  TempDir dir;
  const std::string folder = FolderOf(dir);
  const std::string name = "Settings.Fetchpix Data Archive";
  std::string first, second;
  {
    Archive archive(Files());
    ASSERT_EQ(archive.Open(folder, std::string("Backup") + kSep, name), ArchiveOpenResult::New);
    AddSampleSearches(archive, 2, 5);
    ASSERT_TRUE(archive.SaveIncremental());
    first = DumpTree(archive);
    archive.AddText(archive.FindOrAddUser(), kNodeSearch, "more");
    ASSERT_TRUE(archive.SaveIncremental());
    second = DumpTree(archive);
  }
  {
    Archive archive(Files());
    ASSERT_EQ(archive.Open(folder, std::string("Backup") + kSep, name), ArchiveOpenResult::Loaded);
    EXPECT_EQ(DumpTree(archive), second);
  }
  // Damage the last byte: back to the first section, file cut back.
  std::string bytes = ReadWholeFile(folder + name, true);
  bytes.back() ^= 1;
  WriteWholeFile(folder + name, bytes);
  {
    Archive archive(Files());
    ASSERT_EQ(archive.Open(folder, std::string("Backup") + kSep, name), ArchiveOpenResult::Recovered);
    EXPECT_EQ(DumpTree(archive), first);
    archive.Close();
  }
  {
    Archive archive(Files());
    ASSERT_EQ(archive.Open(folder, std::string("Backup") + kSep, name), ArchiveOpenResult::Loaded);
    EXPECT_EQ(DumpTree(archive), first);
  }
  EXPECT_FALSE(std::filesystem::exists(folder + name + ".temp"));
  // Nothing holds: moved aside with the cache file beside it.
  WriteWholeFile(folder + name, "garbage garbage garbage garbage");
  WriteWholeFile(dir.File("Fetchpix1.img"), "img");
  {
    Archive archive(Files());
    ASSERT_EQ(archive.Open(folder, std::string("Backup") + kSep, name), ArchiveOpenResult::MovedAside);
  }
  EXPECT_EQ(ReadWholeFile(folder + "Backup" + kSep + "Fetchpix1.img", true), "img");
  EXPECT_TRUE(std::filesystem::exists(folder + "Backup" + kSep + name));
  EXPECT_FALSE(std::filesystem::exists(folder + name));
}
