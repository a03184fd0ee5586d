#include "wallpaper/image/picture_source.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "wallpaper/image/buffer_pool.h"
#include "wallpaper/image/header_peek.h"
#include "wallpaper/image/image_limits.h"
#include "wallpaper/image/jpeg_decoder.h"
#include "wallpaper/image/jpeg_markers.h"
#include "wallpaper/image/pcx_decoder.h"
#include "wallpaper/image/pnm_decoder.h"
#include "wallpaper/image/tga_decoder.h"

namespace image {
namespace {

// Header bytes read from a file to recognise it and find its size.
constexpr size_t kHeadBytes = 64 * 1024;

// True when the header states a size over the limits.
bool ClaimsTooMuch(const uint8_t* data, size_t size) {
  const PeekedSize s = PeekDimensions(data, size);
  return s.known && !DimensionsAllowed(s.width, s.height);
}

// The largest file our own decoders can need: a raw picture at the pixel limit.
constexpr int64_t kMaxOwnFileBytes = kMaxImagePixels * 4 + (int64_t{1} << 20);

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

DecodeStatus DecodeOwn(ImageFormat format, const uint8_t* data, size_t size, OpenedPicture& out) {
  Pixmap pixels;
  DecodeStatus status = DecodeStatus::kNotThisFormat;
  switch (format) {
    case ImageFormat::kTga: status = DecodeTga(data, size, pixels); break;
    case ImageFormat::kPcx: status = DecodePcx(data, size, pixels); break;
    case ImageFormat::kPnm: status = DecodePnm(data, size, pixels); break;
    default: break;
  }
  if (status != DecodeStatus::kOk) return status;
  out.rows = std::make_unique<OwnedPixmapSource>(std::move(pixels));
  out.format = format;
  return DecodeStatus::kOk;
}

// A progressive JPEG that libjpeg would hold as more coefficients than it has
// pixels: seen in the header, so such a file is not read into memory only to be
// handed on to the platform.
bool OutweighsItsPixels(const JpegFrame& frame) {
  return frame.found && frame.progressive &&
         JpegCoefficientBytes(frame) > static_cast<uint64_t>(frame.width) * static_cast<uint64_t>(frame.height) * 3;
}

// JPEG goes to libjpeg-turbo; only a variant it does not handle, or a progressive
// picture whose coefficients outweigh its pixels, goes on to the platform.
DecodeStatus OpenJpegBytes(PooledBuffer bytes, size_t size, OpenedPicture& out) {
  std::unique_ptr<RowSource> rows;
  const DecodeStatus status = OpenJpeg(std::move(bytes), size, rows, PlatformDecodesJpeg());
  if (status != DecodeStatus::kOk) return status;
  out.rows = std::move(rows);
  out.format = ImageFormat::kJpeg;
  return DecodeStatus::kOk;
}

}  // namespace

bool OwnedPixmapSource::ReadRows(uint8_t* dst, size_t stride, int count) {
  if (count < 0 || next_ + count > pixels_.height()) return false;
  const size_t bytes = static_cast<size_t>(pixels_.width()) * 3;
  for (int i = 0; i < count; ++i) std::memcpy(dst + stride * i, pixels_.row(next_ + i), bytes);
  next_ += count;
  return true;
}

ImageFormat SniffOwnFormat(const uint8_t* data, size_t size) {
  if (LooksLikePnm(data, size)) return ImageFormat::kPnm;
  if (LooksLikePcx(data, size)) return ImageFormat::kPcx;
  // TGA has no signature; its header test rejects every format that has one.
  if (LooksLikeTga(data, size)) return ImageFormat::kTga;
  return ImageFormat::kUnknown;
}

DecodeStatus OpenPictureMemory(const uint8_t* data, size_t size, OpenedPicture& out) {
  out = {};
  if (!data || size == 0) return DecodeStatus::kTruncated;
  const ImageFormat own = SniffOwnFormat(data, size);
  if (own != ImageFormat::kUnknown) return DecodeOwn(own, data, size, out);
  if (ClaimsTooMuch(data, size)) return DecodeStatus::kTooLarge;
  if (LooksLikeJpeg(data, size)) {
    PooledBuffer bytes;
    if (!bytes.Reserve(size)) return DecodeStatus::kOutOfMemory;
    std::memcpy(bytes.data(), data, size);
    const DecodeStatus status = OpenJpegBytes(std::move(bytes), size, out);
    if (status != DecodeStatus::kUnsupported) return status;
  }
  return PlatformOpenMemory(data, size, out);
}

DecodeStatus OpenPictureFile(const char* path, OpenedPicture& out) {
  out = {};
  if (!path || !*path) return DecodeStatus::kNotThisFormat;
  std::unique_ptr<std::FILE, FileCloser> f(std::fopen(path, "rb"));
  if (!f) return DecodeStatus::kNotThisFormat;
  PooledBuffer head;
  if (!head.Reserve(kHeadBytes)) return DecodeStatus::kOutOfMemory;
  const size_t got = std::fread(head.data(), 1, kHeadBytes, f.get());
  const ImageFormat own = SniffOwnFormat(head.data(), got);
  const bool jpeg = own == ImageFormat::kUnknown && LooksLikeJpeg(head.data(), got) &&
                    !(PlatformDecodesJpeg() && OutweighsItsPixels(FindJpegFrame(head.data(), got)));
  if (own == ImageFormat::kUnknown && ClaimsTooMuch(head.data(), got)) return DecodeStatus::kTooLarge;
  if (own == ImageFormat::kUnknown && !jpeg) {
    f.reset();
    // The platform streams from the file itself; holding a large compressed
    // file in memory beside the decoder's pixels would only raise the peak.
    return PlatformOpenFile(path, out);
  }
  if (std::fseek(f.get(), 0, SEEK_END) != 0) return DecodeStatus::kTruncated;
  const long length = std::ftell(f.get());
  if (length < 0 || length > kMaxOwnFileBytes) return length < 0 ? DecodeStatus::kTruncated : DecodeStatus::kTooLarge;
  PooledBuffer bytes;
  if (!bytes.Reserve(static_cast<size_t>(length))) return DecodeStatus::kOutOfMemory;
  if (std::fseek(f.get(), 0, SEEK_SET) != 0) return DecodeStatus::kTruncated;
  const size_t read = std::fread(bytes.data(), 1, static_cast<size_t>(length), f.get());
  if (!jpeg) return DecodeOwn(own, bytes.data(), read, out);
  f.reset();
  const DecodeStatus status = OpenJpegBytes(std::move(bytes), read, out);
  return status == DecodeStatus::kUnsupported ? PlatformOpenFile(path, out) : status;
}

}  // namespace image
