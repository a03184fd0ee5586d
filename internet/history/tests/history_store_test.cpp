#include "internet/history/history_store.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "internet/history/history_format.h"
#include "internet/history/tests/history_test_util.h"
#include "support/xml/parse_xml.h"
#include "support/tests/temp_dir.h"

namespace {
using Texts = std::vector<std::string>;

std::string Item(int type, const std::string& text) {
  return "<SearchItem>\r\n    <Type>" + std::to_string(type) + "</Type>\r\n    <String>" + text +
         "</String>\r\n</SearchItem>\r\n\r\n";
}

TEST(HistoryStore, AddsTrimsSaveAndReloadGiveExactBytes) {
  TempDir dir;
  DiskHistoryFiles files;
  const std::string path = dir.File("user_searches.xml");
  const int32_t historySize = 3;
  std::unique_ptr<SearchHistory> history;
  RecordingForgetter forget;
  for (const char* t : {"cats", "dogs", "birds"}) AddToSearchHistory(history, t, 0, historySize, forget);
  AddToSearchHistory(history, "http://example.org/sea.jpg", 1, historySize, forget);
  AddToSearchHistory(history, "cats", 0, historySize, forget);  // reused: to the head
  AddToSearchHistory(history, "fish", 0, historySize, forget);  // drops "dogs"
  EXPECT_EQ(forget.forgotten, (Texts{"dogs"}));
  ASSERT_TRUE(SaveSearchHistory(history.get(), files, path, 2 * historySize));

  const std::string expected =
      Item(0, "fish") + Item(0, "cats") + Item(0, "birds") + Item(1, "http://example.org/sea.jpg");
  EXPECT_EQ(ReadWholeFile(path, true), expected);
  EXPECT_FALSE(std::filesystem::exists(path + ".new"));

  // Reload and save again: the same bytes.
  const auto reloaded = LoadSearchHistory(files, path);
  ASSERT_NE(reloaded, nullptr);
  EXPECT_EQ(Strings(reloaded->keywordItems), (Texts{"fish", "cats", "birds"}));
  EXPECT_EQ(Strings(reloaded->addressItems), (Texts{"http://example.org/sea.jpg"}));
  ASSERT_TRUE(SaveSearchHistory(reloaded.get(), files, path, 2 * historySize));
  EXPECT_EQ(ReadWholeFile(path, true), expected);
}

TEST(HistoryStore, NonAsciiTextRoundTrip) {
  TempDir dir;
  DiskHistoryFiles files;
  const std::string path = dir.File("searches.xml");
  const std::string zurich = "Z\xC3\xBCrich caf\xC3\xA9";
  std::unique_ptr<SearchHistory> history;
  RecordingForgetter forget;
  AddToSearchHistory(history, zurich, 0, 10, forget);
  AddToSearchHistory(history, "tab\tseparated", 0, 10, forget);
  AddToSearchHistory(history, "http://example.org/\xE2\x82\xAC.jpg", 1, 10, forget);
  ASSERT_TRUE(SaveSearchHistory(history.get(), files, path, 20));
  EXPECT_EQ(ReadWholeFile(path, true),
            Item(0, "tab\tseparated") + Item(0, zurich) + Item(1, "http://example.org/\xE2\x82\xAC.jpg"));

  const auto reloaded = LoadSearchHistory(files, path);
  ASSERT_NE(reloaded, nullptr);
  EXPECT_EQ(Strings(reloaded->keywordItems), (Texts{"tab\tseparated", zurich}));
  // Used again after the reload, it is the same search, not a new one.
  std::unique_ptr<SearchHistory> again(new SearchHistory);
  for (auto* n = reloaded->keywordItems.Head(); n; n = n->next) again->keywordItems.Append(n->value);
  AddToSearchHistory(again, zurich, 0, 10, forget);
  EXPECT_EQ(Strings(again->keywordItems), (Texts{zurich, "tab\tseparated"}));
  EXPECT_TRUE(forget.forgotten.empty());
}

TEST(HistoryStore, SaveRefusals) {
  MemoryHistoryFiles files;
  files.files["h.xml"] = "old";
  SearchHistory empty;
  SearchHistory one;
  one.keywordItems.Append(0, "k");

  EXPECT_FALSE(SaveSearchHistory(nullptr, files, "h.xml", 10));
  EXPECT_FALSE(SaveSearchHistory(&one, files, "h.xml", 0));
  EXPECT_TRUE(SaveSearchHistory(&empty, files, "h.xml", 10));  // leaves the file alone
  EXPECT_EQ(files.writes, 0);
  EXPECT_EQ(files.files["h.xml"], "old");

  files.failWrites = true;
  EXPECT_FALSE(SaveSearchHistory(&one, files, "h.xml", 10));
  files.failWrites = false;
  EXPECT_TRUE(SaveSearchHistory(&one, files, "h.xml", 10));
  EXPECT_EQ(files.files["h.xml"], Item(0, "k"));
}

TEST(HistoryStore, TwoSavesWithOnlyAddresses) {
  TempDir dir;
  DiskHistoryFiles files;
  const std::string path = dir.File("searches.xml");
  SearchHistory history;
  history.addressItems.Append(1, "http://a/");
  history.addressItems.Append(1, "http://b/");
  ASSERT_TRUE(SaveSearchHistory(&history, files, path, 10));
  ASSERT_TRUE(SaveSearchHistory(&history, files, path, 10));
  EXPECT_EQ(ReadWholeFile(path, true), Item(1, "http://a/") + Item(1, "http://b/"));
}

TEST(HistoryStore, AFailedSaveLeavesTheOldFileWhole) {
  TempDir dir;
  DiskHistoryFiles files;
  const std::string path = dir.File("searches.xml");
  WriteWholeFile(path, Item(0, "old"));
  // The new file cannot be made (a folder has its name): the old one stays.
  std::filesystem::create_directory(path + ".new");
  SearchHistory history;
  history.keywordItems.Append(0, "new");
  EXPECT_FALSE(SaveSearchHistory(&history, files, path, 10));
  EXPECT_EQ(ReadWholeFile(path, true), Item(0, "old"));

  // Saving into a folder that does not exist fails too, without a trace.
  EXPECT_FALSE(SaveSearchHistory(&history, files, dir.File("none/searches.xml"), 10));
}

TEST(HistoryStore, LoadGivesNoHistory) {
  TempDir dir;
  DiskHistoryFiles files;
  EXPECT_EQ(LoadSearchHistory(files, dir.File("missing.xml")), nullptr);
  WriteWholeFile(dir.File("empty.xml"), "");
  EXPECT_EQ(LoadSearchHistory(files, dir.File("empty.xml")), nullptr);
  WriteWholeFile(dir.File("foreign.xml"), "<Other>x</Other>");
  EXPECT_EQ(LoadSearchHistory(files, dir.File("foreign.xml")), nullptr);
  // Larger than the reader takes: refused, not read.
  std::string huge = Item(0, "k");
  huge.resize(ParseXML::kMaxInputBytes + 1, ' ');
  WriteWholeFile(dir.File("huge.xml"), huge);
  EXPECT_EQ(LoadSearchHistory(files, dir.File("huge.xml")), nullptr);
  std::string bytes;
  EXPECT_EQ(files.ReadWhole(dir.File("huge.xml"), ParseXML::kMaxInputBytes, bytes), HistoryRead::kTooLarge);
  EXPECT_TRUE(bytes.empty());
}

TEST(HistoryStore, StartUpFallsBackToTheShippedFile) {
  MemoryHistoryFiles files;
  files.files["program/searches.xml"] = Item(0, "shipped");
  // No user file: the shipped one is loaded and saved as the user's.
  auto history = LoadSearchHistoryAtStartup(files, "user.xml", "program/searches.xml", 20);
  ASSERT_NE(history, nullptr);
  EXPECT_EQ(Strings(history->keywordItems), (Texts{"shipped"}));
  EXPECT_EQ(files.files["user.xml"], Item(0, "shipped"));

  // A user file, even one without items, is what counts.
  files.files["user.xml"] = Item(0, "mine");
  history = LoadSearchHistoryAtStartup(files, "user.xml", "program/searches.xml", 20);
  ASSERT_NE(history, nullptr);
  EXPECT_EQ(Strings(history->keywordItems), (Texts{"mine"}));
  files.files["user.xml"] = "";
  EXPECT_EQ(LoadSearchHistoryAtStartup(files, "user.xml", "program/searches.xml", 20), nullptr);

  // Neither file: no history, nothing written.
  MemoryHistoryFiles none;
  EXPECT_EQ(LoadSearchHistoryAtStartup(none, "user.xml", "program/searches.xml", 20), nullptr);
  EXPECT_EQ(none.writes, 0);
}
}  // namespace
