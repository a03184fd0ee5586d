#pragma once
// The picture the image worker holds between its operations: decoded in full
// at load (so a corrupt file fails the load, not a later step), scaled in
// place, written as a 24-bit bitmap. Buffers are reused from change to change.
#include <cstddef>
#include <cstdint>
#include <string>

#include "wallpaper/image/pixmap.h"
#include "wallpaper/image/resampler.h"

class WorkerImage {
 public:
  bool LoadFile(const std::string& path);
  bool LoadMemory(const uint8_t* data, size_t size);
  bool Resize(int width, int height);
  bool SaveBmp(const std::string& path);
  void Release();

  bool Empty() const { return pixels_.empty(); }
  int Width() const { return pixels_.width(); }
  int Height() const { return pixels_.height(); }
  // Size of the decoded pixel data in bytes.
  size_t ImageSize() const { return pixels_.byte_size(); }
  const image::Pixmap& Pixels() const { return pixels_; }

 private:
  image::Pixmap pixels_;
  image::Pixmap scratch_;
  image::Resampler resampler_;
};
