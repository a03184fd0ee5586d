#pragma once
// A walk over a JPEG's marker structure, without decoding anything: it tells a
// file that ends early from one that is whole, at the cost of one scan for
// 0xFF bytes. The decoder itself runs only when the rows are wanted (by then
// the size it is decoded at is known), but a truncated picture has to be
// refused when it is opened.
#include <cstddef>
#include <cstdint>

#include "wallpaper/image/decode_status.h"

namespace image {

// Starts with the start-of-image marker and another marker.
bool LooksLikeJpeg(const uint8_t* data, size_t size);

// kOk when every segment is complete and an end-of-image marker follows at
// least one scan; kTruncated when the data ends first; kCorrupt when a segment
// length is impossible or the picture has no frame or no scan.
DecodeStatus CheckJpegStructure(const uint8_t* data, size_t size);

// The frame header, when `data` holds it.
struct JpegFrame {
  bool found = false;
  bool progressive = false;
  int width = 0, height = 0;
  int components = 0;
  int h[4] = {}, v[4] = {};  // sampling factors of the first four components
};
JpegFrame FindJpegFrame(const uint8_t* data, size_t size);

// Bytes of coefficients a decoder holds for a whole multi-scan picture: 64
// two-byte values per block of every component, blocks padded to whole MCUs.
uint64_t JpegCoefficientBytes(const JpegFrame& frame);

}  // namespace image
