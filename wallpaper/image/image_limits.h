#pragma once
// Bounds every decoder checks before it allocates pixels: a header is untrusted
// input, and a few bytes must never make us reserve gigabytes.
#include <cstdint>

namespace image {

inline constexpr int64_t kMaxImageSide = 65535;
// 16383 x 16383: the largest picture we agree to hold (about 805 MB at 24 bits).
inline constexpr int64_t kMaxImagePixels = 268402689;

inline bool DimensionsAllowed(int64_t width, int64_t height) {
  return width > 0 && height > 0 && width <= kMaxImageSide && height <= kMaxImageSide &&
         width * height <= kMaxImagePixels;
}

// Bytes of one 24-bit row padded to 4 bytes, the layout of a Windows DIB.
inline constexpr int64_t RowStride24(int64_t width) { return (width * 3 + 3) & ~int64_t{3}; }

}  // namespace image
