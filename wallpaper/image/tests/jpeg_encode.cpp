#include "wallpaper/image/tests/jpeg_encode.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

namespace image::test {

Bytes EncodeJpeg(const Pixmap& picture, JpegKind kind, int quality) {
  jpeg_compress_struct c{};
  jpeg_error_mgr err{};
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char* out = nullptr;
  unsigned long out_size = 0;
  jpeg_mem_dest(&c, &out, &out_size);
  const bool cmyk = kind == JpegKind::kCmyk || kind == JpegKind::kYcck;
  c.image_width = static_cast<JDIMENSION>(picture.width());
  c.image_height = static_cast<JDIMENSION>(picture.height());
  c.input_components = kind == JpegKind::kGrey ? 1 : cmyk ? 4 : 3;
  c.in_color_space = kind == JpegKind::kGrey ? JCS_GRAYSCALE : cmyk ? JCS_CMYK : JCS_EXT_BGR;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, quality, TRUE);
  if (kind == JpegKind::kYcck) jpeg_set_colorspace(&c, JCS_YCCK);
  if (kind == JpegKind::kProgressive444) c.comp_info[0].h_samp_factor = c.comp_info[0].v_samp_factor = 1;
  if (kind == JpegKind::kProgressive || kind == JpegKind::kProgressive444) jpeg_simple_progression(&c);
  if (kind == JpegKind::kRestart) c.restart_interval = 1;
  jpeg_start_compress(&c, TRUE);
  std::vector<uint8_t> row(static_cast<size_t>(picture.width()) * 4);
  for (int y = 0; y < picture.height(); ++y) {
    const uint8_t* src = picture.row(y);
    JSAMPROW line = const_cast<JSAMPROW>(src);
    if (kind == JpegKind::kGrey) {
      for (int x = 0; x < picture.width(); ++x)
        row[x] = static_cast<uint8_t>((src[3 * x] * 29 + src[3 * x + 1] * 150 + src[3 * x + 2] * 77 + 128) >> 8);
      line = row.data();
    } else if (cmyk) {
      // Inverted, as files with the Adobe marker hold them: channel * k / 255 gives the colour back.
      for (int x = 0; x < picture.width(); ++x) {
        const int b = src[3 * x], g = src[3 * x + 1], r = src[3 * x + 2];
        const int k = std::max({r, g, b});
        uint8_t* p = &row[static_cast<size_t>(x) * 4];
        p[0] = static_cast<uint8_t>(k ? (r * 255 + k / 2) / k : 0);
        p[1] = static_cast<uint8_t>(k ? (g * 255 + k / 2) / k : 0);
        p[2] = static_cast<uint8_t>(k ? (b * 255 + k / 2) / k : 0);
        p[3] = static_cast<uint8_t>(k);
      }
      line = row.data();
    }
    jpeg_write_scanlines(&c, &line, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  Bytes bytes(out, out + out_size);
  std::free(out);
  return bytes;
}

}  // namespace image::test
