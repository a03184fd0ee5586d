// The scaler: exact averages when shrinking, interpolation when enlarging, and
// the same result whether the source is in memory or streamed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

#include "wallpaper/image/resampler.h"
#include "wallpaper/image/tests/test_images.h"

namespace image {
namespace {

using test::Bgr;
using test::MakePixmap;
using test::PixelAt;
using test::StreamedSource;

Pixmap Scale(const Pixmap& src, int w, int h) {
  Resampler r;
  PixmapRowSource s(src);
  Pixmap out;
  EXPECT_TRUE(r.Resize(s, w, h, out));
  return out;
}

TEST(ImageResampler, HalvedCheckerboardIsFlatGrey) {
  const Pixmap board = MakePixmap(64, 48, [](int x, int y) {
    const uint8_t v = (x + y) % 2 ? 255 : 0;
    return Bgr{v, v, v};
  });
  const Pixmap half = Scale(board, 32, 24);
  ASSERT_EQ(half.width(), 32);
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 32; ++x) ASSERT_EQ(PixelAt(half, x, y), (Bgr{128, 128, 128})) << x << "," << y;
}

// A nearest-neighbour or point-sampling scaler would keep the stripes at a
// non-integer ratio; an area average keeps every pixel within a few levels of grey.
TEST(ImageResampler, ShrunkStripesStayNearGreyAtAnyRatio) {
  const Pixmap stripes = MakePixmap(300, 200, [](int x, int) {
    const uint8_t v = x % 2 ? 255 : 0;
    return Bgr{v, v, v};
  });
  for (int w : {97, 100, 131, 149}) {
    const Pixmap out = Scale(stripes, w, 50);
    for (int x = 0; x < w; ++x) {
      const int v = PixelAt(out, x, 25).g;
      // One partly covered stripe at most tips the balance: 255 / (2 * ratio).
      EXPECT_NEAR(v, 127.5, 255.0 / (2 * 300.0 / w) + 1) << "width " << w << " x " << x;
    }
  }
}

struct ExactCase {
  const char* name;
  std::vector<uint8_t> source;  // one row of grey levels
  int width;
  std::vector<uint8_t> expected;
};

TEST(ImageResampler, OneRowExactValues) {
  const ExactCase cases[] = {
      // 3 -> 2: each output covers 1.5 source pixels.
      {"shrink 3 to 2", {0, 90, 180}, 2, {30, 150}},
      {"shrink 4 to 1", {0, 100, 200, 100}, 1, {100}},
      // Centres 0.25 and 0.75 between the two source pixels; the ends clamp.
      {"enlarge 2 to 4", {0, 200}, 4, {0, 50, 150, 200}},
      {"enlarge 1 to 3", {77}, 3, {77, 77, 77}},
      {"same size", {1, 2, 3}, 3, {1, 2, 3}},
  };
  for (const ExactCase& c : cases) {
    SCOPED_TRACE(c.name);
    const Pixmap src = MakePixmap(static_cast<int>(c.source.size()), 1, [&](int x, int) {
      const uint8_t v = c.source[x];
      return Bgr{v, v, v};
    });
    const Pixmap out = Scale(src, c.width, 1);
    for (int x = 0; x < c.width; ++x) EXPECT_EQ(PixelAt(out, x, 0).r, c.expected[x]) << "x " << x;
  }
}

// Weights add up to one, so a flat picture stays exactly flat whatever the ratio,
// and no output leaves the range of the source (no ringing, no wrap-around).
TEST(ImageResampler, FlatStaysFlatAndNoOvershoot) {
  std::mt19937 rng(7);
  const Pixmap flat = MakePixmap(37, 23, [](int, int) { return Bgr{12, 200, 255}; });
  auto level = [&] { return static_cast<uint8_t>(100 + rng() % 51); };
  const Pixmap noise = MakePixmap(37, 23, [&](int, int) { return Bgr{level(), level(), level()}; });
  const int sizes[][2] = {{1, 1}, {5, 3}, {18, 11}, {36, 22}, {37, 23}, {38, 24}, {74, 46}, {100, 7}, {3, 90}};
  for (const auto& s : sizes) {
    SCOPED_TRACE(std::to_string(s[0]) + "x" + std::to_string(s[1]));
    const Pixmap a = Scale(flat, s[0], s[1]);
    const Pixmap b = Scale(noise, s[0], s[1]);
    for (int y = 0; y < s[1]; ++y)
      for (int x = 0; x < s[0]; ++x) {
        ASSERT_EQ(PixelAt(a, x, y), (Bgr{12, 200, 255}));
        // Every output is a weighted mean, so it stays inside the source's range.
        const Bgr p = PixelAt(b, x, y);
        for (uint8_t v : {p.b, p.g, p.r}) {
          ASSERT_GE(v, 100);
          ASSERT_LE(v, 150);
        }
      }
  }
}

TEST(ImageResampler, AxisWeightsAreWellFormed) {
  const int pairs[][2] = {{1, 1}, {1, 7}, {7, 1}, {2, 3}, {3, 2}, {1000, 999}, {999, 1000}, {6000, 1620},
                          {4000, 1080}, {65535, 1}, {1, 65535}, {100, 33}};
  for (const auto& p : pairs) {
    SCOPED_TRACE(std::to_string(p[0]) + " -> " + std::to_string(p[1]));
    AxisWeights a;
    a.Compute(p[0], p[1]);
    int previous = 0;
    for (int o = 0; o < p[1]; ++o) {
      ASSERT_GE(a.count[o], 1);
      ASSERT_LE(a.count[o], a.max_taps);
      ASSERT_GE(a.start[o], previous);
      ASSERT_LE(a.start[o] + a.count[o], p[0]);
      previous = a.start[o];
      int sum = 0;
      for (int k = 0; k < a.count[o]; ++k) {
        ASSERT_GE(a.of(o)[k], 0);
        sum += a.of(o)[k];
      }
      ASSERT_EQ(sum, AxisWeights::kOne);
    }
  }
}

// Shrinking averages the covered area: a single bright pixel spreads its energy
// over the outputs that cover it, nothing is lost or invented.
TEST(ImageResampler, ShrinkKeepsTheMean) {
  std::mt19937 rng(3);
  const Pixmap src = MakePixmap(90, 60, [&](int, int) {
    const uint8_t v = static_cast<uint8_t>(rng());
    return Bgr{v, v, v};
  });
  auto mean = [](const Pixmap& p) {
    double s = 0;
    for (int y = 0; y < p.height(); ++y)
      for (int x = 0; x < p.width(); ++x) s += PixelAt(p, x, y).g;
    return s / (p.width() * p.height());
  };
  for (int w : {45, 30, 18, 10}) EXPECT_NEAR(mean(Scale(src, w, w * 2 / 3)), mean(src), 0.6) << w;
}

TEST(ImageResampler, StreamedSourceMatchesInMemory) {
  std::mt19937 rng(11);
  const Pixmap src = MakePixmap(61, 47, [&](int, int) {
    return Bgr{static_cast<uint8_t>(rng()), static_cast<uint8_t>(rng()), static_cast<uint8_t>(rng())};
  });
  Resampler r;  // one resampler for all sizes: its reused buffers must not leak state
  for (const auto& s : {std::pair{20, 15}, std::pair{130, 90}, std::pair{61, 20}, std::pair{7, 47}}) {
    const Pixmap expected = Scale(src, s.first, s.second);
    StreamedSource streamed(src);
    Pixmap out;
    ASSERT_TRUE(r.Resize(streamed, s.first, s.second, out));
    EXPECT_LE(streamed.rows_read(), 47);
    for (int y = 0; y < s.second; ++y)
      ASSERT_EQ(0, std::memcmp(out.row(y), expected.row(y), static_cast<size_t>(s.first) * 3)) << y;
  }
}

TEST(ImageResampler, FailsCleanly) {
  const Pixmap src = MakePixmap(40, 40, [](int x, int y) { return Bgr{uint8_t(x), uint8_t(y), 0}; });
  Resampler r;
  Pixmap out;
  StreamedSource broken(src, 10);
  EXPECT_FALSE(r.Resize(broken, 20, 20, out)) << "source failing mid-way";
  EXPECT_TRUE(out.empty());
  StreamedSource same_size(src, 10);
  EXPECT_FALSE(r.Resize(same_size, 40, 40, out)) << "failing source copied at the same size";
  PixmapRowSource ok(src);
  EXPECT_FALSE(r.Resize(ok, 0, 10, out));
  EXPECT_FALSE(r.Resize(ok, 10, 65536, out));
  EXPECT_FALSE(r.Resize(ok, 20000, 20000, out)) << "over the pixel limit";
  EXPECT_TRUE(out.empty());
}

}  // namespace
}  // namespace image
