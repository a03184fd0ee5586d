#pragma once
// The pictures engine_stand_in.py serves, computed the same way, so a test can
// tell which result it got by a pixel's colour or by the file's exact bytes.
// Portable: usable from the plug-in's tests and the whole-program tests alike.
#include <cstdint>
#include <string>

namespace stand_in {

// Gallery pictures' numbers (records use their own number).
constexpr uint32_t kGalleryThumb1 = 101;
constexpr uint32_t kGalleryBig1 = 102;
constexpr uint32_t kGalleryLone = 103;

struct Rgb {
  uint8_t r, g, b;
  friend constexpr bool operator==(Rgb a, Rgb b) { return a.r == b.r && a.g == b.g && a.b == b.b; }
};

// Bit 3k+c of n goes to bit 7-k of channel c (red, green, blue); every low
// nibble is 0x0F. Distinct for n modulo 4096; neighbours differ by 0x80 in a channel.
constexpr Rgb ColourOf(uint32_t n) {
  uint8_t c[3] = {0x0F, 0x0F, 0x0F};
  for (int bit = 0; bit < 12; ++bit)
    if ((n >> bit) & 1u) c[bit % 3] = static_cast<uint8_t>(c[bit % 3] | (0x80 >> (bit / 3)));
  return {c[0], c[1], c[2]};
}

// The number whose colour this is, or -1 for a colour the stand-in never serves.
constexpr int NumberOf(Rgb colour) {
  const uint8_t c[3] = {colour.r, colour.g, colour.b};
  int n = 0;
  for (int ch = 0; ch < 3; ++ch) {
    if ((c[ch] & 0x0F) != 0x0F) return -1;
    for (int k = 0; k < 4; ++k)
      if (c[ch] & (0x80 >> k)) n |= 1 << (3 * k + ch);
  }
  return n;
}

// As a GDI COLORREF (0x00BBGGRR), for comparing with GetPixel or a DIB read.
constexpr uint32_t ColorRefOf(uint32_t n) {
  const Rgb c = ColourOf(n);
  return static_cast<uint32_t>(c.r) | static_cast<uint32_t>(c.g) << 8 | static_cast<uint32_t>(c.b) << 16;
}

// The whole file the stand-in serves for number n with setup px_w, px_h, size.
inline std::string PictureOf(uint32_t n, uint32_t width = 32, uint32_t height = 24, uint32_t leastSize = 1000) {
  const Rgb c = ColourOf(n);
  const uint32_t stride = (width * 3 + 3) & ~3u;
  const uint32_t pixels = stride * height;
  const uint32_t length = 54 + pixels > leastSize ? 54 + pixels : leastSize;
  std::string out(length, '\0');
  auto put = [&out](size_t at, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
  };
  out[0] = 'B';
  out[1] = 'M';
  put(2, length, 4);
  put(10, 54, 4);
  put(14, 40, 4);
  put(18, width, 4);
  put(22, height, 4);
  put(26, 1, 2);
  put(28, 24, 2);
  put(34, pixels, 4);
  put(38, 2835, 4);
  put(42, 2835, 4);
  for (uint32_t y = 0; y < height; ++y)
    for (uint32_t x = 0; x < width; ++x) {
      const size_t at = 54 + static_cast<size_t>(y) * stride + x * 3;
      out[at] = static_cast<char>(c.b);
      out[at + 1] = static_cast<char>(c.g);
      out[at + 2] = static_cast<char>(c.r);
    }
  return out;
}

}  // namespace stand_in
