// Picture sizes read from headers before a system decoder sees the file.
#include <gtest/gtest.h>

#include "wallpaper/image/header_peek.h"
#include "wallpaper/image/tests/test_images.h"

namespace image {
namespace {

using test::Bytes;
using test::Concat;
using test::Text;

Bytes Be16(unsigned v) { return {uint8_t(v >> 8), uint8_t(v)}; }
Bytes Be32(uint32_t v) { return Concat({Be16(v >> 16), Be16(v & 0xFFFF)}); }
Bytes Le(uint32_t v, int bytes) {
  Bytes b;
  for (int i = 0; i < bytes; ++i) b.push_back(uint8_t(v >> (8 * i)));
  return b;
}

Bytes Png(uint32_t w, uint32_t h) {
  return Concat({Text("\x89PNG\r\n\x1a\n"), Be32(13), Text("IHDR"), Be32(w), Be32(h), {8, 2, 0, 0, 0}});
}
// A JPEG segment: marker and payload with its length field.
Bytes Segment(uint8_t marker, const Bytes& payload) {
  return Concat({{0xFF, marker}, Be16(static_cast<unsigned>(payload.size() + 2)), payload});
}
Bytes Sof(uint8_t marker, unsigned w, unsigned h) { return Segment(marker, Concat({{8}, Be16(h), Be16(w), {1, 1, 0x11, 0}})); }
const Bytes kSoi{0xFF, 0xD8};
const Bytes kApp0 = Segment(0xE0, Concat({Text("JFIF"), Bytes(10, 0)}));
const Bytes kDht = Segment(0xC4, Bytes(20, 0));

struct Case {
  const char* name;
  Bytes data;
  bool known;
  int64_t width, height;
};

TEST(ImageHeaderPeek, SizesFromHeaders) {
  const Case cases[] = {
      {"png", Png(70000, 1), true, 70000, 1},
      {"png without IHDR first", Concat({Text("\x89PNG\r\n\x1a\n"), Be32(13), Text("gAMA"), Bytes(13, 0)}), false, 0, 0},
      {"png cut in the header", [] {
         Bytes b = Png(5, 5);
         b.resize(20);
         return b;
       }(),
       false, 0, 0},
      {"gif", Concat({Text("GIF89a"), Le(640, 2), Le(480, 2)}), true, 640, 480},
      {"bmp info header, top-down", Concat({Text("BM"), Bytes(12, 0), Le(40, 4), Le(5, 4), Le(uint32_t(-7), 4)}), true, 5,
       7},
      {"bmp core header", Concat({Text("BM"), Bytes(12, 0), Le(12, 4), Le(300, 2), Le(200, 2), Bytes(4, 0)}), true,
       300, 200},
      {"bmp huge", Concat({Text("BM"), Bytes(12, 0), Le(40, 4), Le(100000, 4), Le(100000, 4)}), true, 100000, 100000},
      {"jpeg baseline after APP0 and DHT", Concat({kSoi, kApp0, kDht, Sof(0xC0, 6000, 4000)}), true, 6000, 4000},
      {"jpeg progressive with fill bytes", Concat({kSoi, kApp0, {0xFF, 0xFF}, Sof(0xC2, 65535, 65535)}), true, 65535,
       65535},
      {"jpeg height left to DNL", Concat({kSoi, Sof(0xC0, 100, 0)}), false, 0, 0},
      {"jpeg scan before any frame", Concat({kSoi, Segment(0xDA, Bytes(10, 0)), Sof(0xC0, 1, 1)}), false, 0, 0},
      {"jpeg cut before the frame", Concat({kSoi, kApp0}), false, 0, 0},
      {"jpeg with a zero-length segment", Concat({kSoi, {0xFF, 0xE1, 0, 0}, Sof(0xC0, 1, 1)}), false, 0, 0},
      {"jpeg with garbage between segments", Concat({kSoi, kApp0, {0x12}, Sof(0xC0, 1, 1)}), false, 0, 0},
      {"tga", test::TgaHeader(2, 10, 10, 24), false, 0, 0},
      {"empty", {}, false, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const PeekedSize s = PeekDimensions(c.data.data(), c.data.size());
    EXPECT_EQ(s.known, c.known);
    if (c.known) {
      EXPECT_EQ(s.width, c.width);
      EXPECT_EQ(s.height, c.height);
    }
  }
}

}  // namespace
}  // namespace image
