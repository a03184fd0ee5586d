#pragma once
// Truevision TGA: colour-mapped, true-colour and grey pictures, raw or run-length encoded.
#include <cstddef>
#include <cstdint>

#include "wallpaper/image/decode_status.h"
#include "wallpaper/image/pixmap.h"

namespace image {

// TGA has no signature: true when the header is self-consistent enough to try.
bool LooksLikeTga(const uint8_t* data, size_t size);
DecodeStatus DecodeTga(const uint8_t* data, size_t size, Pixmap& out);

}  // namespace image
