#pragma once
// Windows bitmap files: 24 bits per pixel, uncompressed, bottom-up.
#include <cstddef>
#include <cstdint>

#include "wallpaper/image/row_source.h"

namespace image {

inline constexpr size_t kBmpHeaderSize = 54;  // file header 14 + BITMAPINFOHEADER 40

// The header of a width x height 24-bit bitmap file.
void BuildBmpHeader(int width, int height, uint8_t (&header)[kBmpHeaderSize]);

// Writes the picture to `path`. The file is first written beside the target and
// then moved over it, so a failed write (a full disk) leaves the previous file intact.
bool WriteBmpFile(const char* path, RowSource& src);

}  // namespace image
