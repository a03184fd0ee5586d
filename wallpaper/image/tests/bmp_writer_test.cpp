// Bitmap files: the header byte for byte, bottom-up rows with zero padding, and
// a failed write that leaves the previous file alone.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "wallpaper/image/bmp_writer.h"
#include "wallpaper/image/tests/test_images.h"

namespace image {
namespace {

using test::Bgr;
using test::MakePixmap;
using test::StreamedSource;

TEST(ImageBmpWriter, HeaderIsByteExact) {
  uint8_t h[kBmpHeaderSize];
  BuildBmpHeader(3, 2, h);  // rows of 9 bytes padded to 12
  const uint8_t expected[kBmpHeaderSize] = {
      'B', 'M', 78, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,  // file header: size 54 + 24, data at 54
      40, 0, 0, 0, 3, 0, 0, 0, 2, 0, 0, 0,            // info header size, width, height (bottom-up)
      1, 0, 24, 0, 0, 0, 0, 0, 24, 0, 0, 0,           // planes, 24 bits, BI_RGB, image bytes
      0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0  // resolution and colour counts
  };
  EXPECT_EQ(0, std::memcmp(h, expected, kBmpHeaderSize));

  BuildBmpHeader(1620, 1080, h);
  EXPECT_EQ(h[2] | h[3] << 8 | h[4] << 16 | h[5] << 24, 54 + 4860 * 1080);
}

TEST(ImageBmpWriter, WritesRowsBottomUpStreamedOrNot) {
  // Heights around the writer's strip size, so partial strips are covered.
  for (int height : {1, 2, 31, 32, 33, 70}) {
    SCOPED_TRACE(height);
    const Pixmap p = MakePixmap(5, height, [](int x, int y) { return Bgr{uint8_t(x), uint8_t(y), uint8_t(x + y)}; });
    const std::string a = test::TempPath("a.bmp"), b = test::TempPath("b.bmp");
    PixmapRowSource direct(p);
    StreamedSource streamed(p);
    ASSERT_TRUE(WriteBmpFile(a.c_str(), direct));
    ASSERT_TRUE(WriteBmpFile(b.c_str(), streamed));
    const std::string fa = test::ReadFileBytes(a), fb = test::ReadFileBytes(b);
    std::remove(a.c_str());
    std::remove(b.c_str());
    EXPECT_EQ(fa, fb);
    ASSERT_EQ(fa.size(), 54u + 16u * height);
    for (int y = 0; y < height; ++y) {
      const size_t row = 54 + 16 * static_cast<size_t>(height - 1 - y);
      for (int x = 0; x < 5; ++x) {
        EXPECT_EQ(static_cast<uint8_t>(fa[row + 3 * x]), x);
        EXPECT_EQ(static_cast<uint8_t>(fa[row + 3 * x + 1]), y);
        EXPECT_EQ(static_cast<uint8_t>(fa[row + 3 * x + 2]), x + y);
      }
      EXPECT_EQ(fa[row + 15], 0) << "padding";
    }
  }
}

TEST(ImageBmpWriter, FailedWriteKeepsThePreviousFile) {
  const std::string path = test::TempPath("wall.bmp");
  const Pixmap first = MakePixmap(4, 4, [](int, int) { return Bgr{1, 2, 3}; });
  PixmapRowSource s1(first);
  ASSERT_TRUE(WriteBmpFile(path.c_str(), s1));
  const std::string before = test::ReadFileBytes(path);

  const Pixmap second = MakePixmap(4, 100, [](int, int) { return Bgr{9, 9, 9}; });
  StreamedSource broken(second, 40);
  EXPECT_FALSE(WriteBmpFile(path.c_str(), broken));
  EXPECT_EQ(test::ReadFileBytes(path), before);
  EXPECT_EQ(test::ReadFileBytes(path + ".part"), "") << "scratch file left behind";

  PixmapRowSource s2(second);
  EXPECT_TRUE(WriteBmpFile(path.c_str(), s2)) << "replacing an existing file";
  EXPECT_EQ(test::ReadFileBytes(path).size(), 54u + 12u * 100);
  std::remove(path.c_str());

  EXPECT_FALSE(WriteBmpFile((test::TempPath("no-such-dir") + "/x.bmp").c_str(), s2));
  EXPECT_FALSE(WriteBmpFile("", s2));
}

}  // namespace
}  // namespace image
