#pragma once
// The body of the decoder fuzz targets: what decodes is also scaled, so the
// scaler sees the odd sizes that decoders produce.
#include <cstddef>
#include <cstdint>

#include "wallpaper/image/decode_status.h"
#include "wallpaper/image/pixmap.h"
#include "wallpaper/image/resampler.h"
#include "wallpaper/image/row_source.h"

namespace image::fuzz {

using Decoder = DecodeStatus (*)(const uint8_t* data, size_t size, Pixmap& out);

inline int DecodeAndScale(Decoder decode, const uint8_t* data, size_t size) {
  Pixmap pixels;
  if (decode(data, size, pixels) != DecodeStatus::kOk) return 0;
  if (static_cast<int64_t>(pixels.width()) * pixels.height() > (1 << 20)) return 0;
  PixmapRowSource source(pixels);
  Pixmap scaled;
  Resampler resampler;
  resampler.Resize(source, pixels.width() / 2 + 1, pixels.height() * 3 / 2, scaled);
  return 0;
}

}  // namespace image::fuzz
