#include "wallpaper/image/bt_image.h"

#include <cstring>

#include "imagelist/extensions.h"
#include "wallpaper/image/bmp_writer.h"
#include "wallpaper/image/image_limits.h"
#include "wallpaper/image/picture_source.h"

using image::DecodeStatus;

#ifndef _WIN32
// Painting lives in the Windows part; elsewhere there is no cache to drop.
void BTCImageData::DropCaches() {}
BTCImageData::BTCImageData() = default;
BTCImageData::~BTCImageData() = default;
#endif

size_t BTCImageData::GetImageSize() const {
  return width_ ? static_cast<size_t>(image::RowStride24(width_)) * static_cast<size_t>(height_) : 0;
}

void BTCImageData::Assign(std::unique_ptr<image::RowSource> rows) {
  DeleteObject();
  if (!rows) return;
  width_ = rows->Width();
  height_ = rows->Height();
  pending_ = std::move(rows);
}

void BTCImageData::DeleteObject() {
  DropCaches();
  pending_.reset();
  pixels_.Release();
  width_ = height_ = 0;
}

const image::Pixmap* BTCImageData::Pixels() {
  if (!pending_) return width_ ? &pixels_ : nullptr;
  // Our own decoders' pixels are taken over instead of copied.
  if (auto* owned = dynamic_cast<image::OwnedPixmapSource*>(pending_.get())) {
    pixels_ = std::move(owned->pixels());
    pending_.reset();
    return &pixels_;
  }
  std::unique_ptr<image::RowSource> rows = std::move(pending_);
  if (!pixels_.Allocate(width_, height_) || !rows->ReadRows(pixels_.data(), pixels_.stride(), height_)) {
    DeleteObject();
    return nullptr;
  }
  return &pixels_;
}

bool BTCImageData::Resize(int width, int height, BTResizeFilter& /*filter*/) {
  if (!width_ || !image::DimensionsAllowed(width, height)) return false;
  image::Pixmap scaled;
  if (pending_) {
    // Straight from the decoder into the scaler: the full-size picture is never held.
    std::unique_ptr<image::RowSource> rows = std::move(pending_);
    rows->ReduceTo(width, height);
    if (!resampler_.Resize(*rows, width, height, scaled)) {
      DeleteObject();
      return false;
    }
  } else {
    image::PixmapRowSource rows(pixels_);
    if (!resampler_.Resize(rows, width, height, scaled)) return false;
  }
  DropCaches();
  pixels_ = std::move(scaled);
  width_ = width;
  height_ = height;
  return true;
}

int BTCImageObject::Load(const char* path, const BTDecoderOptions*, void*, int) {
  data_.DeleteObject();
  image::OpenedPicture picture;
  if (image::OpenPictureFile(path, picture) != DecodeStatus::kOk) return -1;
  data_.Assign(std::move(picture.rows));
  return static_cast<int>(picture.format);
}

int BTCImageObject::Load(const void* bytes, size_t size, const BTDecoderOptions*) {
  data_.DeleteObject();
  image::OpenedPicture picture;
  if (image::OpenPictureMemory(static_cast<const uint8_t*>(bytes), size, picture) != DecodeStatus::kOk) return -1;
  data_.Assign(std::move(picture.rows));
  return static_cast<int>(picture.format);
}

int BTCImageObject::Save(const BTCString& path, int codec, const BTEncoderOptions*) {
  if (codec != BTCodecBmp) return 1;
  const image::Pixmap* pixels = data_.Pixels();
  if (!pixels) return 2;
  image::PixmapRowSource rows(*pixels);
  return image::WriteBmpFile(path.c_str(), rows) ? 0 : 3;
}

int BTCImageObject::GetCodecIdFromExtension(const BTCString& extension, int codec_type) {
  const ImageFileFormat format = ImageFormatOfExtension(extension.c_str());
  // Only bitmaps are written.
  if (codec_type == BTCodecTypeEncoder) return format == ImageFileFormat::kBmp ? BTCodecBmp : BTCodecNone;
  switch (format) {
    case ImageFileFormat::kBmp: return BTCodecBmp;
    case ImageFileFormat::kJpeg: return BTCodecJpeg;
    case ImageFileFormat::kGif: return BTCodecGif;
    case ImageFileFormat::kPng: return BTCodecPng;
    case ImageFileFormat::kTiff: return BTCodecTiff;
    case ImageFileFormat::kIco: return BTCodecIco;
    case ImageFileFormat::kTga: return BTCodecTga;
    case ImageFileFormat::kPcx: return BTCodecPcx;
    case ImageFileFormat::kPnm: return BTCodecPnm;
    case ImageFileFormat::kNone: break;
  }
  return BTCodecNone;
}
