#include "wallpaper/image/jpeg_markers.h"

#include <algorithm>
#include <cstring>

namespace image {
namespace {

constexpr uint8_t kSoi = 0xD8, kEoi = 0xD9, kSos = 0xDA, kTem = 0x01;

bool IsRestart(uint8_t m) { return m >= 0xD0 && m <= 0xD7; }
// Start-of-frame markers: C0..CF except DHT (C4), JPG (C8) and DAC (CC).
bool IsFrame(uint8_t m) { return m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC; }

// Position of the next marker after entropy-coded data starting at `pos`:
// 0xFF followed by a byte that is neither a stuffed zero, a restart marker nor
// more fill. `size` when there is none.
size_t EndOfEntropyData(const uint8_t* data, size_t size, size_t pos) {
  while (pos < size) {
    const void* ff = std::memchr(data + pos, 0xFF, size - pos);
    if (!ff) return size;
    pos = static_cast<size_t>(static_cast<const uint8_t*>(ff) - data);
    size_t next = pos + 1;
    while (next < size && data[next] == 0xFF) ++next;
    if (next >= size) return size;
    if (data[next] != 0x00 && !IsRestart(data[next])) return next - 1;
    pos = next + 1;
  }
  return size;
}

}  // namespace

bool LooksLikeJpeg(const uint8_t* data, size_t size) {
  return data && size >= 3 && data[0] == 0xFF && data[1] == kSoi && data[2] == 0xFF;
}

DecodeStatus CheckJpegStructure(const uint8_t* data, size_t size) {
  if (!data || size < 2 || data[0] != 0xFF || data[1] != kSoi) return DecodeStatus::kNotThisFormat;
  bool frame = false, scan = false;
  size_t pos = 2;
  while (pos < size) {
    if (data[pos] != 0xFF) {
      // Stray bytes between segments: the decoder skips them with a warning, so do we.
      const void* ff = std::memchr(data + pos, 0xFF, size - pos);
      if (!ff) break;
      pos = static_cast<size_t>(static_cast<const uint8_t*>(ff) - data);
    }
    while (pos < size && data[pos] == 0xFF) ++pos;  // fill bytes
    if (pos >= size) break;
    const uint8_t marker = data[pos++];
    if (marker == kEoi) return frame && scan ? DecodeStatus::kOk : DecodeStatus::kCorrupt;
    if (marker == kSoi) return DecodeStatus::kCorrupt;
    if (marker == 0x00 || marker == kTem || IsRestart(marker)) continue;
    if (size - pos < 2) break;
    const size_t length = size_t{data[pos]} << 8 | data[pos + 1];
    if (length < 2) return DecodeStatus::kCorrupt;
    if (size - pos < length) break;
    if (IsFrame(marker)) frame = true;
    pos += length;
    if (marker == kSos) {
      if (!frame) return DecodeStatus::kCorrupt;
      scan = true;
      pos = EndOfEntropyData(data, size, pos);
    }
  }
  return DecodeStatus::kTruncated;
}

JpegFrame FindJpegFrame(const uint8_t* data, size_t size) {
  JpegFrame frame;
  if (!LooksLikeJpeg(data, size)) return frame;
  size_t pos = 2;
  while (pos + 4 <= size) {
    if (data[pos] != 0xFF) return frame;  // stray bytes: leave it to the decoder
    while (pos < size && data[pos] == 0xFF) ++pos;
    if (pos + 3 > size) return frame;
    const uint8_t marker = data[pos++];
    if (marker == kEoi || marker == kSos || marker == kSoi) return frame;
    if (marker == 0x00 || marker == kTem || IsRestart(marker)) continue;
    const size_t length = size_t{data[pos]} << 8 | data[pos + 1];
    if (length < 2 || size - pos < length) return frame;
    if (IsFrame(marker)) {
      const uint8_t* f = data + pos + 2;
      const size_t n = length - 2;
      if (n < 6) return frame;
      frame.height = f[1] << 8 | f[2];
      frame.width = f[3] << 8 | f[4];
      frame.components = f[5];
      if (frame.components < 1 || frame.components > 4 || n < 6 + 3 * static_cast<size_t>(frame.components))
        return JpegFrame{};
      for (int c = 0; c < frame.components; ++c) {
        frame.h[c] = f[7 + 3 * c] >> 4;
        frame.v[c] = f[7 + 3 * c] & 15;
        if (frame.h[c] < 1 || frame.v[c] < 1) return JpegFrame{};
      }
      frame.progressive = marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE;
      frame.found = true;
      return frame;
    }
    pos += length;
  }
  return frame;
}

uint64_t JpegCoefficientBytes(const JpegFrame& frame) {
  if (!frame.found) return 0;
  int hmax = 1, vmax = 1;
  for (int c = 0; c < frame.components; ++c) hmax = std::max(hmax, frame.h[c]), vmax = std::max(vmax, frame.v[c]);
  uint64_t total = 0;
  for (int c = 0; c < frame.components; ++c) {
    const uint64_t h = static_cast<uint64_t>(frame.h[c]), v = static_cast<uint64_t>(frame.v[c]);
    const uint64_t blocks_across = (static_cast<uint64_t>(frame.width) * h + 8 * hmax - 1) / (8 * hmax);
    const uint64_t blocks_down = (static_cast<uint64_t>(frame.height) * v + 8 * vmax - 1) / (8 * vmax);
    total += (blocks_across + h - 1) / h * h * ((blocks_down + v - 1) / v * v) * 128;
  }
  return total;
}

}  // namespace image
