#include "wallpaper/image/header_peek.h"

#include <cstring>

namespace image {
namespace {

uint32_t Be16(const uint8_t* p) { return uint32_t{p[0]} << 8 | p[1]; }
uint32_t Be32(const uint8_t* p) { return Be16(p) << 16 | Be16(p + 2); }
uint32_t Le16(const uint8_t* p) { return uint32_t{p[1]} << 8 | p[0]; }
int32_t Le32(const uint8_t* p) { return static_cast<int32_t>(Le16(p + 2) << 16 | Le16(p)); }

PeekedSize Known(int64_t w, int64_t h) { return {true, w, h}; }

PeekedSize PeekJpeg(const uint8_t* d, size_t size) {
  size_t pos = 2;
  while (pos + 4 <= size) {
    if (d[pos] != 0xFF) return {};
    const uint8_t marker = d[pos + 1];
    if (marker == 0xFF) {  // fill byte
      ++pos;
      continue;
    }
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {  // no length field
      pos += 2;
      continue;
    }
    const size_t length = Be16(d + pos + 2);
    const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (frame) {
      if (pos + 9 > size) return {};
      const uint32_t h = Be16(d + pos + 5), w = Be16(d + pos + 7);
      if (h == 0) return {};  // height given later by a DNL marker
      return Known(w, h);
    }
    if (marker == 0xDA || length < 2) return {};  // scan data before any frame header
    pos += 2 + length;
  }
  return {};
}

}  // namespace

PeekedSize PeekDimensions(const uint8_t* d, size_t size) {
  if (size >= 24 && std::memcmp(d, "\x89PNG\r\n\x1a\n", 8) == 0 && std::memcmp(d + 12, "IHDR", 4) == 0)
    return Known(Be32(d + 16), Be32(d + 20));
  if (size >= 10 && (std::memcmp(d, "GIF87a", 6) == 0 || std::memcmp(d, "GIF89a", 6) == 0))
    return Known(Le16(d + 6), Le16(d + 8));
  if (size >= 26 && d[0] == 'B' && d[1] == 'M') {
    const uint32_t header = static_cast<uint32_t>(Le32(d + 14));
    if (header == 12) return Known(Le16(d + 18), Le16(d + 20));
    if (header >= 40 && size >= 26) {
      const int64_t h = Le32(d + 22);
      return Known(Le32(d + 18), h < 0 ? -h : h);  // negative height: rows stored top-down
    }
    return {};
  }
  if (size >= 4 && d[0] == 0xFF && d[1] == 0xD8 && d[2] == 0xFF) return PeekJpeg(d, size);
  return {};
}

}  // namespace image
