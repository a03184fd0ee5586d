#include "wallpaper/image/row_source.h"

#include <cstring>

namespace image {

bool PixmapRowSource::ReadRows(uint8_t* dst, size_t stride, int count) {
  if (count < 0 || next_ + count > pixels_.height()) return false;
  const size_t bytes = static_cast<size_t>(pixels_.width()) * 3;
  for (int i = 0; i < count; ++i) std::memcpy(dst + stride * i, pixels_.row(next_ + i), bytes);
  next_ += count;
  return true;
}

}  // namespace image
