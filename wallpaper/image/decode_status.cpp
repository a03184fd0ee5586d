#include "wallpaper/image/decode_status.h"

namespace image {

const char* DecodeStatusName(DecodeStatus status) {
  switch (status) {
    case DecodeStatus::kOk: return "ok";
    case DecodeStatus::kNotThisFormat: return "not this format";
    case DecodeStatus::kTruncated: return "truncated";
    case DecodeStatus::kCorrupt: return "corrupt";
    case DecodeStatus::kUnsupported: return "unsupported";
    case DecodeStatus::kTooLarge: return "too large";
    case DecodeStatus::kOutOfMemory: return "out of memory";
  }
  return "?";
}

}  // namespace image
