#include "ui/fade/fade_math.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct PopupCase {
  int32_t elapsed, duration, fade;
  int alpha;
};

TEST(PopupAlpha, FadesInHoldsAndFadesOut) {
  const std::vector<PopupCase> cases = {
      // 8000 ms message: up over 400 ms, steady to 7600, down by 8000.
      {10, 8000, 400, 6},        // 0.025 * 255 = 6.375
      {80, 8000, 400, 51},       // 0.2f * 255 must not drop to 50
      {200, 8000, 400, 127},     // 127.5 truncated
      {390, 8000, 400, 248},
      {399, 8000, 400, 254},
      {400, 8000, 400, 255},     // the end of the fade-in is opaque
      {2000, 8000, 400, 255},
      {7600, 8000, 400, 255},
      {7610, 8000, 400, 249},    // 255 - 6
      {7800, 8000, 400, 128},    // 255 - 127
      {7990, 8000, 400, 7},      // 255 - 248
      {8000, 8000, 400, 0},
      // Shorter than two fades: the fade-in wins while it lasts.
      {300, 600, 400, 191},
      {500, 600, 400, 64},       // 255 - trunc(0.75 * 255)
      {100, 300, 400, 63},
      // No fade at all.
      {0, 2000, 0, 255},
      {1000, 2000, -5, 255},
  };
  for (const PopupCase& c : cases) {
    EXPECT_EQ(PopupAlpha(c.elapsed, c.duration, c.fade), c.alpha)
        << "elapsed " << c.elapsed << " duration " << c.duration << " fade " << c.fade;
  }
}

TEST(PopupAlpha, StaysInRangeForHostileValues) {
  const int32_t values[] = {INT32_MIN, -8000, -1, 0, 1, 399, 400, 8000, INT32_MAX};
  for (int32_t e : values)
    for (int32_t d : values)
      for (int32_t f : values) {
        const int a = PopupAlpha(e, d, f);
        EXPECT_GE(a, 0);
        EXPECT_LE(a, 255);
      }
}

TEST(PopupAlpha, TickByTickSequenceOfAnEightSecondMessage) {
  // Replays the popup's timer: 10 ms ticks. The fade-in must end fully
  // opaque, not at the 248 of its last rising tick.
  int alpha = 0;
  int previous = 0;
  bool risingDone = false;
  for (int32_t elapsed = 10; elapsed < 8000; elapsed += 10) {
    alpha = PopupAlpha(elapsed, 8000, 400);
    if (elapsed < 400) {
      EXPECT_GE(alpha, previous) << elapsed;
    }
    if (elapsed >= 400 && elapsed <= 7600) {
      EXPECT_EQ(alpha, 255) << elapsed;
      risingDone = true;
    }
    if (elapsed > 7600) {
      EXPECT_LT(alpha, previous) << elapsed;
    }
    previous = alpha;
  }
  EXPECT_TRUE(risingDone);
  EXPECT_EQ(alpha, 7);  // the last tick before the window goes
  EXPECT_TRUE(PopupFinished(8000, 8000));
  EXPECT_FALSE(PopupFinished(7990, 8000));
}

TEST(PopupElapsedAfterClick, StartsTheFadeOutNowButNeverRewinds) {
  struct Case {
    int32_t elapsed, duration, fade, expected;
  };
  const Case cases[] = {
      {2000, 8000, 400, 7600},  // steady: jump to the fade-out
      {100, 8000, 400, 7600},   // still fading in: jump too
      {7700, 8000, 400, 7700},  // already fading out: unchanged
      {8000, 8000, 400, 8000},
      {50, 300, 400, 50},       // duration shorter than the fade
      {10, 2000, 0, 2000},      // no fade: the next tick ends it
  };
  for (const Case& c : cases)
    EXPECT_EQ(PopupElapsedAfterClick(c.elapsed, c.duration, c.fade), c.expected) << c.elapsed;
  // After the click at 2000 ms the next tick is already fading out.
  EXPECT_EQ(PopupAlpha(7600 + 10, 8000, 400), 249);
}

TEST(SplashAlpha, RisesHoldsThenFallsFromItsLateStart) {
  const std::vector<std::pair<int32_t, int>> cases = {
      {0, 0},      {10, 6},          {200, 127},          {400, 255},
      {410, 255},           {1660, 255},
      {1666, 213},  // 255 - trunc(66 / 400 * 255): the fade-out starts part-way
      {1800, 128}, {1990, 7},        {2000, 0},
  };
  for (const auto& [t, alpha] : cases) EXPECT_EQ(SplashAlpha(t), alpha) << t;
}

TEST(FaderAlpha, IntegerRampClampedBothWays) {
  struct Case {
    int64_t elapsed, duration;
    bool in;
    int alpha;
  };
  const Case cases[] = {
      {10, 300, true, 8},     // 2550 / 300
      {150, 300, true, 127},
      {300, 300, true, 255},
      {310, 300, true, 255},  // overshoot of the last step
      {10, 300, false, 247},
      {300, 300, false, 0},
      {0, 150, true, 0},
      {0, 150, false, 255},
      {5, 0, true, 255},      // zero duration: already done
      {5, 0, false, 0},
      {-10, 300, true, 0},
      {INT64_MAX / 2, 1000, true, 255},  // no overflow in elapsed * 255
  };
  for (const Case& c : cases)
    EXPECT_EQ(FaderAlpha(c.elapsed, c.duration, c.in), c.alpha) << c.elapsed << "/" << c.duration << " in " << c.in;
}

}  // namespace
