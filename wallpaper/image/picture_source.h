#pragma once
// Opening a picture file or memory block for reading: our own decoders first,
// JPEG through libjpeg-turbo, then whatever the operating system offers (WIC on
// Windows).
#include <cstddef>
#include <cstdint>
#include <memory>

#include "wallpaper/image/decode_status.h"
#include "wallpaper/image/image_format.h"
#include "wallpaper/image/pixmap.h"
#include "wallpaper/image/row_source.h"

namespace image {

struct OpenedPicture {
  std::unique_ptr<RowSource> rows;  // owns everything it reads from
  ImageFormat format = ImageFormat::kUnknown;
};

// A RowSource that owns its pixels.
class OwnedPixmapSource final : public RowSource {
 public:
  explicit OwnedPixmapSource(Pixmap pixels) : pixels_(std::move(pixels)) {}
  int Width() const override { return pixels_.width(); }
  int Height() const override { return pixels_.height(); }
  bool ReadRows(uint8_t* dst, size_t stride, int count) override;
  const Pixmap* InMemory() const override { return &pixels_; }
  Pixmap& pixels() { return pixels_; }

 private:
  Pixmap pixels_;
  int next_ = 0;
};

DecodeStatus OpenPictureFile(const char* path, OpenedPicture& out);
// The bytes are copied when the picture is read lazily, so the caller may free them on return.
DecodeStatus OpenPictureMemory(const uint8_t* data, size_t size, OpenedPicture& out);

// Which of our own decoders claims these leading bytes (kUnknown: none).
ImageFormat SniffOwnFormat(const uint8_t* data, size_t size);

// Decoders of the operating system: WIC on Windows, none elsewhere (kUnsupported).
DecodeStatus PlatformOpenFile(const char* path, OpenedPicture& out);
DecodeStatus PlatformOpenMemory(const uint8_t* data, size_t size, OpenedPicture& out);
// Whether the platform decodes JPEG too (then it takes the progressive files
// that libjpeg would hold in more memory than their pixels).
bool PlatformDecodesJpeg();

}  // namespace image
