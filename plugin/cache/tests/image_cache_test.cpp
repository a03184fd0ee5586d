#include "plugin/cache/image_cache.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plugin/archive/archive.h"
#include "plugin/archive/tests/memory_file_system.h"

namespace {

const std::string kFolder = "/data/Cache/";
uint64_t g_now = 1000;
uint64_t TestClock() { return g_now; }

std::vector<uint8_t> Bytes(size_t n, uint8_t fill) { return std::vector<uint8_t>(n, fill); }

// An archive with one user and searches whose results the tests cache.
class ImageCacheTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_now = 1000;
    archive_.Open(kFolder, "Backup/", "Settings.Fetchpix Data Archive");
    archive_.SetUserName("alice");
    user_ = archive_.FindOrAddUser();
    settings_ = archive_.Find(nullptr, nullptr, kNodeSettings);
    cache_.Attach(&archive_, settings_, kFolder, 1, 0);
  }

  ArchiveNode* Search(const std::string& text) {
    ArchiveNode* s = archive_.FindText(user_, kNodeSearch, text);
    if (s) return s;
    s = archive_.AddText(user_, kNodeSearch, text);
    archive_.Add(archive_.AddText(s, kNodeEngine, "Lycos"), kNodeResults);
    return s;
  }
  ArchiveNode* Result(const std::string& text) {
    ArchiveNode* results = archive_.Find(archive_.Find(Search(text), nullptr, kNodeEngine), nullptr, kNodeResults);
    return archive_.Add(results, kNodeResult);
  }
  uint32_t Stored(uint32_t type) {
    uint32_t v = 0xDEADu;
    archive_.FindU32(settings_, type, v);
    return v;
  }
  // Sum of the sizes of the cache files on "disk".
  uint64_t FileBytes() {
    uint64_t sum = 0;
    for (auto& [path, bytes] : fs_.files)
      if (path.find(".Fetchpix Cache") != std::string::npos) sum += bytes->size();
    return sum;
  }

  MemoryFileSystem fs_;
  Archive archive_{fs_};
  ImageCache cache_{fs_, &TestClock};
  ArchiveNode* user_ = nullptr;
  ArchiveNode* settings_ = nullptr;
};

TEST_F(ImageCacheTest, WriteThenLoadGivesTheBytesAndNumbersNeverRepeat) {
  ArchiveNode* a = Result("red%20car");
  ArchiveNode* b = Result("red%20car");
  ASSERT_TRUE(cache_.Write(a, "a.jpg", Bytes(100, 1), 1000).written);
  ASSERT_TRUE(cache_.Write(b, "b.jpg", Bytes(50, 2), 1000).written);
  EXPECT_TRUE(fs_.Exists(kFolder + "i1.Fetchpix Cache"));
  EXPECT_TRUE(fs_.Exists(kFolder + "i2.Fetchpix Cache"));
  EXPECT_EQ(Stored(kNodeNextCacheNumber), 3u);
  EXPECT_EQ(Stored(kNodeCachedBytes), 150u);

  std::optional<CachedImage> got = cache_.Load(a);
  ASSERT_TRUE(got);
  EXPECT_EQ(got->fileName, "a.jpg");
  EXPECT_EQ(got->bytes, Bytes(100, 1));

  // Cached a second time: the old file goes and only its own size counts.
  ASSERT_TRUE(cache_.Write(a, "a2.jpg", Bytes(10, 3), 1000).written);
  EXPECT_FALSE(fs_.Exists(kFolder + "i1.Fetchpix Cache"));
  EXPECT_TRUE(fs_.Exists(kFolder + "i3.Fetchpix Cache"));
  EXPECT_EQ(cache_.Total(), 60u);
  EXPECT_EQ(cache_.Load(a)->bytes, Bytes(10, 3));
  int entries = 0;
  for (ArchiveNode* e = archive_.Find(a, nullptr, kNodeCacheEntry); e; e = archive_.Find(a, e, kNodeCacheEntry))
    ++entries;
  EXPECT_EQ(entries, 1);
}

TEST_F(ImageCacheTest, AFileThatDiffersFromItsEntryIsNotUsed) {
  struct Case {
    const char* what;
    void (*damage)(MemoryFileSystem&);
  };
  const Case cases[] = {
      {"shorter", [](MemoryFileSystem& fs) { fs.SetContents(kFolder + "i1.Fetchpix Cache", Bytes(99, 1)); }},
      {"longer", [](MemoryFileSystem& fs) { fs.SetContents(kFolder + "i1.Fetchpix Cache", Bytes(101, 1)); }},
      {"gone", [](MemoryFileSystem& fs) { fs.Delete(kFolder + "i1.Fetchpix Cache"); }},
  };
  for (const Case& c : cases) {
    MemoryFileSystem fs;
    Archive archive(fs);
    archive.Open(kFolder, "Backup/", "x");
    ImageCache cache(fs, &TestClock);
    cache.Attach(&archive, archive.Find(nullptr, nullptr, kNodeSettings), kFolder, 1, 0);
    ArchiveNode* result = archive.Add(nullptr, kNodeResult);
    ASSERT_TRUE(cache.Write(result, "x.jpg", Bytes(100, 1), 1000).written);
    c.damage(fs);
    EXPECT_FALSE(cache.Load(result)) << c.what;
  }
}

TEST_F(ImageCacheTest, AnEntryLackingAPartIsCorruptAndAHostileNameIsNeverOpenedOrDeleted) {
  // Each entry misses one of its four parts, or names a file that is not a
  // cache file.
  fs_.SetContents(kFolder + "Settings.Fetchpix Data Archive.keep", Bytes(7, 7));
  fs_.SetContents("/etc/passwd", Bytes(7, 7));
  const char* names[] = {"../../etc/passwd", "Settings.Fetchpix Data Archive.keep", "i.Fetchpix Cache",
                         "i12.Fetchpix Cache.bak", "i-1.Fetchpix Cache", "I5.Fetchpix Cache", "i5.fetchpix cache"};
  for (const char* name : names) {
    ArchiveNode* result = Result("s");
    ArchiveNode* entry = archive_.Add(result, kNodeCacheEntry);
    archive_.AddU32(entry, kNodeCacheSize, 7);
    archive_.AddU64(entry, kNodeCacheTime, 1);
    archive_.AddText(entry, kNodeImageFileName, "x.jpg");
    archive_.AddText(entry, kNodeCacheFileName, name);
    EXPECT_FALSE(cache_.Load(result)) << name;
  }
  for (uint32_t missing : {kNodeCacheSize, kNodeCacheTime, kNodeImageFileName, kNodeCacheFileName}) {
    ArchiveNode* result = Result("s");
    ArchiveNode* entry = archive_.Add(result, kNodeCacheEntry);
    fs_.SetContents(kFolder + "i9.Fetchpix Cache", Bytes(7, 7));
    if (missing != kNodeCacheSize) archive_.AddU32(entry, kNodeCacheSize, 7);
    if (missing != kNodeCacheTime) archive_.AddU64(entry, kNodeCacheTime, 1);
    if (missing != kNodeImageFileName) archive_.AddText(entry, kNodeImageFileName, "x.jpg");
    if (missing != kNodeCacheFileName) archive_.AddText(entry, kNodeCacheFileName, "i9.Fetchpix Cache");
    EXPECT_FALSE(cache_.Load(result)) << missing;
  }
  cache_.Clear(user_, nullptr);
  EXPECT_TRUE(fs_.Exists("/etc/passwd"));
  EXPECT_TRUE(fs_.Exists(kFolder + "Settings.Fetchpix Data Archive.keep"));
  EXPECT_FALSE(fs_.Exists(kFolder + "i9.Fetchpix Cache"));  // a proper name is deleted
  EXPECT_EQ(ImageCache::IsCacheFileName("i0.Fetchpix Cache"), true);
  EXPECT_EQ(ImageCache::IsCacheFileName("i4294967295.Fetchpix Cache"), true);
}

TEST_F(ImageCacheTest, AFailedWriteCountsNothingAndLeavesNoFile) {
  ArchiveNode* r = Result("s");
  fs_.failOpenForWrite = true;
  EXPECT_FALSE(cache_.Write(r, "a.jpg", Bytes(100, 1), 1000).written);
  fs_.failOpenForWrite = false;
  fs_.failAppendAt = 1;
  fs_.shortWriteBytes = 40;
  EXPECT_FALSE(cache_.Write(r, "a.jpg", Bytes(100, 1), 1000).written);
  EXPECT_EQ(cache_.Total(), 0u);
  EXPECT_EQ(FileBytes(), 0u);
  EXPECT_EQ(archive_.Find(r, nullptr, kNodeCacheEntry), nullptr);
  // The numbers tried are not handed out again.
  ASSERT_TRUE(cache_.Write(r, "a.jpg", Bytes(5, 1), 1000).written);
  EXPECT_TRUE(fs_.Exists(kFolder + "i3.Fetchpix Cache"));
  EXPECT_EQ(cache_.Total(), 5u);
}

TEST_F(ImageCacheTest, DeletingSubtractsNeverBelowZeroAndTheTotalMatchesTheFiles) {
  ArchiveNode* a = Result("one");
  ArchiveNode* b = Result("two");
  cache_.Write(a, "a.jpg", Bytes(300, 1), 100000);
  cache_.Write(b, "b.jpg", Bytes(200, 1), 100000);
  EXPECT_EQ(cache_.Total(), FileBytes());
  cache_.DeleteEntriesOf(a);
  EXPECT_EQ(cache_.Total(), 200u);
  EXPECT_EQ(Stored(kNodeCachedBytes), 200u);
  EXPECT_EQ(cache_.Total(), FileBytes());
  cache_.DeleteEntriesOfSearch(Search("two"));
  EXPECT_EQ(cache_.Total(), 0u);
  EXPECT_EQ(FileBytes(), 0u);

  // A total that started lower than the entries (an older archive) stops at 0.
  cache_.Write(a, "a.jpg", Bytes(300, 1), 100000);
  cache_.Attach(&archive_, settings_, kFolder, cache_.NextNumber(), 10);
  cache_.DeleteEntriesOf(a);
  EXPECT_EQ(cache_.Total(), 0u);
}

TEST_F(ImageCacheTest, TrimDeletesOldestFirstToThreeQuartersAndKeepsWhatIsKept) {
  // Ten files of 100 bytes, one time unit apart, over three searches; the
  // oldest of all belongs to a kept search.
  std::vector<ArchiveNode*> results;
  const char* texts[] = {"kept", "a", "b", "a", "b", "a", "b", "a", "b", "a"};
  for (const char* t : texts) {
    ++g_now;
    results.push_back(Result(t));
    const ImageCache::WriteOutcome w = cache_.Write(results.back(), "x.jpg", Bytes(100, 1), 800);
    ASSERT_TRUE(w.written);
    EXPECT_EQ(w.overBudget, cache_.Total() > 800);
  }
  ASSERT_EQ(cache_.Total(), 1000u);
  cache_.Trim(user_, [](const std::string& text) { return text == "kept"; }, 800);
  // Down to 600: four files went, the four oldest not kept (results 1 to 4).
  EXPECT_EQ(cache_.Total(), 600u);
  EXPECT_EQ(Stored(kNodeCachedBytes), 600u);
  EXPECT_EQ(cache_.Total(), FileBytes());
  EXPECT_TRUE(cache_.Load(results[0]));
  for (int i = 1; i <= 4; ++i) EXPECT_FALSE(cache_.Load(results[static_cast<size_t>(i)])) << i;
  for (int i = 5; i < 10; ++i) EXPECT_TRUE(cache_.Load(results[static_cast<size_t>(i)])) << i;

  // Equal times: the first in archive order goes first.
  MemoryFileSystem fs;
  Archive archive(fs);
  archive.Open(kFolder, "Backup/", "x");
  archive.SetUserName("bob");
  ArchiveNode* user = archive.FindOrAddUser();
  ImageCache cache(fs, &TestClock);
  cache.Attach(&archive, archive.Find(nullptr, nullptr, kNodeSettings), kFolder, 1, 0);
  ArchiveNode* results2 = archive.Add(archive.AddText(archive.AddText(user, kNodeSearch, "s"), kNodeEngine, "E"),
                                      kNodeResults);
  ArchiveNode* first = archive.Add(results2, kNodeResult);
  ArchiveNode* second = archive.Add(results2, kNodeResult);
  cache.Write(first, "1.jpg", Bytes(100, 1), 150);
  cache.Write(second, "2.jpg", Bytes(100, 1), 150);
  cache.Trim(user, nullptr, 150);
  EXPECT_FALSE(cache.Load(first));
  EXPECT_TRUE(cache.Load(second));
}

TEST_F(ImageCacheTest, ClearKeepsTheKeptSearches) {
  ArchiveNode* kept = Result("http://host/one.jpg");
  ArchiveNode* other = Result("cats");
  cache_.Write(kept, "one.jpg", Bytes(10, 1), 1000);
  cache_.Write(other, "c.jpg", Bytes(10, 1), 1000);
  cache_.Clear(user_, [](const std::string& t) { return t == "http://host/one.jpg"; });
  EXPECT_TRUE(cache_.Load(kept));
  EXPECT_FALSE(cache_.Load(other));
  EXPECT_EQ(cache_.Total(), 10u);
}

}  // namespace
