#include <gtest/gtest.h>

#include "plugin/core/search_options.h"
#include "plugin/core/search_text.h"
#include "plugin/include/fetchpix.h"

TEST(EncodeBlanks, EveryBlankBecomesItsEscapeAndNothingElseChanges) {
  struct Case {
    const char* in;
    const char* out;
  };
  const Case cases[] = {
      {"sunset", "sunset"},
      {"red car", "red%20car"},
      {"  a  ", "%20%20a%20%20"},
      {"a+b%20c\td", "a+b%20c\td"},  // only the blank is touched
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(EncodeBlanks(c.in), c.out) << c.in;
}

TEST(SearchOptions, DefaultsAfterReset) {
  SearchOptions o;
  o.Set(FETCHPIX_OPTION_KEEP_RESULTS, 7, 0);
  o.Set(FETCHPIX_OPTION_NOTIFY, 0x1234, 0x8009);
  o.Reset();
  EXPECT_EQ(o.ResultsToKeep(), 1000u);
  EXPECT_TRUE(o.GroupResults());
  EXPECT_TRUE(o.BlockExplicit());
  EXPECT_EQ(o.CacheBudget(), 52428800u);
  EXPECT_EQ(o.MinWidth() | o.MinHeight() | o.MaxWidth() | o.MaxHeight() | o.MinPixels(), 0u);
  EXPECT_EQ(o.Notification().window, 0u);
}

TEST(SearchOptions, EachIdStoresItsValues) {
  SearchOptions o;
  EXPECT_EQ(o.Set(FETCHPIX_OPTION_FILE_SIZE, 10, 20), SUCCESS);
  EXPECT_EQ(o.Set(FETCHPIX_OPTION_MIN_SIZE, 640, 480), SUCCESS);
  EXPECT_EQ(o.Set(FETCHPIX_OPTION_MAX_SIZE, 4000, 3000), SUCCESS);
  EXPECT_EQ(o.Set(FETCHPIX_OPTION_KEEP_RESULTS, 50, 0), SUCCESS);
  EXPECT_EQ(o.Set(FETCHPIX_OPTION_CACHE_BUDGET, 1024, 0), SUCCESS);
  EXPECT_EQ(o.Set(FETCHPIX_OPTION_MIN_PIXELS, 99, 0), SUCCESS);
  EXPECT_EQ(o.MinFileSize(), 10u);
  EXPECT_EQ(o.MaxFileSize(), 20u);
  EXPECT_EQ(o.MinWidth(), 640u);
  EXPECT_EQ(o.MinHeight(), 480u);
  EXPECT_EQ(o.MaxWidth(), 4000u);
  EXPECT_EQ(o.MaxHeight(), 3000u);
  EXPECT_EQ(o.ResultsToKeep(), 50u);
  EXPECT_EQ(o.CacheBudget(), 1024u);
  EXPECT_EQ(o.MinPixels(), 99u);
}

TEST(SearchOptions, BooleansLookOnlyAtTheLowByte) {
  SearchOptions o;
  EXPECT_EQ(o.Set(FETCHPIX_OPTION_GROUP, 0x100, 0), SUCCESS);  // low byte 0
  EXPECT_FALSE(o.GroupResults());
  EXPECT_EQ(o.Set(FETCHPIX_OPTION_BLOCK_EXPLICIT, 0xFF00, 0), SUCCESS);
  EXPECT_FALSE(o.BlockExplicit());
  o.Set(FETCHPIX_OPTION_GROUP, 0x01, 0);
  EXPECT_TRUE(o.GroupResults());
}

TEST(SearchOptions, NotifyTargetKeepsAWholePointerWideWindowAndZeroTurnsItOff) {
  SearchOptions o;
  const uintptr_t wide = sizeof(uintptr_t) > 4 ? static_cast<uintptr_t>(0x1234567890ull) : 0x12345678u;
  o.Set(FETCHPIX_OPTION_NOTIFY, wide, 0x8009);
  EXPECT_EQ(o.Notification().window, wide);
  EXPECT_EQ(o.Notification().message, 0x8009u);
  o.Set(FETCHPIX_OPTION_NOTIFY, 0, 0x8009);
  EXPECT_EQ(o.Notification().window, 0u);
}

TEST(SearchOptions, UnknownIdsStoreNothingAndAnswerZero) {
  SearchOptions o;
  for (uint32_t id : {0u, 10u, 11u, 0xFFFFFFFFu}) EXPECT_EQ(o.Set(id, 5, 5), 0u) << id;
  EXPECT_EQ(o.ResultsToKeep(), 1000u);
  EXPECT_EQ(o.Notification().window, 0u);
}
