#include "plugin/container/result_list.h"

#include <gtest/gtest.h>

#include <string>

namespace {

Result R(uint32_t id, const std::string& url = "") {
  Result r;
  r.id = id;
  r.imageUrl = url.empty() ? "http://h/" + std::to_string(id) + ".jpg" : url;
  return r;
}

TEST(ResultList, CursorsStopAtBothEndsAndThePlaceholderIsNeverAResult) {
  ResultList list;
  EXPECT_TRUE(list.Empty());
  EXPECT_TRUE(list.IsPlaceholder(list.current));
  ResultList::Cursor c = list.Placeholder();
  EXPECT_FALSE(list.Forward(c));
  EXPECT_TRUE(list.Append(R(1)));
  EXPECT_TRUE(list.Append(R(2)));
  EXPECT_FALSE(list.Append(R(3, "http://h/1.jpg")));  // an address already listed
  EXPECT_EQ(list.Size(), 3u);
  ASSERT_TRUE(list.Forward(c));
  EXPECT_EQ(c->id, 1u);
  EXPECT_FALSE(list.Back(c));  // the placeholder is not a result
  EXPECT_EQ(c->id, 1u);
  ASSERT_TRUE(list.Forward(c));
  ASSERT_TRUE(list.Forward(c));
  EXPECT_FALSE(list.Forward(c));
  EXPECT_EQ(c->id, 3u);
  EXPECT_EQ(list.FindId(2)->id, 2u);
  EXPECT_TRUE(list.IsPlaceholder(list.FindId(99)));
}

TEST(ResultList, TrimKeepsTheNewestAndNeverPassesACursor) {
  struct Case {
    const char* what;
    int cursorOn;  // id the cursors sit on; 0 = placeholder
    size_t keep;
    size_t left;
  };
  const Case cases[] = {
      {"cursors on the placeholder", 0, 4, 3},  // 10 results + placeholder down to 4 elements
      {"current on the third", 3, 4, 8},         // stops before result 3
      {"keep more than there are", 0, 50, 10},
      {"keep nothing", 0, 0, 0},
  };
  for (const Case& c : cases) {
    ResultList list;
    for (uint32_t i = 1; i <= 10; ++i) list.Append(R(i));
    if (c.cursorOn) list.AllTo(list.FindId(static_cast<uint32_t>(c.cursorOn)));
    std::vector<Result> dropped = list.TrimTo(c.keep);
    EXPECT_EQ(list.Size(), c.left) << c.what;
    EXPECT_EQ(dropped.size(), 10 - c.left) << c.what;
    if (!dropped.empty()) {
      EXPECT_EQ(dropped.front().id, 1u) << c.what;
      // A dropped address no longer counts as listed.
      EXPECT_TRUE(list.Append(R(99, "http://h/1.jpg"))) << c.what;
    }
  }
  // Only the cache-ahead cursor on an old result also stops it.
  ResultList list;
  for (uint32_t i = 1; i <= 5; ++i) list.Append(R(i));
  list.ahead = list.FindId(2);
  list.TrimTo(1);
  EXPECT_EQ(list.Size(), 4u);
}

}  // namespace
