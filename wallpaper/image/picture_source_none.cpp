#include "wallpaper/image/picture_source.h"

// Without an operating-system codec library only our own formats decode.
namespace image {

DecodeStatus PlatformOpenFile(const char*, OpenedPicture& out) {
  out = {};
  return DecodeStatus::kUnsupported;
}

bool PlatformDecodesJpeg() { return false; }

DecodeStatus PlatformOpenMemory(const uint8_t*, size_t, OpenedPicture& out) {
  out = {};
  return DecodeStatus::kUnsupported;
}

}  // namespace image
