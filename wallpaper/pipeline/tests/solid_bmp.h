#pragma once
// A 24-bit bottom-up bitmap file of one colour, for the pipeline's tests.
#include <cstdint>
#include <string>

inline std::string SolidBmp(int width, int height, uint8_t b, uint8_t g, uint8_t r) {
  const int stride = (width * 3 + 3) & ~3;
  const uint32_t size = 54 + stride * height;
  std::string f(size, '\0');
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) f[at + i] = static_cast<char>(v >> (8 * i));
  };
  f[0] = 'B';
  f[1] = 'M';
  put32(2, size);
  put32(10, 54);
  put32(14, 40);
  put32(18, width);
  put32(22, height);
  f[26] = 1;
  f[28] = 24;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const size_t at = 54 + static_cast<size_t>(y) * stride + x * 3;
      f[at] = static_cast<char>(b);
      f[at + 1] = static_cast<char>(g);
      f[at + 2] = static_cast<char>(r);
    }
  return f;
}
