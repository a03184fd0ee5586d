#include <gtest/gtest.h>

#include "wallpaper/image/fit.h"

namespace image {
namespace {

struct FitCase {
  int sw, sh, w, h;
  FitSize expected;
};

TEST(ImageFit, SinglePrecisionResults) {
  const FitCase cases[] = {
      // 1280 / 1.3333334f = 959.99994: truncated to 959, not rounded to 960.
      {1280, 1024, 1600, 1200, {1280, 959}},
      // 1024 * 0.6666667f = 682.67.
      {1280, 1024, 800, 1200, {682, 1024}},
      {1280, 1024, 1920, 1080, {1280, 719}},
      // Exactly the screen's proportions take the width branch.
      {1280, 1024, 640, 512, {1280, 1024}},
      // 16:9 is not exact in a float: 1920 / 1.7777778f = 1079.99999, so even a
      // picture of the screen's own proportions loses its last row.
      {1920, 1080, 3840, 2160, {1920, 1079}},
      // Small pictures are enlarged by the same rule.
      {1280, 1024, 640, 480, {1280, 959}},
      {1920, 1080, 1600, 1200, {1440, 1080}},
      {1920, 1080, 6000, 4000, {1620, 1080}},
      {1280, 1024, 6000, 4000, {1280, 853}},
      // A sliver keeps at least one pixel instead of a zero side.
      {1280, 1024, 65535, 1, {1280, 1}},
      {1280, 1024, 1, 65535, {1, 1024}},
      // Nothing to fit.
      {1280, 1024, 0, 100, {0, 0}},
      {0, 1024, 100, 100, {0, 0}},
  };
  for (const FitCase& c : cases) {
    const FitSize got = FitToScreen(c.sw, c.sh, c.w, c.h);
    EXPECT_EQ(got, c.expected) << c.w << "x" << c.h << " on " << c.sw << "x" << c.sh << " gave " << got.width
                               << "x" << got.height;
  }
}

}  // namespace
}  // namespace image
