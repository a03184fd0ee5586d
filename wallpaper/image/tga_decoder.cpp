#include "wallpaper/image/tga_decoder.h"

#include <vector>

#include "wallpaper/image/image_limits.h"

namespace image {
namespace {

constexpr size_t kHeaderSize = 18;

struct TgaHeader {
  unsigned id_length, colormap_type, image_type;
  unsigned colormap_first, colormap_length, colormap_entry_bits;
  unsigned width, height, depth, descriptor;
};

unsigned U16(const uint8_t* p) { return p[0] | (p[1] << 8); }

TgaHeader ReadHeader(const uint8_t* d) {
  return {d[0], d[1], d[2], U16(d + 3), U16(d + 5), d[7], U16(d + 12), U16(d + 14), d[16], d[17]};
}

bool IsColormapped(unsigned type) { return type == 1 || type == 9; }
bool IsTrueColour(unsigned type) { return type == 2 || type == 10; }
bool IsGrey(unsigned type) { return type == 3 || type == 11; }
bool IsRle(unsigned type) { return type >= 9; }

bool HeaderConsistent(const TgaHeader& h) {
  if (h.colormap_type > 1) return false;
  if (IsColormapped(h.image_type)) {
    if (h.colormap_type != 1 || (h.depth != 8 && h.depth != 16)) return false;
  } else if (IsTrueColour(h.image_type)) {
    if (h.depth != 15 && h.depth != 16 && h.depth != 24 && h.depth != 32) return false;
  } else if (IsGrey(h.image_type)) {
    if (h.depth != 8 && h.depth != 16) return false;
  } else {
    return false;
  }
  if (h.colormap_type == 1) {
    const unsigned e = h.colormap_entry_bits;
    if (e != 15 && e != 16 && e != 24 && e != 32) return false;
  }
  return true;
}

// 5-5-5 little-endian word to BGR; the top bit is an attribute we ignore.
void From555(unsigned v, uint8_t* bgr) {
  const unsigned b = v & 31, g = (v >> 5) & 31, r = (v >> 10) & 31;
  bgr[0] = static_cast<uint8_t>((b << 3) | (b >> 2));
  bgr[1] = static_cast<uint8_t>((g << 3) | (g >> 2));
  bgr[2] = static_cast<uint8_t>((r << 3) | (r >> 2));
}

// Colour of one stored pixel or colour-map entry of `bits` depth. Alpha is
// dropped: TGA writers disagree on whether it is meaningful.
void ToBgr(const uint8_t* p, unsigned bits, bool grey, uint8_t* bgr) {
  if (grey) {
    bgr[0] = bgr[1] = bgr[2] = p[0];  // 16-bit grey is grey + alpha
  } else if (bits == 15 || bits == 16) {
    From555(U16(p), bgr);
  } else {
    bgr[0] = p[0];
    bgr[1] = p[1];
    bgr[2] = p[2];
  }
}

}  // namespace

bool LooksLikeTga(const uint8_t* data, size_t size) {
  return size >= kHeaderSize && HeaderConsistent(ReadHeader(data)) && U16(data + 12) != 0 &&
         U16(data + 14) != 0;
}

namespace {

DecodeStatus DecodeTgaPixels(const uint8_t* data, size_t size, Pixmap& out) {
  if (size < kHeaderSize) return DecodeStatus::kTruncated;
  const TgaHeader h = ReadHeader(data);
  if (!HeaderConsistent(h)) return DecodeStatus::kNotThisFormat;
  if (h.width == 0 || h.height == 0) return DecodeStatus::kCorrupt;
  if (!DimensionsAllowed(h.width, h.height)) return DecodeStatus::kTooLarge;

  size_t pos = kHeaderSize + h.id_length;
  const unsigned entry_bytes = (h.colormap_entry_bits + 7) / 8;
  std::vector<uint8_t> palette;  // BGR triples
  if (h.colormap_type == 1) {
    const size_t map_bytes = static_cast<size_t>(h.colormap_length) * entry_bytes;
    if (pos > size || size - pos < map_bytes) return DecodeStatus::kTruncated;
    if (IsColormapped(h.image_type)) {
      palette.resize(static_cast<size_t>(h.colormap_length) * 3);
      for (unsigned i = 0; i < h.colormap_length; ++i)
        ToBgr(data + pos + i * entry_bytes, h.colormap_entry_bits, false, &palette[i * 3]);
    }
    pos += map_bytes;
  }
  if (pos > size) return DecodeStatus::kTruncated;

  const unsigned pixel_bytes = (h.depth + 7) / 8;
  const uint64_t pixels = uint64_t{h.width} * h.height;
  const uint64_t available = size - pos;
  // Refuse before allocating when the data cannot possibly cover the picture:
  // a raw pixel takes pixel_bytes, a run packet covers at most 128 pixels.
  const uint64_t least = IsRle(h.image_type) ? (pixels + 127) / 128 * (1 + pixel_bytes) : pixels * pixel_bytes;
  if (available < least) return DecodeStatus::kTruncated;
  if (!out.Allocate(static_cast<int>(h.width), static_cast<int>(h.height))) return DecodeStatus::kOutOfMemory;

  const bool grey = IsGrey(h.image_type);
  const bool mapped = IsColormapped(h.image_type);
  const bool top_down = (h.descriptor & 0x20) != 0;
  const bool right_to_left = (h.descriptor & 0x10) != 0;

  // Converts one stored pixel; false for a colour-map index outside the map.
  auto convert = [&](const uint8_t* p, uint8_t* bgr) {
    if (!mapped) {
      ToBgr(p, h.depth, grey, bgr);
      return true;
    }
    const unsigned raw = h.depth == 8 ? p[0] : U16(p);
    if (raw < h.colormap_first || raw - h.colormap_first >= h.colormap_length) return false;
    const uint8_t* c = &palette[(raw - h.colormap_first) * 3];
    bgr[0] = c[0];
    bgr[1] = c[1];
    bgr[2] = c[2];
    return true;
  };
  auto target = [&](uint64_t index) {
    const unsigned y = static_cast<unsigned>(index / h.width);
    const unsigned x = static_cast<unsigned>(index % h.width);
    return out.row(static_cast<int>(top_down ? y : h.height - 1 - y)) + 3 * (right_to_left ? h.width - 1 - x : x);
  };

  const uint8_t* end = data + size;
  const uint8_t* p = data + pos;
  if (!IsRle(h.image_type)) {
    for (uint64_t index = 0; index < pixels; ++index, p += pixel_bytes)
      if (!convert(p, target(index))) return DecodeStatus::kCorrupt;
    return DecodeStatus::kOk;
  }
  uint64_t index = 0;
  while (index < pixels) {
    if (p >= end) return DecodeStatus::kTruncated;
    const uint8_t packet = *p++;
    const uint64_t count = (packet & 0x7f) + 1u;
    // A packet may continue onto the next row, but never past the picture.
    if (count > pixels - index) return DecodeStatus::kCorrupt;
    if (packet & 0x80) {
      if (static_cast<size_t>(end - p) < pixel_bytes) return DecodeStatus::kTruncated;
      uint8_t bgr[3];
      if (!convert(p, bgr)) return DecodeStatus::kCorrupt;
      p += pixel_bytes;
      for (uint64_t i = 0; i < count; ++i, ++index) {
        uint8_t* t = target(index);
        t[0] = bgr[0];
        t[1] = bgr[1];
        t[2] = bgr[2];
      }
    } else {
      if (static_cast<uint64_t>(end - p) < count * pixel_bytes) return DecodeStatus::kTruncated;
      for (uint64_t i = 0; i < count; ++i, ++index, p += pixel_bytes)
        if (!convert(p, target(index))) return DecodeStatus::kCorrupt;
    }
  }
  return DecodeStatus::kOk;
}

}  // namespace

DecodeStatus DecodeTga(const uint8_t* data, size_t size, Pixmap& out) {
  const DecodeStatus status = DecodeTgaPixels(data, size, out);
  if (status != DecodeStatus::kOk) out.Release();
  return status;
}

}  // namespace image
