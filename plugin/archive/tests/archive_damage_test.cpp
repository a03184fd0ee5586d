// Damaged files and failed saves: the archive comes back at its last good state.
#include <gtest/gtest.h>

#include "plugin/archive/archive.h"
#include "plugin/archive/tests/archive_test_util.h"
#include "plugin/archive/tests/memory_file_system.h"

namespace {
const std::string kFolder = "C:\\data\\Cache\\";
const std::string kBackup = kFolder + "Backup\\";
const std::string kName = "Settings.Fetchpix Data Archive";
const std::string kPath = kFolder + kName;

struct TwoSections {
  MemoryFileSystem::Bytes file;
  size_t firstEnd = 0;
  std::string first, second;
};

// A file of two sections; the second changes one blob and adds nodes.
TwoSections MakeTwoSections() {
  MemoryFileSystem fs;
  Archive archive(fs);
  archive.Open(kFolder, "Backup\\", kName);
  AddSampleSearches(archive, 2, 3);
  EXPECT_TRUE(archive.SaveIncremental());
  TwoSections out;
  out.first = DumpTree(archive);
  out.firstEnd = fs.Contents(kPath).size();
  ArchiveNode* user = archive.FindOrAddUser();
  archive.SetU32(archive.Find(archive.Find(archive.Find(user, nullptr, kNodeSearch), nullptr, kNodeEngine),
                              nullptr, kNodeCurrentId), 2);
  archive.AddText(user, kNodeSearch, "second section");
  EXPECT_TRUE(archive.SaveIncremental());
  out.second = DumpTree(archive);
  out.file = fs.Contents(kPath);
  return out;
}

std::string OpenDump(MemoryFileSystem& fs, ArchiveOpenResult& result) {
  Archive archive(fs);
  result = archive.Open(kFolder, "Backup\\", kName);
  return DumpTree(archive);
}
}  // namespace

TEST(ArchiveDamage, AnyByteOfTheLastSectionChangedFallsBackToTheSectionBefore) {
  TwoSections two = MakeTwoSections();
  for (size_t at = two.firstEnd; at < two.file.size(); ++at) {
    MemoryFileSystem fs;
    auto bytes = two.file;
    bytes[at] ^= 0x5A;
    fs.SetContents(kPath, bytes);
    fs.SetContents(kFolder + "Fetchpix1.img", {1, 2, 3});
    ArchiveOpenResult result;
    ASSERT_EQ(OpenDump(fs, result), two.first) << "byte " << at;
    EXPECT_EQ(result, ArchiveOpenResult::Recovered);
    // Cut back to the good section; the cache stays in place.
    EXPECT_EQ(fs.Contents(kPath).size(), two.firstEnd);
    EXPECT_TRUE(fs.Exists(kFolder + "Fetchpix1.img"));
  }
}

TEST(ArchiveDamage, ACutAnywhereInTheLastSectionFallsBackToTheSectionBefore) {
  TwoSections two = MakeTwoSections();
  for (size_t length = two.firstEnd; length < two.file.size(); ++length) {
    MemoryFileSystem fs;
    fs.SetContents(kPath, MemoryFileSystem::Bytes(two.file.begin(), two.file.begin() + static_cast<long>(length)));
    ArchiveOpenResult result;
    ASSERT_EQ(OpenDump(fs, result), two.first) << "length " << length;
    EXPECT_EQ(result, length == two.firstEnd ? ArchiveOpenResult::Loaded : ArchiveOpenResult::Recovered);
  }
}

TEST(ArchiveDamage, RecoveredArchiveKeepsSavingOnTheCutFile) {
  TwoSections two = MakeTwoSections();
  MemoryFileSystem fs;
  auto bytes = two.file;
  bytes.back() ^= 1;
  fs.SetContents(kPath, bytes);
  std::string state;
  {
    Archive archive(fs);
    ASSERT_EQ(archive.Open(kFolder, "Backup\\", kName), ArchiveOpenResult::Recovered);
    archive.AddText(archive.FindOrAddUser(), kNodeSearch, "after recovery");
    ASSERT_TRUE(archive.SaveIncremental());
    state = DumpTree(archive);
  }
  ArchiveOpenResult result;
  EXPECT_EQ(OpenDump(fs, result), state);
  EXPECT_EQ(result, ArchiveOpenResult::Loaded);
}

TEST(ArchiveDamage, NoGoodSectionMovesTheFolderIntoBackup) {
  TwoSections two = MakeTwoSections();
  MemoryFileSystem fs;
  auto bytes = two.file;
  bytes[3] ^= 1;  // in the first section's blobs: no checksum holds any more
  fs.SetContents(kPath, bytes);
  fs.SetContents(kFolder + "Fetchpix1.img", {1});
  fs.SetContents(kFolder + "Fetchpix2.img", {2});
  fs.SetContents(kBackup + "old.img", {9});
  fs.SetContents(kFolder + "Other\\kept.img", {7});
  ArchiveOpenResult result;
  EXPECT_EQ(OpenDump(fs, result), "1\n 512\n");
  EXPECT_EQ(result, ArchiveOpenResult::MovedAside);
  EXPECT_FALSE(fs.Exists(kPath));
  EXPECT_EQ(fs.Contents(kBackup + kName), bytes);
  EXPECT_TRUE(fs.Exists(kBackup + "Fetchpix1.img"));
  EXPECT_TRUE(fs.Exists(kBackup + "Fetchpix2.img"));
  EXPECT_FALSE(fs.Exists(kBackup + "old.img"));     // the backup's old contents go first
  EXPECT_TRUE(fs.Exists(kFolder + "Other\\kept.img"));  // subfolders stay
}

TEST(ArchiveDamage, ListingErrorsWhileMovingAsideAreShown) {
  struct Case {
    std::string failing;
    std::string alert;
  };
  for (const Case& c : {Case{kBackup, "Bad find1"}, Case{kFolder, "Bad find2"}}) {
    MemoryFileSystem fs;
    fs.SetContents(kPath, {1, 2, 3, 4, 5, 6, 7, 8, 9});
    fs.failListing.insert(c.failing);
    Archive archive(fs);
    std::vector<std::string> alerts;
    archive.SetAlertHandler([&](const std::string& text) { alerts.push_back(text); });
    EXPECT_EQ(archive.Open(kFolder, "Backup\\", kName), ArchiveOpenResult::MovedAside);
    EXPECT_EQ(alerts, std::vector<std::string>{c.alert});
  }
}

TEST(ArchiveDamage, EmptyOrTinyFileIsMovedAside) {
  for (size_t length : {0u, 1u, 27u}) {
    MemoryFileSystem fs;
    fs.SetContents(kPath, MemoryFileSystem::Bytes(length, 0));
    ArchiveOpenResult result;
    EXPECT_EQ(OpenDump(fs, result), "1\n 512\n");
    EXPECT_EQ(result, ArchiveOpenResult::MovedAside) << length;
  }
}

// Every write of a save, failed in turn: the save reports failure, the file
// is as it was, and the next save writes everything.
TEST(ArchiveDamage, FailedWriteOfAnIncrementalSaveLeavesTheFileAsItWas) {
  for (size_t shortBytes : {0u, 5u}) {
    for (int n = 1;; ++n) {
      MemoryFileSystem fs;
      Archive archive(fs);
      archive.SetWriteChunk(16);
      archive.Open(kFolder, "Backup\\", kName);
      AddSampleSearches(archive, 1, 2);
      ASSERT_TRUE(archive.SaveIncremental());
      auto before = fs.Contents(kPath);
      archive.AddText(archive.FindOrAddUser(), kNodeSearch, "pending change");
      fs.ResetCounters();
      fs.failAppendAt = n;
      fs.shortWriteBytes = shortBytes;
      bool saved = archive.SaveIncremental();
      if (saved) {
        EXPECT_GT(n, 3);  // ran past the last write of the save
        break;
      }
      EXPECT_EQ(fs.Contents(kPath), before) << "write " << n;
      fs.failAppendAt = 0;
      ASSERT_TRUE(archive.SaveIncremental());
      std::string state = DumpTree(archive);
      ArchiveOpenResult result;
      EXPECT_EQ(OpenDump(fs, result), state) << "write " << n;
      EXPECT_EQ(result, ArchiveOpenResult::Loaded);
    }
  }
}

// A kill during an incremental save: the partial section stays in the file
// (nothing cuts it away); the next start loads the section before it.
TEST(ArchiveDamage, KillDuringAnIncrementalSaveKeepsTheLastGoodState) {
  for (int n = 1; n < 40; ++n) {
    MemoryFileSystem fs;
    Archive archive(fs);
    archive.SetWriteChunk(16);
    archive.Open(kFolder, "Backup\\", kName);
    AddSampleSearches(archive, 1, 2);
    ASSERT_TRUE(archive.SaveIncremental());
    std::string good = DumpTree(archive);
    archive.AddText(archive.FindOrAddUser(), kNodeSearch, "lost in the crash");
    fs.failAppendAt = n;
    fs.shortWriteBytes = 7;
    fs.failTruncate = true;
    if (archive.SaveIncremental()) break;
    ArchiveOpenResult result;
    EXPECT_EQ(OpenDump(fs, result), good) << "write " << n;
    EXPECT_TRUE(result == ArchiveOpenResult::Recovered || result == ArchiveOpenResult::Loaded) << n;
  }
}

TEST(ArchiveDamage, FailedFlushTruncateOrOpenOfAnIncrementalSave) {
  MemoryFileSystem fs;
  Archive archive(fs);
  archive.Open(kFolder, "Backup\\", kName);
  AddSampleSearches(archive, 1, 1);
  ASSERT_TRUE(archive.SaveIncremental());
  auto before = fs.Contents(kPath);
  archive.AddU32(nullptr, 9000, 5);
  fs.failFlush = true;
  EXPECT_FALSE(archive.SaveIncremental());
  EXPECT_EQ(fs.Contents(kPath), before);
  fs.failFlush = false;
  fs.failOpenForWrite = true;
  EXPECT_FALSE(archive.SaveIncremental());
  fs.failOpenForWrite = false;
  ASSERT_TRUE(archive.SaveIncremental());
  std::string state = DumpTree(archive);
  ArchiveOpenResult result;
  EXPECT_EQ(OpenDump(fs, result), state);
}

TEST(ArchiveDamage, FailedFullSaveKeepsTheOldFile) {
  for (int n = 1;; ++n) {
    MemoryFileSystem fs;
    {
      Archive archive(fs);
      archive.Open(kFolder, "Backup\\", kName);
      AddSampleSearches(archive, 2, 2);
      archive.Close();
    }
    Archive archive(fs);
    archive.SetWriteChunk(16);
    archive.Open(kFolder, "Backup\\", kName);
    archive.AddText(archive.FindOrAddUser(), kNodeSearch, "pending");
    auto before = fs.Contents(kPath);
    fs.failAppendAt = n;
    fs.shortWriteBytes = 3;
    if (archive.SaveFull()) {
      EXPECT_GT(n, 3);
      break;
    }
    EXPECT_EQ(fs.Contents(kPath), before) << n;
    EXPECT_FALSE(fs.Exists(kPath + ".temp"));
    fs.failAppendAt = 0;
    std::string state = DumpTree(archive);
    archive.Close();
    ArchiveOpenResult result;
    EXPECT_EQ(OpenDump(fs, result), state) << n;
  }
}

TEST(ArchiveDamage, FullSaveThatCannotReplaceKeepsTheOldFile) {
  MemoryFileSystem fs;
  Archive archive(fs);
  archive.Open(kFolder, "Backup\\", kName);
  AddSampleSearches(archive, 1, 1);
  ASSERT_TRUE(archive.SaveFull());
  auto before = fs.Contents(kPath);
  archive.AddU32(nullptr, 9000, 1);
  fs.failReplace = true;
  EXPECT_FALSE(archive.SaveFull());
  EXPECT_EQ(fs.Contents(kPath), before);
  EXPECT_FALSE(fs.Exists(kPath + ".temp"));
  // The changes were not taken as saved: an incremental save still writes them.
  fs.failReplace = false;
  ASSERT_TRUE(archive.SaveIncremental());
  std::string state = DumpTree(archive);
  ArchiveOpenResult result;
  EXPECT_EQ(OpenDump(fs, result), state);
}

TEST(ArchiveDamage, LeftoverTempFiles) {
  MemoryFileSystem complete;
  {
    Archive archive(complete);
    archive.Open(kFolder, "Backup\\", kName);
    AddSampleSearches(archive, 1, 2);
    archive.Close();
  }
  std::string saved;
  {
    ArchiveOpenResult result;
    saved = OpenDump(complete, result);
  }
  auto good = complete.Contents(kPath);
  auto partial = MemoryFileSystem::Bytes(good.begin(), good.end() - 3);

  // Killed between flushing the new file and putting it in place: adopted.
  MemoryFileSystem adopt;
  adopt.SetContents(kPath + ".temp", good);
  ArchiveOpenResult result;
  EXPECT_EQ(OpenDump(adopt, result), saved);
  EXPECT_EQ(result, ArchiveOpenResult::AdoptedTemp);
  EXPECT_TRUE(adopt.Exists(kPath));
  EXPECT_FALSE(adopt.Exists(kPath + ".temp"));

  // Killed while writing it, with no archive: a new archive, the fragment removed.
  MemoryFileSystem fragment;
  fragment.SetContents(kPath + ".temp", partial);
  EXPECT_EQ(OpenDump(fragment, result), "1\n 512\n");
  EXPECT_EQ(result, ArchiveOpenResult::New);
  EXPECT_FALSE(fragment.Exists(kPath + ".temp"));

  // Killed while writing it, archive in place: the archive wins, the fragment goes.
  MemoryFileSystem both;
  both.SetContents(kPath, good);
  both.SetContents(kPath + ".temp", partial);
  EXPECT_EQ(OpenDump(both, result), saved);
  EXPECT_EQ(result, ArchiveOpenResult::Loaded);
  EXPECT_FALSE(both.Exists(kPath + ".temp"));
}
