#include "internet/history/search_history.h"

#include <gtest/gtest.h>

#include <vector>

#include "internet/history/tests/history_test_util.h"

namespace {
using Texts = std::vector<std::string>;

struct Add {
  const char* text;
  int32_t type;
};

struct Case {
  const char* what;
  int32_t historySize;
  std::vector<Add> adds;
  Texts keywords;   // head first
  Texts addresses;  // head first
  Texts forgotten;  // in order
};

TEST(SearchHistory, AddTable) {
  const std::vector<Case> cases = {
      {"newest first", 3, {{"a", 0}, {"b", 0}, {"c", 0}}, {"c", "b", "a"}, {}, {}},
      {"a fourth drops the oldest, forgotten once", 3, {{"a", 0}, {"b", 0}, {"c", 0}, {"d", 0}}, {"d", "c", "b"}, {}, {"a"}},
      {"drops in order", 2, {{"a", 0}, {"b", 0}, {"c", 0}, {"d", 0}, {"e", 0}}, {"e", "d"}, {}, {"a", "b", "c"}},
      {"an entry added again moves to the head, no duplicate", 3, {{"a", 0}, {"b", 0}, {"c", 0}, {"a", 0}}, {"a", "c", "b"}, {}, {}},
      {"reuse protects from the next drop", 3, {{"a", 0}, {"b", 0}, {"c", 0}, {"a", 0}, {"d", 0}}, {"d", "a", "c"}, {}, {"b"}},
      {"the head added again changes nothing", 3, {{"a", 0}, {"b", 0}, {"b", 0}}, {"b", "a"}, {}, {}},
      {"letter case makes two entries", 3, {{"Cats", 0}, {"cats", 0}}, {"cats", "Cats"}, {}, {}},
      {"addresses and keywords have lists of their own", 1,
       {{"k1", 0}, {"http://x/1", 1}, {"k2", 0}, {"http://x/2", 1}}, {"k2"}, {"http://x/2"}, {"k1", "http://x/1"}},
      {"the same text as keyword and address is two entries", 2, {{"x", 0}, {"x", 1}}, {"x"}, {"x"}, {}},
      {"empty text is ignored", 3, {{"", 0}, {"a", 0}, {"", 1}}, {"a"}, {}, {}},
      {"size 1 keeps the newest", 1, {{"a", 0}, {"b", 0}}, {"b"}, {}, {"a"}},
  };
  for (const Case& c : cases) {
    std::unique_ptr<SearchHistory> history;
    RecordingForgetter forget;
    for (const Add& add : c.adds) AddToSearchHistory(history, add.text, add.type, c.historySize, forget);
    ASSERT_NE(history, nullptr) << c.what;
    EXPECT_EQ(Strings(history->keywordItems), c.keywords) << c.what;
    EXPECT_EQ(Strings(history->addressItems), c.addresses) << c.what;
    EXPECT_EQ(forget.forgotten, c.forgotten) << c.what;
  }
}

TEST(SearchHistory, NothingIsAddedBelowSizeOne) {
  for (int32_t size : {0, -1}) {
    std::unique_ptr<SearchHistory> history;
    RecordingForgetter forget;
    AddToSearchHistory(history, "a", 0, size, forget);
    EXPECT_EQ(history, nullptr) << size;
    EXPECT_TRUE(forget.forgotten.empty());
  }
}

TEST(SearchHistory, AddedItemsKeepTheirType) {
  std::unique_ptr<SearchHistory> history;
  RecordingForgetter forget;
  AddToSearchHistory(history, "http://x/", 1, 3, forget);
  AddToSearchHistory(history, "cats", 0, 3, forget);
  EXPECT_EQ(history->addressItems.Head()->value.type, 1);
  EXPECT_EQ(history->keywordItems.Head()->value.type, 0);
}

TEST(SearchHistory, MoveToFront) {
  std::unique_ptr<SearchHistory> history;
  RecordingForgetter forget;
  for (const char* t : {"a", "b", "c"}) AddToSearchHistory(history, t, 0, 5, forget);
  MoveToFront(history.get(), 0, "a");
  EXPECT_EQ(Strings(history->keywordItems), (Texts{"a", "c", "b"}));
  MoveToFront(history.get(), 0, "A");  // exact comparison: no match
  MoveToFront(history.get(), 1, "b");  // other list: no match
  EXPECT_EQ(Strings(history->keywordItems), (Texts{"a", "c", "b"}));
  MoveToFront(nullptr, 0, "a");  // no history: nothing happens
}

TEST(SearchHistory, TrimToASmallerSize) {
  std::unique_ptr<SearchHistory> history;
  RecordingForgetter forget;
  for (const char* t : {"k1", "k2", "k3", "k4"}) AddToSearchHistory(history, t, 0, 10, forget);
  for (const char* t : {"a1", "a2", "a3"}) AddToSearchHistory(history, t, 1, 10, forget);
  TrimSearchHistory(*history, 2, forget);
  EXPECT_EQ(Strings(history->keywordItems), (Texts{"k4", "k3"}));
  EXPECT_EQ(Strings(history->addressItems), (Texts{"a3", "a2"}));
  EXPECT_EQ(forget.forgotten, (Texts{"k1", "k2", "a1"}));

  // Clearing keeps only the newest entry of the current kind.
  forget.forgotten.clear();
  TrimSearchList(history->keywordItems, 1, forget);
  TrimSearchList(history->addressItems, 0, forget);
  EXPECT_EQ(Strings(history->keywordItems), (Texts{"k4"}));
  EXPECT_TRUE(history->addressItems.Empty());
  EXPECT_EQ(forget.forgotten, (Texts{"k3", "a2", "a3"}));
}
}  // namespace
