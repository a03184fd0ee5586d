#include "wallpaper/image/tests/test_images.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

namespace image::test {

std::string ToString(const Bgr& c) {
  return "{b=" + std::to_string(c.b) + ",g=" + std::to_string(c.g) + ",r=" + std::to_string(c.r) + "}";
}

Bgr PixelAt(const Pixmap& p, int x, int y) {
  const uint8_t* q = p.row(y) + 3 * x;
  return {q[0], q[1], q[2]};
}

Pixmap MakePixmap(int width, int height, const std::function<Bgr(int, int)>& colour) {
  Pixmap p;
  if (!p.Allocate(width, height)) std::abort();
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const Bgr c = colour(x, y);
      uint8_t* q = p.row(y) + 3 * x;
      q[0] = c.b, q[1] = c.g, q[2] = c.r;
    }
  return p;
}

void Put16(Bytes& b, unsigned v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(Bytes& b, uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

Bytes TgaHeader(unsigned image_type, unsigned width, unsigned height, unsigned depth, unsigned descriptor,
                unsigned colormap_type, unsigned colormap_first, unsigned colormap_length,
                unsigned colormap_entry_bits, unsigned id_length) {
  Bytes h;
  h.push_back(static_cast<uint8_t>(id_length));
  h.push_back(static_cast<uint8_t>(colormap_type));
  h.push_back(static_cast<uint8_t>(image_type));
  Put16(h, colormap_first);
  Put16(h, colormap_length);
  h.push_back(static_cast<uint8_t>(colormap_entry_bits));
  Put16(h, 0);
  Put16(h, 0);
  Put16(h, width);
  Put16(h, height);
  h.push_back(static_cast<uint8_t>(depth));
  h.push_back(static_cast<uint8_t>(descriptor));
  return h;
}

Bytes PcxHeader(unsigned bits, unsigned planes, unsigned width, unsigned height, unsigned bytes_per_line, bool rle,
                const Bytes& palette16) {
  Bytes h(128, 0);
  h[0] = 0x0A;
  h[1] = 5;
  h[2] = rle ? 1 : 0;
  h[3] = static_cast<uint8_t>(bits);
  auto put16 = [&](size_t at, unsigned v) {
    h[at] = static_cast<uint8_t>(v);
    h[at + 1] = static_cast<uint8_t>(v >> 8);
  };
  put16(8, width - 1);
  put16(10, height - 1);
  for (size_t i = 0; i < palette16.size() && i < 48; ++i) h[16 + i] = palette16[i];
  h[65] = static_cast<uint8_t>(planes);
  put16(66, bytes_per_line);
  put16(68, 1);
  return h;
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string TempPath(const std::string& name) {
  const char* dir = std::getenv("TEMP");
  if (!dir) dir = std::getenv("TMPDIR");
  std::string base = dir ? dir : "/tmp";
  return base + "/sf_image_" + std::to_string(std::random_device{}()) + "_" + name;
}

}  // namespace image::test
