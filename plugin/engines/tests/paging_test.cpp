#include <gtest/gtest.h>

#include "plugin/engines/paging_guard.h"
#include "plugin/engines/size_filter.h"

using namespace engines;

TEST(PagingGuard, ExhaustedAfterBarrenPagesInARowOnly) {
  PagingGuard g;
  for (size_t i = 0; i + 1 < kMaxBarrenPages; ++i) g.PageDone(0);
  EXPECT_FALSE(g.Exhausted());
  g.PageDone(3);  // something new starts the count again
  for (size_t i = 0; i + 1 < kMaxBarrenPages; ++i) g.PageDone(0);
  EXPECT_FALSE(g.Exhausted());
  g.PageDone(0);
  EXPECT_TRUE(g.Exhausted());
  g.Reset();
  EXPECT_FALSE(g.Exhausted());
}

TEST(SizeFilter, Table) {
  struct Case {
    SizeFilter f;
    uint32_t w, h;
    bool passes;
  } cases[] = {
      {{}, 0, 0, true},
      {{800, 0, 0, 0, 0}, 640, 480, false},
      {{800, 0, 0, 0, 0}, 0, 480, true},  // unknown width is tried
      {{800, 0, 0, 0, 0}, 800, 1, true},
      {{0, 600, 0, 0, 0}, 2000, 599, false},
      {{0, 0, 1024, 0, 0}, 1025, 10, false},
      {{0, 0, 0, 768, 0}, 10, 769, false},
      {{0, 0, 0, 0, 1000000}, 999, 1000, false},
      {{0, 0, 0, 0, 1000000}, 0, 10, true},
      // 65536 x 65536 wraps to 0 in 32 bits.
      {{0, 0, 0, 0, 4000000000u}, 65536, 65536, true},
      {{0, 0, 0, 0, 4294967295u}, 4294967295u, 4294967295u, true},
  };
  for (const Case& c : cases) EXPECT_EQ(PassesSizeFilter(c.f, c.w, c.h), c.passes) << c.w << "x" << c.h;
}
