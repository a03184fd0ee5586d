// Feeds arbitrary bytes to the header reader used before system decoders.
#include <cstddef>
#include <cstdint>

#include "wallpaper/image/header_peek.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  image::PeekDimensions(data, size);
  return 0;
}
