// JPEG pictures come out of the engine as they did when WIC decoded them: the
// same fitted picture, within the rounding of a reduced-size decode.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "wallpaper/image/bt_image.h"
#include "wallpaper/image/fit.h"
#include "wallpaper/image/picture_source.h"
#include "wallpaper/image/resampler.h"
#include "wallpaper/image/tests/jpeg_encode.h"
#include "wallpaper/image/tests/test_data.h"

namespace image {
namespace {

using test::Bytes;
using test::JpegKind;

Pixmap Detailed(int width, int height) {
  return test::MakePixmap(width, height, [=](int x, int y) {
    const int check = ((x / 3 + y / 3) % 2) * 40;
    return test::Bgr{static_cast<uint8_t>(x * 200 / width + check), static_cast<uint8_t>(y * 200 / height + check),
                     static_cast<uint8_t>((x + y) * 100 / (width + height) + 60)};
  });
}

TEST(ImageJpegWic, FittedPictureMatchesTheSystemDecoder) {
  struct Case {
    std::string name;
    Bytes bytes;
    int screen_width, screen_height;
  };
  const Pixmap detail = Detailed(600, 400);
  const Case cases[] = {
      {"quad.jpg", test::TestFile("quad.jpg"), 40, 30},
      {"quad_progressive.jpg", test::TestFile("quad_progressive.jpg"), 1280, 1024},
      {"jpeg_baseline.jpg", test::TestFile("jpeg_baseline.jpg"), 40, 30},
      {"jpeg_progressive.jpg", test::TestFile("jpeg_progressive.jpg"), 60, 50},
      {"jpeg_grey.jpg", test::TestFile("jpeg_grey.jpg"), 30, 30},
      {"detailed baseline on 5:4", test::EncodeJpeg(detail, JpegKind::kBaseline, 95), 160, 128},
      {"detailed baseline on 16:9", test::EncodeJpeg(detail, JpegKind::kBaseline, 95), 192, 108},
      {"detailed progressive", test::EncodeJpeg(detail, JpegKind::kProgressive, 95), 250, 200},
      {"detailed with restart markers", test::EncodeJpeg(detail, JpegKind::kRestart, 95), 100, 100},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    OpenedPicture system;
    ASSERT_EQ(PlatformOpenMemory(c.bytes.data(), c.bytes.size(), system), DecodeStatus::kOk);
    const FitSize fit = FitToScreen(c.screen_width, c.screen_height, system.rows->Width(), system.rows->Height());
    Pixmap before;
    Resampler resampler;
    ASSERT_TRUE(resampler.Resize(*system.rows, fit.width, fit.height, before));

    BTCImageObject image;
    ASSERT_EQ(image.Load(c.bytes.data(), c.bytes.size()), BTCodecJpeg);
    BTResizeFilter filter = BTResizeFilterSmooth;
    ASSERT_TRUE(image.GetObjectDataPtr()->Resize(fit.width, fit.height, filter));
    const Pixmap& now = *image.GetObjectDataPtr()->Pixels();
    ASSERT_EQ(now.width(), before.width());
    ASSERT_EQ(now.height(), before.height());
    long total = 0;
    int worst = 0;
    for (int y = 0; y < fit.height; ++y)
      for (int i = 0; i < fit.width * 3; ++i) {
        const int d = std::abs(now.row(y)[i] - before.row(y)[i]);
        total += d;
        worst = std::max(worst, d);
      }
    EXPECT_LE(static_cast<double>(total) / (fit.width * fit.height * 3), 3.0);
    EXPECT_LE(worst, 24);
  }
}

}  // namespace
}  // namespace image
