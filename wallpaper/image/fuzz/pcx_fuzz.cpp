// Feeds arbitrary bytes to the PCX decoder; what decodes is also scaled, so the
// scaler sees the odd sizes that decoders produce.
#include <cstddef>
#include <cstdint>

#include "wallpaper/image/pcx_decoder.h"
#include "wallpaper/image/resampler.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  image::Pixmap pixels;
  if (image::DecodePcx(data, size, pixels) != image::DecodeStatus::kOk) return 0;
  if (static_cast<int64_t>(pixels.width()) * pixels.height() > (1 << 20)) return 0;
  image::PixmapRowSource source(pixels);
  image::Pixmap scaled;
  image::Resampler resampler;
  resampler.Resize(source, pixels.width() / 2 + 1, pixels.height() * 3 / 2, scaled);
  return 0;
}
