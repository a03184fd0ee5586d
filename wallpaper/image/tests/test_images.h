#pragma once
// Builders for small test pictures and files.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "wallpaper/image/pixmap.h"

namespace image::test {

using Bytes = std::vector<uint8_t>;

struct Bgr {
  uint8_t b, g, r;
  bool operator==(const Bgr&) const = default;
};
std::string ToString(const Bgr& c);

Bgr PixelAt(const Pixmap& p, int x, int y);
// A width x height pixmap whose pixel (x, y) is colour(x, y).
Pixmap MakePixmap(int width, int height, const std::function<Bgr(int, int)>& colour);

// Little-endian appenders.
void Put16(Bytes& b, unsigned v);
void Put32(Bytes& b, uint32_t v);
Bytes Concat(std::initializer_list<Bytes> parts);
Bytes Text(const std::string& s);

// An 18-byte TGA header.
Bytes TgaHeader(unsigned image_type, unsigned width, unsigned height, unsigned depth, unsigned descriptor = 0,
                unsigned colormap_type = 0, unsigned colormap_first = 0, unsigned colormap_length = 0,
                unsigned colormap_entry_bits = 0, unsigned id_length = 0);
// A 128-byte PCX header; `palette16` fills the 16-colour header palette when given.
Bytes PcxHeader(unsigned bits, unsigned planes, unsigned width, unsigned height, unsigned bytes_per_line,
                bool rle = true, const Bytes& palette16 = {});

std::string ReadFileBytes(const std::string& path);
std::string TempPath(const std::string& name);

}  // namespace image::test
