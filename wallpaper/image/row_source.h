#pragma once
// Pictures reach the resampler and the bitmap writer as a sequence of rows, so
// that a decoder can be read out strip by strip without a full 24-bit copy of
// the picture ever existing beside the decoder's own buffer.
#include <cstddef>
#include <cstdint>

#include "wallpaper/image/pixmap.h"

namespace image {

class RowSource {
 public:
  virtual ~RowSource() = default;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // Writes the next `count` rows, top to bottom, as packed BGR (Width() * 3 bytes
  // each) at `dst`, `stride` bytes apart. Rows come strictly in order. False when
  // the picture turns out to be corrupt or truncated; the source is then spent.
  virtual bool ReadRows(uint8_t* dst, size_t stride, int count) = 0;
  // The whole picture when it is already in memory (lets readers skip the copy).
  virtual const Pixmap* InMemory() const { return nullptr; }
  // Before any row is read: a decoder that can decode at a reduced size (JPEG's
  // scaling in the frequency domain, much cheaper than a full decode) switches
  // to the smallest size it offers that still covers min_width x min_height.
  // True when Width() and Height() changed.
  virtual bool ReduceTo(int /*min_width*/, int /*min_height*/) { return false; }
};

// Reads a Pixmap that the caller keeps alive.
class PixmapRowSource final : public RowSource {
 public:
  explicit PixmapRowSource(const Pixmap& pixels) : pixels_(pixels) {}
  int Width() const override { return pixels_.width(); }
  int Height() const override { return pixels_.height(); }
  bool ReadRows(uint8_t* dst, size_t stride, int count) override;
  const Pixmap* InMemory() const override { return &pixels_; }

 private:
  const Pixmap& pixels_;
  int next_ = 0;
};

}  // namespace image
