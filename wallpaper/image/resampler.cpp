#include "wallpaper/image/resampler.h"

#include <algorithm>
#include <cstring>

#include "wallpaper/image/image_limits.h"

namespace image {

void AxisWeights::Compute(int source_size, int target_size) {
  const int64_t src = source_size, dst = target_size;
  // Box taps: ceil(src/dst) + 1 covers the worst alignment; bilinear needs 2.
  max_taps = src > dst ? static_cast<int>((src + dst - 1) / dst) + 1 : 2;
  start.assign(target_size, 0);
  count.assign(target_size, 0);
  weights.assign(static_cast<size_t>(target_size) * max_taps, 0);
  std::vector<int64_t> raw(max_taps);
  for (int64_t o = 0; o < dst; ++o) {
    int64_t first = 0, n = 0, total = 0;
    if (src > dst) {
      // Output pixel o covers source [o*src/dst, (o+1)*src/dst); in units of
      // 1/dst source pixels the ends are integers, so the overlaps are exact.
      const int64_t lo = o * src, hi = (o + 1) * src;
      first = lo / dst;
      const int64_t last = (hi - 1) / dst;
      n = last - first + 1;
      for (int64_t k = 0; k < n; ++k) {
        const int64_t a = std::max(lo, (first + k) * dst), b = std::min(hi, (first + k + 1) * dst);
        raw[k] = b - a;
      }
      total = src;
    } else {
      // Pixel centres: output centre (o + 0.5) maps to source (o + 0.5) * src/dst - 0.5,
      // held as a fraction over 2*dst to stay in integers.
      const int64_t num = (2 * o + 1) * src - dst;  // source position * 2*dst
      const int64_t den = 2 * dst;
      if (num <= 0) {
        first = 0, n = 1, raw[0] = 1, total = 1;
      } else {
        first = num / den;
        const int64_t frac = num % den;
        if (first >= src - 1) {
          first = src - 1, n = 1, raw[0] = 1, total = 1;
        } else {
          n = 2, raw[0] = den - frac, raw[1] = frac, total = den;
        }
      }
    }
    int16_t* w = weights.data() + o * max_taps;
    int sum = 0, largest = 0;
    for (int64_t k = 0; k < n; ++k) {
      w[k] = static_cast<int16_t>((raw[k] * kOne + total / 2) / total);
      sum += w[k];
      if (w[k] > w[largest]) largest = static_cast<int>(k);
    }
    w[largest] = static_cast<int16_t>(w[largest] + (kOne - sum));
    // Drop zero taps at both ends.
    int64_t skip = 0;
    while (n > 1 && w[skip] == 0) ++skip, --n;
    if (skip) std::memmove(w, w + skip, n * sizeof(int16_t)), std::fill(w + n, w + n + skip, 0);
    while (n > 1 && w[n - 1] == 0) --n;
    start[o] = static_cast<int32_t>(first + skip);
    count[o] = static_cast<int32_t>(n);
  }
}

namespace {

// sums[i] (+)= weight * row[i]; written as plain loops for the vectoriser.
void AccumulateRow(uint32_t* sums, const uint8_t* row, int16_t weight, size_t n, bool first) {
  const uint32_t w = static_cast<uint16_t>(weight);
  if (first) {
    for (size_t i = 0; i < n; ++i) sums[i] = w * row[i];
  } else {
    for (size_t i = 0; i < n; ++i) sums[i] += w * row[i];
  }
}

void AccumulateTwoRows(uint32_t* sums, const uint8_t* a, int16_t wa, const uint8_t* b, int16_t wb, size_t n,
                       bool first) {
  const uint32_t x = static_cast<uint16_t>(wa), y = static_cast<uint16_t>(wb);
  if (first) {
    for (size_t i = 0; i < n; ++i) sums[i] = x * a[i] + y * b[i];
  } else {
    for (size_t i = 0; i < n; ++i) sums[i] += x * a[i] + y * b[i];
  }
}

// 8-bit values times weights summing to 2^14, brought to 8.8 fixed point.
void Narrow(uint16_t* column, const uint32_t* sums, size_t n) {
  for (size_t i = 0; i < n; ++i) column[i] = static_cast<uint16_t>((sums[i] + 32) >> 6);
}

void HorizontalPass(uint8_t* out, const uint16_t* column, const AxisWeights& h, int width) {
  for (int x = 0; x < width; ++x) {
    const int16_t* w = h.of(x);
    const uint16_t* s = column + static_cast<size_t>(h.start[x]) * 3;
    uint32_t b = 1u << 21, g = 1u << 21, r = 1u << 21;
    for (int k = 0, n = h.count[x]; k < n; ++k, s += 3) {
      const uint32_t wk = static_cast<uint16_t>(w[k]);
      b += wk * s[0];
      g += wk * s[1];
      r += wk * s[2];
    }
    out[3 * x] = static_cast<uint8_t>(std::min<uint32_t>(b >> 22, 255));
    out[3 * x + 1] = static_cast<uint8_t>(std::min<uint32_t>(g >> 22, 255));
    out[3 * x + 2] = static_cast<uint8_t>(std::min<uint32_t>(r >> 22, 255));
  }
}

}  // namespace

bool Resampler::Resize(RowSource& src, int width, int height, Pixmap& out) {
  const int sw = src.Width(), sh = src.Height();
  if (!DimensionsAllowed(sw, sh) || !DimensionsAllowed(width, height)) return false;
  if (!out.Allocate(width, height)) return false;
  const size_t row_bytes = static_cast<size_t>(sw) * 3;

  if (sw == width && sh == height) {
    if (!src.ReadRows(out.data(), out.stride(), height)) return out.Release(), false;
    return true;
  }

  horizontal_.Compute(sw, width);
  vertical_.Compute(sh, height);
  const Pixmap* whole = src.InMemory();
  const int ring_rows = vertical_.max_taps;
  if (!whole && !ring_.Reserve(row_bytes * ring_rows)) return out.Release(), false;
  rows_.resize(ring_rows);
  sums_.resize(row_bytes);
  column_.resize(row_bytes);

  int next_row = 0;  // first source row not yet read
  for (int y = 0; y < height; ++y) {
    const int first = vertical_.start[y], n = vertical_.count[y];
    for (int k = 0; k < n; ++k) {
      const int r = first + k;
      if (whole) {
        rows_[k] = whole->row(r);
        continue;
      }
      uint8_t* slot = ring_.data() + static_cast<size_t>(r % ring_rows) * row_bytes;
      // Spans only move forward, so each source row is read exactly once.
      while (next_row <= r) {
        uint8_t* dst = ring_.data() + static_cast<size_t>(next_row % ring_rows) * row_bytes;
        if (!src.ReadRows(dst, row_bytes, 1)) return out.Release(), false;
        ++next_row;
      }
      rows_[k] = slot;
    }
    const int16_t* w = vertical_.of(y);
    int k = 0;
    for (; k + 1 < n; k += 2)
      AccumulateTwoRows(sums_.data(), rows_[k], w[k], rows_[k + 1], w[k + 1], row_bytes, k == 0);
    if (k < n) AccumulateRow(sums_.data(), rows_[k], w[k], row_bytes, k == 0);
    Narrow(column_.data(), sums_.data(), row_bytes);
    HorizontalPass(out.row(y), column_.data(), horizontal_, width);
  }
  return true;
}

}  // namespace image
