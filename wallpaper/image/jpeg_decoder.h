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
// With `lean`, a picture that must be held whole as coefficients (progressive
// and other multi-scan files) and whose coefficients take more memory than its
// decoded pixels is refused as kUnsupported, for a decoder that needs less.
DecodeStatus OpenJpeg(PooledBuffer bytes, size_t size, std::unique_ptr<RowSource>& out, bool lean = false);

// Why reading rows of a source that OpenJpeg made failed: kOk while nothing
// failed (or for another kind of source).
DecodeStatus JpegReadFailure(const RowSource& rows);

// Copies the bytes first.
DecodeStatus OpenJpegMemory(const uint8_t* data, size_t size, std::unique_ptr<RowSource>& out, bool lean = false);

}  // namespace image
