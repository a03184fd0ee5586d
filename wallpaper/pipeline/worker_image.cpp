#include "wallpaper/pipeline/worker_image.h"

#include <utility>

#include "wallpaper/image/bmp_writer.h"
#include "wallpaper/image/picture_source.h"
#include "wallpaper/image/row_source.h"

namespace {

bool Decode(image::OpenedPicture& opened, image::Pixmap& out) {
  if (!opened.rows) return false;
  image::RowSource& rows = *opened.rows;
  if (!out.Allocate(rows.Width(), rows.Height())) return false;
  if (!rows.ReadRows(out.data(), out.stride(), rows.Height())) {
    out.Release();
    return false;
  }
  return true;
}

}  // namespace

bool WorkerImage::LoadFile(const std::string& path) {
  image::OpenedPicture opened;
  if (image::OpenPictureFile(path.c_str(), opened) != image::DecodeStatus::kOk) return false;
  return Decode(opened, pixels_);
}

bool WorkerImage::LoadMemory(const uint8_t* data, size_t size) {
  image::OpenedPicture opened;
  if (!data || image::OpenPictureMemory(data, size, opened) != image::DecodeStatus::kOk) return false;
  return Decode(opened, pixels_);
}

bool WorkerImage::Resize(int width, int height) {
  if (pixels_.empty()) return false;
  image::PixmapRowSource source(pixels_);
  if (!resampler_.Resize(source, width, height, scratch_)) return false;
  std::swap(pixels_, scratch_);
  return true;
}

bool WorkerImage::SaveBmp(const std::string& path) {
  if (pixels_.empty()) return false;
  image::PixmapRowSource source(pixels_);
  return image::WriteBmpFile(path.c_str(), source);
}

void WorkerImage::Release() {
  pixels_.Release();
  scratch_.Release();
}
