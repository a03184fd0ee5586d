// The folder set-up at InitDll, on real folders under Wine.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>

#include "plugin/archive/archive.h"
#include "plugin/archive/archive_file_win.h"
#include "plugin/archive/condemned_list.h"
#include "plugin/archive/plugin_folders_win.h"
#include "plugin/archive/tests/archive_test_util.h"
#include "support/tests/temp_dir.h"

namespace {
const char kArchiveName[] = "Settings.Fetchpix Data Archive";

bool Exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// One InitDll-to-UnloadDll run.
PluginFolders OneRun(const std::string& data, CondemnedList* condemned = nullptr) {
  Archive archive(Win32ArchiveFileSystem());
  PluginFolders folders;
  EXPECT_TRUE(SetUpPluginFolders(data, folders, archive, condemned));
  archive.Close();
  return folders;
}
}  // namespace

TEST(PluginFolders, FirstRunCreatesFoldersAndCounters) {
  TempDir dir;
  const std::string data = dir.path().string();  // without its backslash
  Archive archive(Win32ArchiveFileSystem());
  PluginFolders folders;
  CondemnedList condemned;
  ASSERT_TRUE(SetUpPluginFolders(data, folders, archive, &condemned));
  EXPECT_EQ(folders.dataFolder, data + "\\");
  EXPECT_EQ(folders.logFolder, data + "\\Log\\");
  EXPECT_EQ(folders.logFilePath, data + "\\Log\\Fetchpix.log");
  EXPECT_EQ(folders.cacheFolder, data + "\\Cache\\");
  EXPECT_TRUE(std::filesystem::is_directory(data + "\\Log"));
  EXPECT_TRUE(std::filesystem::is_directory(data + "\\Cache"));
  EXPECT_EQ(folders.nextCacheFileNumber, 1u);
  EXPECT_EQ(folders.cachedBytes, 0u);
  EXPECT_EQ(folders.runCounter, 1u);
  ASSERT_NE(folders.userNode, nullptr);
  char name[257] = {};
  DWORD length = sizeof name;
  ASSERT_TRUE(::GetUserNameA(name, &length));
  std::string user;
  ASSERT_TRUE(archive.ReadText(folders.userNode, user));
  EXPECT_EQ(user, name);
  EXPECT_NE(archive.Find(nullptr, nullptr, kNodeCondemnedList), nullptr);
  archive.Close();
  EXPECT_TRUE(Exists(folders.cacheFolder + kArchiveName));
}

TEST(PluginFolders, LogIsKeptEveryFifthRun) {
  TempDir dir;
  const std::string data = dir.path().string() + "\\";
  for (uint32_t run = 1; run <= 10; ++run) {
    WriteWholeFile(data + "Log\\Fetchpix.log", "previous run");  // the folder exists after run 1
    PluginFolders folders = OneRun(data);
    EXPECT_EQ(folders.runCounter, run);
    bool kept = run % 5 == 0;
    EXPECT_EQ(folders.logKept, kept) << run;
    EXPECT_EQ(Exists(data + "Log\\Fetchpix.log"), kept && run > 1) << run;
  }
}

TEST(PluginFolders, ReadsCountersAndCondemnedListOfEarlierRuns) {
  TempDir dir;
  const std::string data = dir.path().string() + "\\";
  OneRun(data);
  {
    Archive archive(Win32ArchiveFileSystem());
    PluginFolders folders;
    CondemnedList condemned;
    ASSERT_TRUE(SetUpPluginFolders(data, folders, archive, &condemned));
    ArchiveNode* settings = archive.Find(nullptr, nullptr, kNodeSettings);
    archive.AddU32(settings, kNodeNextCacheNumber, 42);
    archive.AddU32(settings, kNodeCachedBytes, 123456);
    condemned.Condemn(archive, "http://bad.example/x.jpg");
    archive.Close();
  }
  Archive archive(Win32ArchiveFileSystem());
  PluginFolders folders;
  CondemnedList condemned;
  ASSERT_TRUE(SetUpPluginFolders(data, folders, archive, &condemned));
  EXPECT_EQ(folders.nextCacheFileNumber, 42u);
  EXPECT_EQ(folders.cachedBytes, 123456u);
  EXPECT_EQ(folders.runCounter, 3u);
  EXPECT_TRUE(condemned.IsCondemned("http://bad.example/x.jpg"));
}

TEST(PluginFolders, DamagedArchiveGoesToBackupWithTheCache) {
  TempDir dir;
  const std::string data = dir.path().string() + "\\";
  OneRun(data);
  const std::string cache = data + "Cache\\";
  WriteWholeFile(cache + kArchiveName, "not an archive at all, not at all");
  WriteWholeFile(cache + "Fetchpix1.img", "image");
  std::filesystem::create_directories(cache + "Backup");
  WriteWholeFile(cache + "Backup\\stale.img", "old");
  PluginFolders folders = OneRun(data);
  EXPECT_EQ(folders.runCounter, 1u);  // a new archive
  EXPECT_EQ(ReadWholeFile(cache + "Backup\\Fetchpix1.img", true), "image");
  EXPECT_EQ(ReadWholeFile(cache + "Backup\\" + kArchiveName, true), "not an archive at all, not at all");
  EXPECT_FALSE(Exists(cache + "Backup\\stale.img"));
  EXPECT_FALSE(Exists(cache + "Fetchpix1.img"));
}

TEST(PluginFolders, CompleteTempIsAdoptedWhenTheArchiveIsMissing) {
  TempDir dir;
  const std::string data = dir.path().string() + "\\";
  OneRun(data);
  OneRun(data);
  const std::string cache = data + "Cache\\";
  ASSERT_TRUE(::MoveFileExA((cache + kArchiveName).c_str(), (cache + kArchiveName + ".temp").c_str(), 0));
  PluginFolders folders = OneRun(data);
  EXPECT_EQ(folders.runCounter, 3u);
  EXPECT_FALSE(Exists(cache + kArchiveName + ".temp"));
}
