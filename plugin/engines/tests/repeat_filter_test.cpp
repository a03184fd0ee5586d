#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plugin/engines/repeat_filter.h"
#include "plugin/engines/view_set.h"

using namespace engines;

// A text counted more than once must always be let through to the set;
// Shared() must cover exactly the occurrences let through, or the set is
// sized too small.
TEST(RepeatFilter, RepeatsAlwaysPassAndSharedCountsWhatPasses) {
  for (const size_t texts : {size_t{1}, size_t{40}, size_t{5000}}) {
    std::vector<uint32_t> occurrences;
    for (size_t i = 0; i < texts; ++i) occurrences.push_back(ViewSet::Hash("pics/" + std::to_string(i) + ".jpg"));
    const uint32_t twice = occurrences.front();
    const uint32_t thrice = occurrences.back();
    occurrences.push_back(twice);
    occurrences.push_back(thrice);
    occurrences.push_back(thrice);
    RepeatFilter filter(occurrences.size());
    for (const uint32_t h : occurrences) filter.Count(h);
    EXPECT_TRUE(filter.MayRepeat(twice)) << texts;
    EXPECT_TRUE(filter.MayRepeat(thrice)) << texts;
    size_t passing = 0, alone = 0;
    for (const uint32_t h : occurrences) {
      passing += filter.MayRepeat(h);
      alone += !filter.MayRepeat(h);
    }
    EXPECT_EQ(filter.Shared(), passing) << texts;
    // Eight buckets a text: most distinct texts are alone in theirs.
    if (texts > 1) {
      EXPECT_GT(alone * 10, texts * 7) << texts;
    }
  }
}

TEST(RepeatFilter, TextsNeverCountedMayRepeat) {
  const RepeatFilter filter(100);
  EXPECT_TRUE(filter.MayRepeat(ViewSet::Hash("never counted")));
  EXPECT_EQ(filter.Shared(), 0u);
}
