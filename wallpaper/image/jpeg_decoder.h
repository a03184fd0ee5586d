#pragma once
// JPEG pictures through libjpeg-turbo: opening reads the header and checks the
// structure; the rows are decoded when first read, at the reduced size that
// ReduceTo chose when the picture is about to be fitted to a smaller size.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "wallpaper/image/buffer_pool.h"
#include "wallpaper/image/decode_status.h"
#include "wallpaper/image/row_source.h"

namespace image {

// Takes over `bytes` (the first `size` of them are the file). The size gate
// applies to the header before the decoder allocates anything for the picture.
DecodeStatus OpenJpeg(PooledBuffer bytes, size_t size, std::unique_ptr<RowSource>& out);

// Copies the bytes first.
DecodeStatus OpenJpegMemory(const uint8_t* data, size_t size, std::unique_ptr<RowSource>& out);

}  // namespace image
