#include "wallpaper/image/pnm_decoder.h"

#include <vector>

#include "wallpaper/image/image_limits.h"

namespace image {
namespace {

bool IsSpace(uint8_t c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : p_(data), end_(data + size) {}

  // Skips whitespace and comments ('#' to the end of the line).
  void SkipSpace() {
    while (p_ < end_) {
      if (IsSpace(*p_)) {
        ++p_;
      } else if (*p_ == '#') {
        while (p_ < end_ && *p_ != '\n' && *p_ != '\r') ++p_;
      } else {
        break;
      }
    }
  }

  // A decimal number up to `limit`; kTruncated at the end of data, kCorrupt for
  // anything else that is not a digit or a value over the limit.
  DecodeStatus Number(unsigned limit, unsigned& value) {
    SkipSpace();
    if (p_ >= end_) return DecodeStatus::kTruncated;
    if (*p_ < '0' || *p_ > '9') return DecodeStatus::kCorrupt;
    uint64_t v = 0;
    while (p_ < end_ && *p_ >= '0' && *p_ <= '9') {
      v = v * 10 + (*p_++ - '0');
      if (v > limit) return DecodeStatus::kCorrupt;
    }
    value = static_cast<unsigned>(v);
    return DecodeStatus::kOk;
  }

  // One plain-bitmap digit; these may be written without separators.
  DecodeStatus Bit(unsigned& value) {
    SkipSpace();
    if (p_ >= end_) return DecodeStatus::kTruncated;
    if (*p_ != '0' && *p_ != '1') return DecodeStatus::kCorrupt;
    value = static_cast<unsigned>(*p_++ - '0');
    return DecodeStatus::kOk;
  }

  const uint8_t* pos() const { return p_; }
  void Advance(size_t n) { p_ += n; }
  size_t left() const { return static_cast<size_t>(end_ - p_); }
  bool AtEnd() const { return p_ >= end_; }
  uint8_t Peek() const { return *p_; }

 private:
  const uint8_t* p_;
  const uint8_t* end_;
};

#define SF_TRY(expr)                              \
  do {                                            \
    const DecodeStatus s_ = (expr);               \
    if (s_ != DecodeStatus::kOk) return s_;       \
  } while (0)

DecodeStatus DecodePnmPixels(const uint8_t* data, size_t size, Pixmap& out) {
  if (!LooksLikePnm(data, size)) return DecodeStatus::kNotThisFormat;
  const int kind = data[1] - '0';  // 1..6
  const bool plain = kind <= 3;
  const int channels = (kind == 3 || kind == 6) ? 3 : 1;
  const bool bitmap = kind == 1 || kind == 4;

  Reader r(data + 2, size - 2);
  unsigned width = 0, height = 0, maxval = 1;
  // Sides just over the limit still parse, so that they report kTooLarge.
  SF_TRY(r.Number(1u << 24, width));
  SF_TRY(r.Number(1u << 24, height));
  if (!bitmap) SF_TRY(r.Number(65535, maxval));
  if (width == 0 || height == 0 || maxval == 0) return DecodeStatus::kCorrupt;
  if (!DimensionsAllowed(width, height)) return DecodeStatus::kTooLarge;

  const uint64_t samples = uint64_t{width} * height * channels;
  const unsigned sample_bytes = maxval > 255 ? 2 : 1;
  uint64_t least;
  if (plain) {
    // A plain sample is at least one character, and all but bitmap digits need a separator.
    least = bitmap ? samples : samples * 2 - 1;
  } else {
    // Exactly one whitespace character separates the header from raw data.
    if (r.AtEnd()) return DecodeStatus::kTruncated;
    if (!IsSpace(r.Peek())) return DecodeStatus::kCorrupt;
    r.Advance(1);
    least = bitmap ? uint64_t{(width + 7) / 8} * height : samples * sample_bytes;
  }
  if (r.left() < least) return DecodeStatus::kTruncated;
  if (!out.Allocate(static_cast<int>(width), static_cast<int>(height))) return DecodeStatus::kOutOfMemory;

  // Sample value to 8 bits, rounded.
  std::vector<uint8_t> scale;
  if (maxval <= 255) {
    scale.resize(maxval + 1);
    for (unsigned v = 0; v <= maxval; ++v) scale[v] = static_cast<uint8_t>((v * 255 + maxval / 2) / maxval);
  }
  auto to8 = [&](unsigned v) {
    return maxval <= 255 ? scale[v] : static_cast<uint8_t>((uint64_t{v} * 255 + maxval / 2) / maxval);
  };

  for (unsigned y = 0; y < height; ++y) {
    uint8_t* row = out.row(static_cast<int>(y));
    if (kind == 4) {
      const uint8_t* src = r.pos();
      for (unsigned x = 0; x < width; ++x) {
        const uint8_t v = (src[x / 8] >> (7 - x % 8)) & 1 ? 0 : 255;  // 1 is black
        row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = v;
      }
      r.Advance((width + 7) / 8);
      continue;
    }
    for (unsigned x = 0; x < width; ++x) {
      unsigned v[3] = {0, 0, 0};
      for (int c = 0; c < channels; ++c) {
        if (kind == 1) {
          SF_TRY(r.Bit(v[c]));
          v[c] = v[c] ? 0 : 1;  // 1 is black: map to the 0..1 range where 1 is white
        } else if (plain) {
          SF_TRY(r.Number(maxval, v[c]));
        } else {
          const uint8_t* s = r.pos();
          v[c] = sample_bytes == 2 ? (s[0] << 8 | s[1]) : s[0];
          r.Advance(sample_bytes);
          if (v[c] > maxval) return DecodeStatus::kCorrupt;
        }
      }
      if (channels == 1) {
        row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = to8(v[0]);
      } else {
        row[3 * x] = to8(v[2]);
        row[3 * x + 1] = to8(v[1]);
        row[3 * x + 2] = to8(v[0]);
      }
    }
  }
  return DecodeStatus::kOk;
}

}  // namespace

bool LooksLikePnm(const uint8_t* data, size_t size) {
  return size >= 3 && data[0] == 'P' && data[1] >= '1' && data[1] <= '6' && (IsSpace(data[2]) || data[2] == '#');
}

DecodeStatus DecodePnm(const uint8_t* data, size_t size, Pixmap& out) {
  const DecodeStatus status = DecodePnmPixels(data, size, out);
  if (status != DecodeStatus::kOk) out.Release();
  return status;
}

}  // namespace image
