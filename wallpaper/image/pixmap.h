#pragma once
// A decoded picture: 24-bit blue-green-red pixels, top row first, each row padded
// to 4 bytes so that the memory can be handed to GDI as a top-down DIB unchanged.
#include <cstddef>
#include <cstdint>

#include "wallpaper/image/buffer_pool.h"

namespace image {

class Pixmap {
 public:
  Pixmap() = default;
  Pixmap(Pixmap&&) noexcept = default;
  Pixmap& operator=(Pixmap&&) noexcept = default;

  // Sizes the picture, reusing the current block when it is large enough; the
  // contents are undefined. False for dimensions over the limits or when memory is short.
  bool Allocate(int width, int height);
  // Frees the pixels (the block goes back to the pool).
  void Release();

  bool empty() const { return width_ == 0; }
  int width() const { return width_; }
  int height() const { return height_; }
  size_t stride() const { return stride_; }
  size_t byte_size() const { return stride_ * static_cast<size_t>(height_); }
  uint8_t* row(int y) { return buffer_.data() + stride_ * static_cast<size_t>(y); }
  const uint8_t* row(int y) const { return buffer_.data() + stride_ * static_cast<size_t>(y); }
  uint8_t* data() { return buffer_.data(); }
  const uint8_t* data() const { return buffer_.data(); }

 private:
  PooledBuffer buffer_;
  int width_ = 0;
  int height_ = 0;
  size_t stride_ = 0;
};

}  // namespace image
