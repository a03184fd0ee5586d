#include "wallpaper/image/pixmap.h"

#include "wallpaper/image/image_limits.h"

namespace image {

bool Pixmap::Allocate(int width, int height) {
  if (!DimensionsAllowed(width, height)) {
    Release();
    return false;
  }
  const size_t stride = static_cast<size_t>(RowStride24(width));
  if (!buffer_.Reserve(stride * static_cast<size_t>(height))) {
    Release();
    return false;
  }
  width_ = width;
  height_ = height;
  stride_ = stride;
  // The padding bytes reach files and GDI: keep them defined.
  if (stride_ != static_cast<size_t>(width) * 3) {
    for (int y = 0; y < height_; ++y)
      for (size_t i = static_cast<size_t>(width) * 3; i < stride_; ++i) row(y)[i] = 0;
  }
  return true;
}

void Pixmap::Release() {
  buffer_.Reset();
  width_ = height_ = 0;
  stride_ = 0;
}

}  // namespace image
