#include "wallpaper/image/pcx_decoder.h"

#include <vector>

#include "wallpaper/image/image_limits.h"

namespace image {
namespace {

constexpr size_t kHeaderSize = 128;
constexpr size_t kVgaPaletteSize = 769;  // marker 0x0C and 256 RGB triples, at the end of the file

unsigned U16(const uint8_t* p) { return p[0] | (p[1] << 8); }

bool SignatureMatches(const uint8_t* d) {
  const unsigned version = d[1];
  return d[0] == 0x0A && (version == 0 || version == 2 || version == 3 || version == 4 || version == 5) &&
         d[2] <= 1 && (d[3] == 1 || d[3] == 2 || d[3] == 4 || d[3] == 8);
}

// Depth and plane layouts we decode.
bool LayoutSupported(unsigned bits, unsigned planes) {
  if (bits == 1) return planes >= 1 && planes <= 4;
  if (bits == 2 || bits == 4) return planes == 1;
  return bits == 8 && (planes == 1 || planes == 3 || planes == 4);
}

DecodeStatus DecodePcxPixels(const uint8_t* data, size_t size, Pixmap& out) {
  if (size < 4 || !SignatureMatches(data)) return DecodeStatus::kNotThisFormat;
  if (size < kHeaderSize) return DecodeStatus::kTruncated;
  const unsigned bits = data[3];
  const bool rle = data[2] == 1;
  const unsigned xmin = U16(data + 4), ymin = U16(data + 6), xmax = U16(data + 8), ymax = U16(data + 10);
  const unsigned planes = data[65];
  const unsigned bytes_per_line = U16(data + 66);
  if (xmax < xmin || ymax < ymin) return DecodeStatus::kCorrupt;
  const unsigned width = xmax - xmin + 1, height = ymax - ymin + 1;
  if (planes == 0) return DecodeStatus::kCorrupt;
  if (!LayoutSupported(bits, planes)) return DecodeStatus::kUnsupported;
  if (!DimensionsAllowed(width, height)) return DecodeStatus::kTooLarge;
  // Each plane's line must hold the whole width, or the row would be read past its end.
  if (uint64_t{bytes_per_line} * 8 < uint64_t{width} * bits) return DecodeStatus::kCorrupt;

  size_t data_end = size;
  uint8_t palette[256 * 3];  // RGB triples as stored
  for (unsigned i = 0; i < 16 * 3; ++i) palette[i] = data[16 + i];
  if (bits == 8 && planes == 1) {
    if (size < kHeaderSize + kVgaPaletteSize || data[size - kVgaPaletteSize] != 0x0C)
      return DecodeStatus::kTruncated;
    data_end = size - kVgaPaletteSize;
    for (unsigned i = 0; i < 256 * 3; ++i) palette[i] = data[data_end + 1 + i];
  } else if (bits == 1 && planes == 1) {
    // Monochrome files disagree about their header palette; black and white is what they mean.
    const uint8_t mono[6] = {0, 0, 0, 255, 255, 255};
    for (unsigned i = 0; i < 6; ++i) palette[i] = mono[i];
  }

  const size_t line_bytes = size_t{bytes_per_line} * planes;
  const uint64_t total = uint64_t{line_bytes} * height;
  const uint64_t available = data_end - kHeaderSize;
  // A two-byte run yields at most 63 bytes: refuse before allocating when the
  // data cannot cover the picture.
  if (rle ? available * 63 < total * 2 : available < total) return DecodeStatus::kTruncated;
  if (!out.Allocate(static_cast<int>(width), static_cast<int>(height))) return DecodeStatus::kOutOfMemory;

  std::vector<uint8_t> line(line_bytes);
  const uint8_t* p = data + kHeaderSize;
  const uint8_t* end = data + data_end;
  // A run may carry over into the next line; many encoders write them so.
  unsigned pending = 0;
  uint8_t pending_value = 0;
  for (unsigned y = 0; y < height; ++y) {
    size_t i = 0;
    while (i < line_bytes) {
      if (pending) {
        const size_t n = pending < line_bytes - i ? pending : line_bytes - i;
        for (size_t k = 0; k < n; ++k) line[i++] = pending_value;
        pending -= static_cast<unsigned>(n);
        continue;
      }
      if (p >= end) return DecodeStatus::kTruncated;
      uint8_t b = *p++;
      if (rle && (b & 0xC0) == 0xC0) {
        if (p >= end) return DecodeStatus::kTruncated;
        pending = b & 0x3F;
        pending_value = *p++;
      } else {
        line[i++] = b;
      }
    }
    uint8_t* row = out.row(static_cast<int>(y));
    if (bits == 8 && planes >= 3) {
      const uint8_t* r = line.data();
      const uint8_t* g = r + bytes_per_line;
      const uint8_t* bl = g + bytes_per_line;
      for (unsigned x = 0; x < width; ++x) {
        row[3 * x] = bl[x];
        row[3 * x + 1] = g[x];
        row[3 * x + 2] = r[x];
      }
      continue;
    }
    for (unsigned x = 0; x < width; ++x) {
      unsigned index = 0;
      if (bits == 8) {
        index = line[x];
      } else {
        // Packed pixels, most significant first; with several planes each plane adds one bit.
        for (unsigned plane = 0; plane < planes; ++plane) {
          const uint8_t* src = line.data() + size_t{plane} * bytes_per_line;
          const unsigned bit_pos = x * bits;
          const unsigned value = (src[bit_pos / 8] >> (8 - bits - bit_pos % 8)) & ((1u << bits) - 1);
          index |= value << (plane * bits);
        }
      }
      row[3 * x] = palette[3 * index + 2];
      row[3 * x + 1] = palette[3 * index + 1];
      row[3 * x + 2] = palette[3 * index];
    }
  }
  // Leftover run bytes past the last line mean the encoder and header disagree.
  if (pending) return DecodeStatus::kCorrupt;
  return DecodeStatus::kOk;
}

}  // namespace

bool LooksLikePcx(const uint8_t* data, size_t size) { return size >= 4 && SignatureMatches(data); }

DecodeStatus DecodePcx(const uint8_t* data, size_t size, Pixmap& out) {
  const DecodeStatus status = DecodePcxPixels(data, size, out);
  if (status != DecodeStatus::kOk) out.Release();
  return status;
}

}  // namespace image
