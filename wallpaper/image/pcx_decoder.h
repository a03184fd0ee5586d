#pragma once
// ZSoft PCX: 1, 2, 4 and 8 bits per plane, 1 to 4 planes, raw or run-length encoded.
#include <cstddef>
#include <cstdint>

#include "wallpaper/image/decode_status.h"
#include "wallpaper/image/pixmap.h"

namespace image {

bool LooksLikePcx(const uint8_t* data, size_t size);
DecodeStatus DecodePcx(const uint8_t* data, size_t size, Pixmap& out);

}  // namespace image
