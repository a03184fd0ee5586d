// Feeds arbitrary bytes to the JPEG path: the structure walk, the header, and
// a decode at a reduced size straight into the scaler.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "wallpaper/image/jpeg_decoder.h"
#include "wallpaper/image/pixmap.h"
#include "wallpaper/image/resampler.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::unique_ptr<image::RowSource> rows;
  if (image::OpenJpegMemory(data, size, rows) != image::DecodeStatus::kOk) return 0;
  // Large claims are the size gate's business (tested); here they would only be slow.
  if (static_cast<int64_t>(rows->Width()) * rows->Height() > (1 << 22)) return 0;
  const int width = rows->Width() / 3 + 1, height = rows->Height() / 5 + 1;
  rows->ReduceTo(width, height);
  image::Pixmap scaled;
  image::Resampler resampler;
  resampler.Resize(*rows, width, height, scaled);
  return 0;
}
