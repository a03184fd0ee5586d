#include "imagelist/playlist.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "imagelist/file_system.h"
#include "imagelist/file_util.h"
#include "imagelist/tests/test_files.h"

namespace {

using Strings = std::vector<std::string>;

Strings Letters(int n) {
  Strings s;
  for (int i = 0; i < n; ++i) s.push_back(std::string(1, static_cast<char>('a' + i)));
  return s;
}

std::string Joined(const Playlist& list) {
  std::string s;
  for (const std::string& e : list.Entries()) s += e;
  return s;
}

TEST(ShuffleRandom, KnownSequence) {
  ShuffleRandom one(1);
  const int32_t expected[] = {41, 18467, 6334, 26500, 19169};
  for (int32_t v : expected) EXPECT_EQ(one.Next(), v);
  ShuffleRandom zero(0);
  EXPECT_EQ(zero.Next(), 38);
  EXPECT_EQ(zero.Next(), 7719);
}

TEST(PlaylistShuffle, OrderIsAPureFunctionOfSeedAndList) {
  struct Case {
    int32_t seed;
    int32_t passes;
    const char* order;
  } cases[] = {{0, 50, "beahcdfg"}, {1, 50, "bhaedgcf"},  {2, 50, "feagdcbh"},
               {-1, 50, "geacfbdh"}, {7, 1, "becfagdh"}, {1, 0, "abcdefgh"}};
  for (const Case& c : cases) {
    Playlist list;
    list.AddEntries(Letters(8));
    list.Shuffle(c.seed, c.passes);
    EXPECT_EQ(Joined(list), c.order) << c.seed;
  }
}

TEST(PlaylistShuffle, EmptyAndSingleListsUnchanged) {
  Playlist empty;
  empty.Shuffle(5, 50);
  EXPECT_EQ(empty.Count(), 0);
  Playlist one;
  one.AddEntries(Letters(1));
  one.Shuffle(5, 50);
  EXPECT_EQ(Joined(one), "a");
}

TEST(Playlist, GetEntryRejectsInvalidIndexes) {
  Playlist list;
  EXPECT_EQ(list.GetEntry(0), nullptr);
  list.AddEntries(Letters(3));
  EXPECT_EQ(list.GetEntry(-1), nullptr);
  EXPECT_EQ(list.GetEntry(3), nullptr);
  EXPECT_EQ(list.GetEntry(INT32_MIN), nullptr);
  ASSERT_NE(list.GetEntry(2), nullptr);
  EXPECT_EQ(*list.GetEntry(2), "c");
}

TEST(Playlist, AddEntriesFromArray) {
  Playlist list;
  const char* paths[] = {"x", nullptr, "y"};
  list.AddEntries(nullptr, 3);
  list.AddEntries(paths, 0);
  list.AddEntries(paths, -4);
  EXPECT_EQ(list.Count(), 0);
  list.AddEntries(paths, 3);
  list.AddEntries(paths, 1);
  EXPECT_EQ(list.Entries(), (Strings{"x", "y", "x"}));
}

TEST(PlaylistLoad, ErrorsAreReported) {
  TempFolder dir;
  Playlist list;
  EXPECT_FALSE(list.Load(""));
  EXPECT_EQ(list.LastError(), Playlist::kErrorNoName);
  EXPECT_FALSE(list.Load(std::string(Playlist::kMaxLoadPath + 10, 'x')));
  EXPECT_EQ(list.LastError(), Playlist::kErrorFullPath);
  EXPECT_FALSE(list.Load(dir.File("missing.m3u")));
  EXPECT_EQ(list.LastError(), Playlist::kErrorOpen);
  EXPECT_EQ(list.Path(), dir.File("missing.m3u"));
  EXPECT_EQ(list.Count(), 0);
}

TEST(PlaylistLoad, ReadsByExtensionAndResolvesAgainstItsFolder) {
  TempFolder dir;
  const std::string folder = dir.Path() + NativeSeparator();
  struct Case {
    const char* file;
    std::string body;
    PlaylistFormat format;
    Strings entries;
  } cases[] = {
      {"list.m3u", "#EXTM3U\r\n#EXTINF:-1,beach\r\nbeach.jpg\r\n  C:\\pics\\sun.jpg\r\n\r\n", kFormatM3U,
       {folder + "beach.jpg", "C:\\pics\\sun.jpg"}},
      {"list.BPL", "<x Playstring=\"file:C:\\a.jpg\"/>", kFormatBPL, {"C:\\a.jpg"}},
      {"list.txt", "Playstring=\"C:\\a.jpg\"\nb.jpg", kFormatM3U,
       {"Playstring=\"C:\\a.jpg\"", folder + "b.jpg"}},
      {"list.asx", "<ref href=\"pic&apos;s.jpg\"/>", kFormatASX, {folder + "pic's.jpg"}},
      {"list.wpl", "<media src=\"C:\\w.jpg\"/>", kFormatWPL, {"C:\\w.jpg"}},
      {"list.b4s", "<entry Playstring=\"file:C:\\My Pictures\\x.jpg\">", kFormatB4S, {"C:\\My Pictures\\x.jpg"}},
      {"list.pls", "[playlist]\r\nFile1=C:\\p.jpg\r\nVersion=2", kFormatPLS, {"C:\\p.jpg"}},
      // A lone CR is not a line end, and no file name holds one: that line is
      // dropped. A NUL ends the text as the readers see it.
      {"cr.m3u", "a.jpg\rb.jpg\nc.jpg", kFormatM3U, {folder + "c.jpg"}},
      {"zero.m3u", std::string("a.jpg\n\0b.jpg\n", 13), kFormatM3U, {folder + "a.jpg"}},
      {"empty.m3u", "", kFormatM3U, {}},
  };
  for (const Case& c : cases) {
    WriteBytes(dir.File(c.file), c.body);
    Playlist list;
    ASSERT_TRUE(list.Load(dir.File(c.file))) << c.file;
    EXPECT_EQ(list.LastError(), Playlist::kErrorNone);
    EXPECT_EQ(list.Format(), c.format) << c.file;
    EXPECT_EQ(list.Entries(), c.entries) << c.file;
    EXPECT_EQ(list.Folder(), folder);
    if (std::string(c.file) != "cr.m3u") {
      EXPECT_EQ(list.Text().find('\r'), std::string::npos) << c.file;
    }
  }
}

TEST(PlaylistLoad, TextKeepsNulAndLengthCountsIt) {
  TempFolder dir;
  WriteBytes(dir.File("zero.m3u"), std::string("a\0b\r\n", 5));
  Playlist list;
  ASSERT_TRUE(list.Load(dir.File("zero.m3u")));
  EXPECT_EQ(list.TextLength(), 4u);
  EXPECT_EQ(list.Text(), std::string("a\0b\n", 4));
}

TEST(PlaylistLoad, LoadingAgainReplacesAndClearResets) {
  TempFolder dir;
  WriteBytes(dir.File("one.m3u"), "C:\\1.jpg\n");
  WriteBytes(dir.File("two.m3u"), "C:\\2.jpg\nC:\\3.jpg\n");
  Playlist list;
  ASSERT_TRUE(list.Load(dir.File("one.m3u")));
  ASSERT_TRUE(list.Load(dir.File("two.m3u")));
  EXPECT_EQ(list.Entries(), (Strings{"C:\\2.jpg", "C:\\3.jpg"}));
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.TextLength(), 0u);
  EXPECT_EQ(list.Format(), kFormatNone);
  EXPECT_TRUE(list.Path().empty());
  EXPECT_TRUE(list.Folder().empty());
}

TEST(PlaylistLoad, OversizedFileIsRefusedNotRead) {
  TempFolder dir;
  {
    std::string big(Playlist::kMaxListFileBytes + 1, 'a');
    WriteBytes(dir.File("big.m3u"), big);
  }
  Playlist list;
  EXPECT_FALSE(list.Load(dir.File("big.m3u")));
  EXPECT_EQ(list.LastError(), Playlist::kErrorTooLarge);
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.TextLength(), 0u);
}

TEST(PlaylistSave, WritesPlsThatReadsBack) {
  TempFolder dir;
  Playlist list;
  list.AddEntries(Strings{"C:\\pics\\a.jpg", "\\\\nas\\b c.png", "C:\\x\\page.html"});
  ASSERT_TRUE(list.Save(dir.File("out.pls"), kFormatPLS));
  EXPECT_EQ(ReadBytes(dir.File("out.pls")),
            "[playlist]\r\nPlaylistName=Farther Afield playlist\r\n"
            "File1=C:\\pics\\a.jpg\r\nTitle1=a\r\nFile2=\\\\nas\\b c.png\r\nTitle2=b c\r\n"
            "File3=C:\\x\\page.html\r\nTitle3=page\r\nNumberOfEntries=3\r\nVersion=2");
  Playlist back;
  ASSERT_TRUE(back.Load(dir.File("out.pls")));
  EXPECT_EQ(back.Entries(), list.Entries());
  EXPECT_FALSE(Exists(dir.File("out.pls.new")));
}

TEST(PlaylistSave, RefusalsLeaveTheFileUntouched) {
  TempFolder dir;
  const std::string path = dir.File("keep.pls");
  WriteBytes(path, "old");
  Playlist empty;
  EXPECT_FALSE(empty.Save(path, kFormatPLS));
  Playlist list;
  list.AddEntries(Strings{"C:\\a.jpg"});
  EXPECT_FALSE(list.Save("", kFormatPLS));
  for (int32_t format : {0, 1, 2, 4, 5, 6, 7, -1}) EXPECT_FALSE(list.Save(path, format)) << format;
  EXPECT_EQ(ReadBytes(path), "old");
  EXPECT_FALSE(list.Save(dir.File("no/such/folder/x.pls"), kFormatPLS));
  EXPECT_FALSE(Exists(dir.File("no")));
}

TEST(PlaylistSave, BareNameGoesToTheCurrentFolder) {
  TempFolder dir;
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(dir.Path());
  Playlist list;
  list.AddEntries(Strings{"C:\\a.jpg"});
  const bool saved = list.Save("bare.pls", kFormatPLS);
  std::filesystem::current_path(before);
  EXPECT_TRUE(saved);
  EXPECT_TRUE(Exists(dir.File("bare.pls")));
}

}  // namespace
