#include "wallpaper/image/bmp_writer.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "wallpaper/image/buffer_pool.h"
#include "wallpaper/image/file_replace.h"
#include "wallpaper/image/image_limits.h"

namespace image {
namespace {

void Put16(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
void Put32(uint8_t* p, uint32_t v) {
  Put16(p, v & 0xFFFF);
  Put16(p + 2, v >> 16);
}

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

// Rows per read from a streaming source: large enough to keep call overhead
// low, small enough to stay in cache.
constexpr int kStripRows = 32;

bool WriteRows(std::FILE* f, RowSource& src, size_t stride) {
  const int width = src.Width(), height = src.Height();
  if (const Pixmap* whole = src.InMemory()) {
    // Bottom row first; the padding bytes of the pixmap are already zero.
    for (int y = height - 1; y >= 0; --y)
      if (std::fwrite(whole->row(y), 1, stride, f) != stride) return false;
    return true;
  }
  // The source delivers rows top first but the file stores them bottom first:
  // each strip goes to its place in the file, its rows written in reverse.
  PooledBuffer strip;
  if (!strip.Reserve(stride * kStripRows)) return false;
  for (int y = 0; y < height; y += kStripRows) {
    const int n = height - y < kStripRows ? height - y : kStripRows;
    for (int i = 0; i < n; ++i)
      for (size_t b = static_cast<size_t>(width) * 3; b < stride; ++b) strip.data()[stride * i + b] = 0;
    if (!src.ReadRows(strip.data(), stride, n)) return false;
    const long offset = static_cast<long>(kBmpHeaderSize + stride * static_cast<size_t>(height - y - n));
    if (std::fseek(f, offset, SEEK_SET) != 0) return false;
    for (int i = n - 1; i >= 0; --i)
      if (std::fwrite(strip.data() + stride * i, 1, stride, f) != stride) return false;
  }
  return true;
}

}  // namespace

void BuildBmpHeader(int width, int height, uint8_t (&h)[kBmpHeaderSize]) {
  const uint32_t image_bytes = static_cast<uint32_t>(RowStride24(width) * height);
  for (uint8_t& b : h) b = 0;
  h[0] = 'B';
  h[1] = 'M';
  Put32(h + 2, static_cast<uint32_t>(kBmpHeaderSize) + image_bytes);
  Put32(h + 10, static_cast<uint32_t>(kBmpHeaderSize));
  Put32(h + 14, 40);
  Put32(h + 18, static_cast<uint32_t>(width));
  Put32(h + 22, static_cast<uint32_t>(height));  // positive: bottom-up rows
  Put16(h + 26, 1);                              // planes
  Put16(h + 28, 24);                             // bits per pixel
  Put32(h + 30, 0);                              // BI_RGB
  Put32(h + 34, image_bytes);
  // Resolution and colour counts stay 0: unknown resolution, no colour table.
}

bool WriteBmpFile(const char* path, RowSource& src) {
  const int width = src.Width(), height = src.Height();
  // The limits keep the file under 2 GB, so 32-bit header fields and long offsets hold.
  static_assert(kMaxImagePixels * 3 + kMaxImageSide * 3 + 54 < (int64_t{1} << 31));
  if (!path || !*path || !DimensionsAllowed(width, height)) return false;
  const std::string temp = std::string(path) + ".part";
  bool ok = false;
  {
    UniqueFile f(std::fopen(temp.c_str(), "wb"));
    if (!f) return false;
    uint8_t header[kBmpHeaderSize];
    BuildBmpHeader(width, height, header);
    ok = std::fwrite(header, 1, sizeof header, f.get()) == sizeof header &&
         WriteRows(f.get(), src, static_cast<size_t>(RowStride24(width))) && std::fflush(f.get()) == 0;
    // A failed close means the data never reached the disk.
    ok = (std::fclose(f.release()) == 0) && ok;
  }
  if (ok) ok = ReplaceFileWith(temp.c_str(), path);
  if (!ok) std::remove(temp.c_str());
  return ok;
}

}  // namespace image
