// The option calls the plug-in receives for each filter choice, in order.
#include <gtest/gtest.h>

#include "internet/binding/search_options.h"
#include "plugin/include/fetchpix.h"

namespace {

Settings Sample(int32_t filterType) {
  Settings s;
  s.FilterType = filterType;
  s.MinImageWidth = 800;
  s.MinImageHeight = 600;
  s.MaxImageWidth = 4000;
  s.MaxImageHeight = 3000;
  s.MinPixels = 480000;
  s.GroupResults = true;
  s.BlockExplicit = false;
  s.CacheSize = 12345678;
  s.NumResultsToCache = 250;
  return s;
}

TEST(SearchOptionCalls, EachFilterTypeInOrder) {
  const uintptr_t window = 0x12345678ABCull;  // a 64-bit handle arrives whole
  const std::vector<OptionCall> tail = {{FETCHPIX_OPTION_NOTIFY, window, 0x8009},
                                        {FETCHPIX_OPTION_GROUP, 1, 0},
                                        {FETCHPIX_OPTION_BLOCK_EXPLICIT, 0, 0},
                                        {FETCHPIX_OPTION_CACHE_BUDGET, 12345678, 0},
                                        {FETCHPIX_OPTION_KEEP_RESULTS, 250, 0}};
  const struct {
    int32_t filterType;
    std::vector<OptionCall> head;
  } cases[] = {
      {0, {{FETCHPIX_OPTION_MIN_SIZE, 0, 0}, {FETCHPIX_OPTION_MAX_SIZE, 0, 0}, {FETCHPIX_OPTION_MIN_PIXELS, 0, 0}}},
      {1,
       {{FETCHPIX_OPTION_MIN_SIZE, 800, 600},
        {FETCHPIX_OPTION_MAX_SIZE, 4000, 3000},
        {FETCHPIX_OPTION_MIN_PIXELS, 0, 0}}},
      // The pixel count goes first, with no width or height bound beside it.
      {2,
       {{FETCHPIX_OPTION_MIN_PIXELS, 480000, 0}, {FETCHPIX_OPTION_MIN_SIZE, 0, 0}, {FETCHPIX_OPTION_MAX_SIZE, 0, 0}}},
      {7, {}},
  };
  for (const auto& c : cases) {
    std::vector<OptionCall> expected = c.head;
    expected.insert(expected.end(), tail.begin(), tail.end());
    EXPECT_EQ(SearchOptionCalls(Sample(c.filterType), window, 0x8009), expected) << "filter " << c.filterType;
  }
}

TEST(SearchOptionCalls, NegativeSizesFromTheRegistryBecomeZero) {
  Settings s = Sample(0);
  s.CacheSize = -1;
  s.NumResultsToCache = -5;
  const std::vector<OptionCall> calls = SearchOptionCalls(s, 0, 0x8009);
  ASSERT_EQ(calls.size(), 8u);
  EXPECT_EQ(calls[6], (OptionCall{FETCHPIX_OPTION_CACHE_BUDGET, 0, 0}));
  EXPECT_EQ(calls[7], (OptionCall{FETCHPIX_OPTION_KEEP_RESULTS, 0, 0}));
}

}  // namespace
