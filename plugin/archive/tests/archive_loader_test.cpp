// Files the archive would never write, with good checksums: a node that breaks
// the format is absent; nothing crashes, recurses or allocates beyond the file.
#include <gtest/gtest.h>

#include "plugin/archive/archive.h"
#include "plugin/archive/tests/archive_test_util.h"
#include "plugin/archive/tests/memory_file_system.h"

namespace {
const std::string kFolder = "/data/";
const std::string kName = "archive";
const uint32_t M = kArchiveNodeMagic;
constexpr uint32_t kNone = 0xFFFFFFFFu;

std::string Load(const std::vector<uint8_t>& file, ArchiveOpenResult* result = nullptr) {
  MemoryFileSystem fs;
  fs.SetContents(kFolder + kName, file);
  Archive archive(fs);
  ArchiveOpenResult r = archive.Open(kFolder, "Backup/", kName);
  if (result) *result = r;
  return DumpTree(archive);
}

std::vector<uint8_t> Section(const std::vector<uint8_t>& blobs, const std::vector<RawNode>& nodes) {
  std::vector<uint8_t> file;
  AppendRawSection(file, blobs, nodes);
  return file;
}
}  // namespace

TEST(ArchiveLoader, NodesThatBreakTheFormatAreAbsent) {
  // Blobs: "ab\0" at 0, a u32 at 3, "xy" (no NUL) at 7; the tree begins at 9.
  const std::vector<uint8_t> blobs = {'a', 'b', 0, 5, 0, 0, 0, 'x', 'y'};
  struct Case {
    const char* name;
    RawNode node;  // the root's one child, which has one child of its own (type 9000, no data)
    bool present;
  } cases[] = {
      {"good text", {kNodeSearch, M, 1, 3, 0}, true},
      {"good u32", {kNodeWidth, M, 1, 4, 3}, true},
      {"wrong magic", {kNodeSearch, 0x12345678, 1, 3, 0}, false},
      {"u32 of 3 bytes", {kNodeWidth, M, 1, 3, 3}, false},
      {"u32 of 5 bytes", {kNodeWidth, M, 1, 5, 3}, false},
      {"u64 of 4 bytes", {kNodeCacheTime, M, 1, 4, 3}, false},
      {"empty text", {kNodeSearch, M, 1, 0, kNone}, false},
      {"blob into the tree", {kNodeSearch, M, 1, 3, 7}, false},
      {"blob past the file", {kNodeSearch, M, 1, 0x7FFFFFFF, 0}, false},
      {"offset wraps", {kNodeSearch, M, 1, 3, 0xFFFFFFFE}, false},
  };
  for (const Case& c : cases) {
    std::string dump = Load(Section(blobs, {{1, M, 1, 0, kNone}, c.node, {9000, M, 0, 0, 0}}));
    if (c.present)
      EXPECT_NE(dump, "1\n 512\n") << c.name;
    else
      EXPECT_EQ(dump, "1\n 512\n") << c.name;  // absent with its child; the settings node is made again
  }
  // A text without its NUL is found absent when its blob is first read.
  MemoryFileSystem fs;
  fs.SetContents(kFolder + kName, Section(blobs, {{1, M, 1, 0, kNone}, {kNodeSearch, M, 0, 2, 7}}));
  Archive archive(fs);
  archive.Open(kFolder, "Backup/", kName);
  ArchiveNode* search = archive.Find(nullptr, nullptr, kNodeSearch);
  ASSERT_NE(search, nullptr);
  std::string text;
  EXPECT_FALSE(archive.ReadText(search, text));
  EXPECT_EQ(archive.Find(nullptr, nullptr, kNodeSearch), nullptr);
  EXPECT_EQ(archive.FindText(nullptr, kNodeSearch, "xy"), nullptr);
  archive.Close();
  EXPECT_EQ(Load(fs.Contents(kFolder + kName)), "1\n 512\n");
}

TEST(ArchiveLoader, ChildCountsBeyondTheTreeEndIt) {
  // The root claims 4 billion children but only two headers follow.
  std::string dump = Load(Section({}, {{1, M, 0xFFFFFFFF, 0, kNone}, {512, M, 0, 0, 0}, {768, M, 0xFFFFFFFF, 0, 0}}));
  EXPECT_EQ(dump, "1\n 512\n 768\n");
  // A header cut in half by the tree's end is absent.
  auto file = Section({}, {{1, M, 2, 0, kNone}, {512, M, 0, 0, 0}});
  std::vector<uint8_t> cut(file.begin(), file.end() - 8);
  cut.resize(cut.size() + 10, 0);  // half a header
  std::vector<uint8_t> tree(cut.begin(), cut.end());
  std::vector<uint8_t> rebuilt;
  rebuilt.insert(rebuilt.end(), tree.begin(), tree.end());
  PutLe32(rebuilt, 0);
  PutLe32(rebuilt, ArchiveChecksum(rebuilt.data(), rebuilt.size()));
  EXPECT_EQ(Load(rebuilt), "1\n 512\n");
}

TEST(ArchiveLoader, DeepAndWideTreesLoadWithoutRecursion) {
  std::vector<RawNode> chain{{1, M, 1, 0, kNone}};
  for (int i = 0; i < 200000; ++i) chain.push_back({9000, M, 1, 0, 0});
  chain.back().childCount = 0;
  MemoryFileSystem fs;
  fs.SetContents(kFolder + kName, Section({}, chain));
  {
    Archive archive(fs);
    ASSERT_EQ(archive.Open(kFolder, "Backup/", kName), ArchiveOpenResult::Loaded);
    int depth = 0;
    for (ArchiveNode* n = archive.Find(nullptr, nullptr, 9000); n; n = archive.Find(n, nullptr, 9000)) ++depth;
    EXPECT_EQ(depth, 200000);
    archive.Close();  // saving and freeing the chain must not recurse either
  }
  Archive again(fs);
  EXPECT_EQ(again.Open(kFolder, "Backup/", kName), ArchiveOpenResult::Loaded);
}

TEST(ArchiveLoader, RootThatIsNotANodeRefusesTheSection) {
  // Two sections; the latest one's root has no magic: the earlier one is loaded.
  std::vector<uint8_t> file;
  AppendRawSection(file, {}, {{1, M, 1, 0, kNone}, {512, M, 0, 0, 0}});
  size_t firstEnd = file.size();
  AppendRawSection(file, {}, {{1, 0, 0, 0, kNone}});
  ArchiveOpenResult result;
  EXPECT_EQ(Load(file, &result), "1\n 512\n");
  EXPECT_EQ(result, ArchiveOpenResult::Recovered);
  // With no section left that holds, the folder is moved aside.
  file.resize(firstEnd);
  file[4] = 0;  // the first root's magic
  std::vector<uint8_t> only(file.begin(), file.end() - 4);
  PutLe32(only, ArchiveChecksum(only.data(), only.size()));
  EXPECT_EQ(Load(only, &result), "1\n 512\n");
  EXPECT_EQ(result, ArchiveOpenResult::MovedAside);
}

TEST(ArchiveLoader, TreeOffsetOutsideItsSection) {
  for (uint32_t offset : {0xFFFFFFF0u, 21u, 1000u}) {
    std::vector<uint8_t> file(20, 0);
    PutLe32(file, offset);
    PutLe32(file, ArchiveChecksum(file.data(), file.size()));
    ArchiveOpenResult result;
    EXPECT_EQ(Load(file, &result), "1\n 512\n");
    EXPECT_EQ(result, ArchiveOpenResult::MovedAside) << offset;
  }
}
