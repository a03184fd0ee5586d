#pragma once
// Reads the picture size from the header of formats the operating system
// decodes, so that an absurd claim is refused before a system decoder gets to
// allocate for it (some allocate the whole picture as soon as they open it).
#include <cstddef>
#include <cstdint>

namespace image {

struct PeekedSize {
  bool known = false;  // false when the header is not one of ours or the size is not in `data`
  int64_t width = 0, height = 0;
};

// Understands PNG, GIF, BMP and JPEG (frame header within `data`).
PeekedSize PeekDimensions(const uint8_t* data, size_t size);

}  // namespace image
