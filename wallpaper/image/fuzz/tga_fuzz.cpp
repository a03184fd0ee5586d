// Feeds arbitrary bytes to the TGA decoder.
#include <cstddef>
#include <cstdint>

#include "wallpaper/image/fuzz/decode_and_scale.h"
#include "wallpaper/image/tga_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return image::fuzz::DecodeAndScale(&image::DecodeTga, data, size);
}
