#pragma once
// JPEG files made by the library's own encoder, for the kinds that the picture
// tools at hand cannot write (restart markers, YCCK) and for pictures with
// detail made in the test.
#include "wallpaper/image/pixmap.h"
#include "wallpaper/image/tests/test_images.h"

namespace image::test {

enum class JpegKind {
  kBaseline,     // YCbCr 4:2:0
  kProgressive,  // YCbCr 4:2:0, the library's standard scan script
  kProgressive444,
  kGrey,
  kRestart,      // baseline with a restart marker after every MCU
  kCmyk,         // Adobe marker, inverted samples
  kYcck,         // Adobe marker, transform 2
};

Bytes EncodeJpeg(const Pixmap& picture, JpegKind kind, int quality = 90);

}  // namespace image::test
