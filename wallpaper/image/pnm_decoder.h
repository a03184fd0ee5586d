#pragma once
// Netpbm PBM, PGM and PPM, plain (ASCII) and raw, with sample ranges up to 65535.
#include <cstddef>
#include <cstdint>

#include "wallpaper/image/decode_status.h"
#include "wallpaper/image/pixmap.h"

namespace image {

bool LooksLikePnm(const uint8_t* data, size_t size);
DecodeStatus DecodePnm(const uint8_t* data, size_t size, Pixmap& out);

}  // namespace image
