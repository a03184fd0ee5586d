#pragma once
// Outcome of a decode; everything but kOk is a load failure.
namespace image {

enum class DecodeStatus {
  kOk,
  kNotThisFormat,  // the bytes do not start like this format
  kTruncated,      // the data ends before the picture does
  kCorrupt,        // inconsistent header or pixel data
  kUnsupported,    // a valid variant this decoder does not handle
  kTooLarge,       // dimensions over the limits of image_limits.h
  kOutOfMemory,
};

const char* DecodeStatusName(DecodeStatus status);

}  // namespace image
