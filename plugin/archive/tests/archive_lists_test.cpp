// The recently-failed list and the condemned list.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "plugin/archive/archive.h"
#include "plugin/archive/condemned_list.h"
#include "plugin/archive/recently_failed_list.h"
#include "plugin/archive/tests/memory_file_system.h"

namespace {
std::atomic<uint64_t> g_now{0};
uint64_t FakeNow() { return g_now.load(); }
constexpr uint64_t kSecond = 10000000ull;
}  // namespace

TEST(RecentlyFailedList, AddressesExpireAfterTwoHours) {
  g_now = 1000 * kSecond;
  RecentlyFailedList list(&FakeNow);
  list.Remember("http://a/1.jpg");
  EXPECT_TRUE(list.IsRecentlyFailed("http://a/1.jpg"));
  EXPECT_FALSE(list.IsRecentlyFailed("http://a/2.jpg"));
  g_now += 7200 * kSecond - 1;
  EXPECT_TRUE(list.IsRecentlyFailed("http://a/1.jpg"));
  g_now += 1;  // expiry is not later than now: gone
  EXPECT_FALSE(list.IsRecentlyFailed("http://a/1.jpg"));
  EXPECT_EQ(list.Size(), 0u);
}

TEST(RecentlyFailedList, RememberingAgainRenewsAndClearEmpties) {
  g_now = 0;
  RecentlyFailedList list(&FakeNow);
  list.Remember("x");
  g_now = 3600 * kSecond;
  list.Remember("x");
  EXPECT_EQ(list.Size(), 1u);
  g_now = 7300 * kSecond;
  EXPECT_TRUE(list.IsRecentlyFailed("x"));
  list.Remember("y");
  // Any check drops every expired entry, not only the one asked about.
  g_now = 10900 * kSecond;
  EXPECT_FALSE(list.IsRecentlyFailed("z"));
  EXPECT_EQ(list.Size(), 1u);
  list.Clear();
  EXPECT_FALSE(list.IsRecentlyFailed("y"));
}

TEST(RecentlyFailedList, SystemClockIsAFileTime) {
  // 2020-01-01 as FILETIME is 132223104000000000.
  EXPECT_GT(RecentlyFailedList::SystemNow(), 132223104000000000ull);
}

TEST(RecentlyFailedList, SearchThreadsUseItAtOnce) {
  RecentlyFailedList list;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&, t] {
      for (int i = 0; i < 500; ++i) {
        std::string a = "http://" + std::to_string(t) + "/" + std::to_string(i % 50);
        list.Remember(a);
        EXPECT_TRUE(list.IsRecentlyFailed(a));
      }
    });
  for (auto& th : threads) th.join();
  EXPECT_EQ(list.Size(), 200u);
}

TEST(CondemnedList, LoadsCondemnsAndPersists) {
  MemoryFileSystem fs;
  {
    Archive archive(fs);
    archive.Open("/d/", "Backup/", "a");
    CondemnedList list;
    list.Load(archive);  // adds the empty 768 node
    ASSERT_NE(archive.Find(nullptr, nullptr, kNodeCondemnedList), nullptr);
    list.Condemn(archive, "http://bad/1.jpg");
    list.Condemn(archive, "http://bad/page.html");
    list.Condemn(archive, "http://bad/1.jpg");  // once only
    EXPECT_TRUE(list.IsCondemned("http://bad/1.jpg"));
    EXPECT_FALSE(list.IsCondemned("http://bad/1.JPG"));
    EXPECT_FALSE(list.IsCondemned("http://bad/1.jpg "));
    // A malformed entry (not a text) is skipped on load.
    archive.Add(archive.Find(nullptr, nullptr, kNodeCondemnedList), kNodeCondemned, 2, "zz");
    archive.Close();
  }
  Archive archive(fs);
  archive.Open("/d/", "Backup/", "a");
  CondemnedList list;
  list.Load(archive);
  EXPECT_EQ(list.Entries(), (std::vector<std::string>{"http://bad/1.jpg", "http://bad/page.html"}));
}
