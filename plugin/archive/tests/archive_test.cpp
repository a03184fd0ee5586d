// The archive's operations, file format and save policy, over the in-memory file system.
#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "plugin/archive/archive.h"
#include "plugin/archive/archive_scan.h"
#include "plugin/archive/tests/archive_test_util.h"
#include "plugin/archive/tests/memory_file_system.h"

namespace {
const std::string kFolder = "C:\\data\\Cache\\";
const std::string kName = "Settings.Fetchpix Data Archive";
const std::string kPath = kFolder + kName;

size_t SectionCount(MemoryFileSystem& fs) {
  auto file = fs.Open(kPath, ArchiveOpenMode::Read);
  if (!file) return 0;
  uint64_t size = 0;
  file->Size(size);
  std::vector<ArchiveSectionEnd> sections;
  ScanSections(*file, size, sections);
  return sections.size();
}

std::string Reopened(MemoryFileSystem& fs, ArchiveOpenResult expect = ArchiveOpenResult::Loaded) {
  Archive again(fs);
  EXPECT_EQ(again.Open(kFolder, "Backup\\", kName), expect);
  return DumpTree(again);
}
}  // namespace

TEST(Archive, NewArchiveHasRootAndSettingsNode) {
  MemoryFileSystem fs;
  Archive archive(fs);
  EXPECT_EQ(archive.Open(kFolder, "Backup\\", kName), ArchiveOpenResult::New);
  EXPECT_EQ(archive.Path(), kPath);
  EXPECT_EQ(DumpTree(archive), "1\n 512\n");
  EXPECT_EQ(archive.ChangeCount(), 1u);
  EXPECT_FALSE(fs.Exists(kPath));  // nothing is written before the 100th change or Close
}

TEST(Archive, CloseWritesTheFormatByteForByte) {
  MemoryFileSystem fs;
  Archive archive(fs);
  archive.Open(kFolder, "Backup\\", kName);
  ArchiveNode* settings = archive.Find(nullptr, nullptr, kNodeSettings);
  archive.AddU32(settings, kNodeRunCounter, 7);
  archive.AddText(nullptr, kNodeCondemnedList, "");  // a text on a type the archive does not judge
  archive.Close();

  std::vector<uint8_t> expected = {7, 0, 0, 0, 0};  // the two blobs, in tree order
  uint32_t treeOffset = 5;
  auto header = [&](uint32_t type, uint32_t children, uint32_t length, uint32_t offset) {
    for (uint32_t v : {type, kArchiveNodeMagic, children, length, offset}) PutLe32(expected, v);
  };
  header(1, 2, 0, 0xFFFFFFFFu);
  header(512, 1, 0, 0);
  header(515, 0, 4, 0);
  header(768, 0, 1, 4);
  PutLe32(expected, treeOffset);
  PutLe32(expected, ArchiveChecksum(expected.data(), expected.size()));
  EXPECT_EQ(fs.Contents(kPath), expected);
  EXPECT_FALSE(fs.Exists(kPath + ".temp"));
}

TEST(Archive, RoundTripKeepsEveryNodeAndBlob) {
  MemoryFileSystem fs;
  std::string before;
  {
    Archive archive(fs);
    archive.Open(kFolder, "Backup\\", kName);
    AddSampleSearches(archive, 3, 7);
    ArchiveNode* user = archive.FindOrAddUser();
    ArchiveNode* emptied = archive.AddText(user, 9001, "emptied");
    archive.Set(emptied, 0, nullptr);  // data removed, node kept
    archive.Add(user, 9999, 3, "\x01\x00\x02");  // an unknown type keeps its bytes
    before = DumpTree(archive);
    archive.Close();
    EXPECT_FALSE(archive.IsOpen());
    archive.Close();  // a second close does nothing
  }
  EXPECT_EQ(Reopened(fs), before);
  // Reopened twice, so that blobs copied from the old file (not in memory) round-trip too.
  {
    Archive archive(fs);
    archive.Open(kFolder, "Backup\\", kName);
    archive.Close();
  }
  EXPECT_EQ(Reopened(fs), before);
  EXPECT_EQ(SectionCount(fs), 1u);
}

TEST(Archive, SavesIncrementallyAtEvery100thChangeAndFullyAtEvery800th) {
  MemoryFileSystem fs;
  Archive archive(fs);
  archive.Open(kFolder, "Backup\\", kName);  // change 1: the settings node
  ArchiveNode* settings = archive.Find(nullptr, nullptr, kNodeSettings);
  ArchiveNode* counter = archive.AddU32(settings, kNodeNextCacheNumber, 0);
  for (uint32_t c = 3; c <= 99; ++c) archive.SetU32(counter, c);
  EXPECT_FALSE(fs.Exists(kPath));
  archive.SetU32(counter, 100);
  EXPECT_EQ(SectionCount(fs), 1u);
  for (uint32_t section = 2; section <= 7; ++section) {
    for (int i = 0; i < 100; ++i) archive.Add(settings, 9000);
    EXPECT_EQ(SectionCount(fs), section);
  }
  size_t sevenSections = fs.Contents(kPath).size();
  std::string state = DumpTree(archive);
  for (int i = 0; i < 99; ++i) archive.Add(settings, 9000);
  EXPECT_EQ(archive.ChangeCount(), 799u);
  EXPECT_EQ(SectionCount(fs), 7u);
  archive.Add(settings, 9000);  // the 800th change rewrites the file as one section
  EXPECT_EQ(SectionCount(fs), 1u);
  EXPECT_LT(fs.Contents(kPath).size(), sevenSections);
  state = DumpTree(archive);
  EXPECT_EQ(Reopened(fs), state);
}

TEST(Archive, IncrementalSectionsAppendOnlyChangedBlobs) {
  MemoryFileSystem fs;
  Archive archive(fs);
  archive.Open(kFolder, "Backup\\", kName);
  ArchiveNode* user = archive.FindOrAddUser();
  std::string big(1000, 'x');
  archive.AddText(user, kNodeSearch, big);
  ASSERT_TRUE(archive.SaveIncremental());
  size_t first = fs.Contents(kPath).size();
  ArchiveNode* small = archive.AddU32(user, 9000, 1);
  ASSERT_TRUE(archive.SaveIncremental());
  size_t second = fs.Contents(kPath).size();
  // Only the new 4-byte blob, the tree (5 headers) and the tail were appended.
  EXPECT_EQ(second - first, 4u + 5 * 20 + 8);
  archive.SetU32(small, 2);
  ASSERT_TRUE(archive.SaveIncremental());
  EXPECT_EQ(fs.Contents(kPath).size() - second, 4u + 5 * 20 + 8);
  std::string state = DumpTree(archive);
  EXPECT_EQ(Reopened(fs), state);
}

TEST(Archive, ReadAsksForLengthThenCopies) {
  MemoryFileSystem fs;
  Archive archive(fs);
  archive.Open(kFolder, "Backup\\", kName);
  ArchiveNode* node = archive.AddText(nullptr, kNodeUser, "bob");
  uint32_t length = 0;
  EXPECT_FALSE(archive.Read(node, &length, nullptr));
  EXPECT_EQ(length, 4u);
  length = 2;
  char small[2];
  EXPECT_FALSE(archive.Read(node, &length, small));
  EXPECT_EQ(length, 4u);
  char buffer[16];
  std::memset(buffer, '#', sizeof buffer);
  length = sizeof buffer;
  EXPECT_TRUE(archive.Read(node, &length, buffer));
  EXPECT_EQ(length, sizeof buffer);  // left as given
  EXPECT_STREQ(buffer, "bob");
  EXPECT_EQ(buffer[4], '#');
}

TEST(Archive, BlobsAreReadOnlyWhenAskedFor) {
  MemoryFileSystem fs;
  {
    Archive archive(fs);
    archive.Open(kFolder, "Backup\\", kName);
    archive.AddText(nullptr, kNodeUser, "carol");
    archive.Close();
  }
  Archive archive(fs);
  ASSERT_EQ(archive.Open(kFolder, "Backup\\", kName), ArchiveOpenResult::Loaded);
  // Change the blob's bytes in the file behind the archive's back: a blob read
  // at open would still show the old text.
  auto bytes = fs.Contents(kPath);
  ASSERT_EQ(std::memcmp(bytes.data(), "carol", 6), 0);
  bytes[0] = 'k';
  fs.SetContents(kPath, bytes);
  std::string text;
  ASSERT_TRUE(archive.ReadText(archive.Find(nullptr, nullptr, kNodeUser), text));
  EXPECT_EQ(text, "karol");
}

TEST(Archive, RemovedNodeStaysInTheFileUntilTheNextSave) {
  MemoryFileSystem fs;
  Archive archive(fs);
  archive.Open(kFolder, "Backup\\", kName);
  ArchiveNode* user = archive.FindOrAddUser();
  ArchiveNode* search = archive.AddText(user, kNodeSearch, "dogs");
  archive.AddU32(archive.AddText(search, kNodeEngine, "E"), kNodeCurrentId, 3);
  ASSERT_TRUE(archive.SaveIncremental());
  uint32_t changes = archive.ChangeCount();
  archive.Remove(search);
  EXPECT_EQ(archive.ChangeCount(), changes);  // a removal is not a change
  EXPECT_EQ(archive.Find(user, nullptr, kNodeSearch), nullptr);
  EXPECT_NE(Reopened(fs).find("256"), std::string::npos);
  ASSERT_TRUE(archive.SaveIncremental());
  EXPECT_EQ(Reopened(fs).find("256"), std::string::npos);
}

TEST(Archive, FindWalksChildrenOfOneTypeAndSkipsOthers) {
  MemoryFileSystem fs;
  Archive archive(fs);
  archive.Open(kFolder, "Backup\\", kName);
  ArchiveNode* list = archive.Add(nullptr, kNodeCondemnedList);
  ArchiveNode* a = archive.AddText(list, kNodeCondemned, "a");
  archive.AddU32(list, 9000, 1);
  ArchiveNode* b = archive.AddText(list, kNodeCondemned, "b");
  EXPECT_EQ(archive.Find(list, nullptr, kNodeCondemned), a);
  EXPECT_EQ(archive.Find(list, a, kNodeCondemned), b);
  EXPECT_EQ(archive.Find(list, b, kNodeCondemned), nullptr);
  EXPECT_EQ(archive.Find(list, a, 0)->Type(), 9000u);  // type 0: any
  EXPECT_EQ(archive.Find(nullptr, a, 0), nullptr);      // `after` not a child of that parent
  EXPECT_EQ(archive.FindText(list, kNodeCondemned, "b"), b);
  EXPECT_EQ(archive.FindText(list, kNodeCondemned, "c"), nullptr);
  EXPECT_EQ(archive.FindWithData(list, kNodeCondemned, 1, "b"), nullptr);  // without its NUL
  EXPECT_EQ(list->ChildCount(), 3u);
  archive.Remove(a);
  EXPECT_EQ(list->ChildCount(), 2u);
  EXPECT_EQ(archive.Find(list, nullptr, kNodeCondemned), b);
}

TEST(Archive, FindOrAddUserUsesTheNameWithItsNul) {
  MemoryFileSystem fs;
  Archive archive(fs);
  archive.Open(kFolder, "Backup\\", kName);
  archive.SetUserName("dave");
  ArchiveNode* user = archive.FindOrAddUser();
  ASSERT_NE(user, nullptr);
  EXPECT_EQ(user->DataLength(), 5u);
  EXPECT_EQ(archive.FindOrAddUser(), user);
  archive.SetUserName("erin");
  EXPECT_NE(archive.FindOrAddUser(), user);
  archive.Close();
  Archive again(fs);
  again.Open(kFolder, "Backup\\", kName);
  again.SetUserName("dave");
  std::string name;
  ASSERT_TRUE(again.ReadText(again.FindOrAddUser(), name));
  EXPECT_EQ(name, "dave");
  EXPECT_EQ(again.Find(nullptr, again.Find(nullptr, again.Find(nullptr, nullptr, kNodeUser), kNodeUser), kNodeUser), nullptr);
}

TEST(Archive, TypedReadersRefuseTheWrongForm) {
  MemoryFileSystem fs;
  Archive archive(fs);
  archive.Open(kFolder, "Backup\\", kName);
  ArchiveNode* three = archive.Add(nullptr, 9000, 3, "abc");
  ArchiveNode* eight = archive.AddU64(nullptr, kNodeCacheTime, 0x0102030405060708ull);
  uint32_t u32 = 0;
  uint64_t u64 = 0;
  std::string text;
  EXPECT_FALSE(archive.ReadU32(three, u32));
  EXPECT_FALSE(archive.ReadU64(three, u64));
  EXPECT_FALSE(archive.ReadText(three, text));  // no NUL
  EXPECT_FALSE(archive.ReadU32(eight, u32));
  ASSERT_TRUE(archive.ReadU64(eight, u64));
  EXPECT_EQ(u64, 0x0102030405060708ull);
  EXPECT_FALSE(archive.ReadU32(nullptr, u32));
}

TEST(Archive, OperationsOnAClosedArchiveFailQuietly) {
  MemoryFileSystem fs;
  Archive archive(fs);
  EXPECT_EQ(archive.Add(nullptr, kNodeUser), nullptr);
  EXPECT_EQ(archive.Find(nullptr, nullptr, 0), nullptr);
  EXPECT_EQ(archive.FindOrAddUser(), nullptr);
  EXPECT_FALSE(archive.SaveFull());
  archive.Close();
  EXPECT_TRUE(fs.files.empty());
}

TEST(Archive, ThreadsShareTheArchive) {
  MemoryFileSystem fs;
  Archive archive(fs);
  archive.Open(kFolder, "Backup\\", kName);
  ArchiveNode* user = archive.FindOrAddUser();
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 250; ++i) {
        ArchiveNode* n = archive.AddU32(user, kNodeSearch + 1000 + static_cast<uint32_t>(t), static_cast<uint32_t>(i));
        uint32_t v = 0;
        EXPECT_TRUE(archive.ReadU32(n, v));
        EXPECT_EQ(v, static_cast<uint32_t>(i));
        archive.Find(user, nullptr, 0);
      }
    });
  }
  for (auto& th : threads) th.join();
  EXPECT_EQ(user->ChildCount(), 1000u);
  std::string state = DumpTree(archive);
  archive.Close();
  EXPECT_EQ(Reopened(fs), state);
}
