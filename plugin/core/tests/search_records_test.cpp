#include <gtest/gtest.h>

#include "plugin/core/command_queues.h"
#include "plugin/core/search_records.h"

TEST(SearchRecordList, NewestFirstWithGrowingIds) {
  SearchRecordList list;
  CurrentSearch* a = list.Add("a", 0);
  CurrentSearch* b = list.Add("b", 1);
  EXPECT_EQ(a->id, 1u);
  EXPECT_EQ(b->id, 2u);
  EXPECT_EQ(list.First(), b);
  EXPECT_EQ(b->dwStatus, CONTROL_STATUS_NEW);
  list.ResetIds();
  EXPECT_EQ(list.Add("c", 0)->id, 1u);
}

TEST(SearchRecordList, UnknownAndRemovedHandlesAreRecognisedWithoutReadingThem) {
  SearchRecordList list;
  CurrentSearch* a = list.Add("a", 0);
  CurrentSearch outsider;  // never in the list, even with a matching id
  outsider.id = a->id;
  EXPECT_EQ(list.Find(a), a);
  EXPECT_EQ(list.Find(&outsider), nullptr);
  EXPECT_EQ(list.Find(nullptr), nullptr);
  std::unique_ptr<CurrentSearch> gone = list.Remove(a);
  ASSERT_EQ(gone.get(), a);
  gone.reset();  // freed: ASan would catch a read through the stale pointer
  EXPECT_EQ(list.Find(a), nullptr);
  EXPECT_EQ(list.Remove(a), nullptr);
}

TEST(SearchRecordList, IdGuardsAgainstAReusedAddress) {
  SearchRecordList list;
  CurrentSearch* a = list.Add("a", 0);
  EXPECT_EQ(list.Find(a, a->id), a);
  EXPECT_EQ(list.Find(a, a->id + 1), nullptr);
}

TEST(SearchRecordList, WithTextMatchesEncodedTextsExactly) {
  SearchRecordList list;
  CurrentSearch* a = list.Add("red%20car", 0);
  list.Add("red", 0);
  CurrentSearch* c = list.Add("red%20car", 1);
  EXPECT_EQ(list.WithText("red%20car"), (std::vector<CurrentSearch*>{c, a}));
  EXPECT_TRUE(list.WithText("red car").empty());
}

TEST(SearchCommandQueue, QuitIsSeenAtOnceBehindQueuedRequests) {
  SearchCommandQueue q;
  q.Push(kSearchNext);
  q.Push(kSearchNext);
  EXPECT_FALSE(q.QuitRequested());
  q.Push(kSearchQuit);
  EXPECT_TRUE(q.QuitRequested());
  EXPECT_EQ(q.Pop(), std::optional<uint32_t>(kSearchNext));  // order is kept
  EXPECT_EQ(q.Pop(), std::optional<uint32_t>(kSearchNext));
  EXPECT_EQ(q.Pop(), std::optional<uint32_t>(kSearchQuit));
  EXPECT_EQ(q.Pop(), std::nullopt);
  EXPECT_TRUE(q.QuitRequested());
}

TEST(ControlQueue, ArrivalOrder) {
  ControlQueue q;
  q.Push({kControlStart});
  q.Push({kControlClearHistory, nullptr, 0, std::string("x")});
  q.Push({kControlQuit});
  EXPECT_EQ(q.Pop()->command, kControlStart);
  auto h = q.Pop();
  EXPECT_EQ(h->command, kControlClearHistory);
  EXPECT_EQ(h->text, std::optional<std::string>("x"));
  EXPECT_EQ(q.Pop()->command, kControlQuit);
  EXPECT_TRUE(q.Empty());
}
