#pragma once
// Builders for small test pictures and files.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "wallpaper/image/pixmap.h"
#include "wallpaper/image/row_source.h"

namespace image::test {

using Bytes = std::vector<uint8_t>;

struct Bgr {
  uint8_t b, g, r;
  bool operator==(const Bgr&) const = default;
};
std::string ToString(const Bgr& c);

Bgr PixelAt(const Pixmap& p, int x, int y);
// A width x height pixmap whose pixel (x, y) is colour(x, y).
Pixmap MakePixmap(int width, int height, const std::function<Bgr(int, int)>& colour);

// Little-endian appenders.
void Put16(Bytes& b, unsigned v);
void Put32(Bytes& b, uint32_t v);
Bytes Concat(std::initializer_list<Bytes> parts);
Bytes Text(const std::string& s);

// An 18-byte TGA header.
Bytes TgaHeader(unsigned image_type, unsigned width, unsigned height, unsigned depth, unsigned descriptor = 0,
                unsigned colormap_type = 0, unsigned colormap_first = 0, unsigned colormap_length = 0,
                unsigned colormap_entry_bits = 0, unsigned id_length = 0);
// A 128-byte PCX header; `palette16` fills the 16-colour header palette when given.
Bytes PcxHeader(unsigned bits, unsigned planes, unsigned width, unsigned height, unsigned bytes_per_line,
                bool rle = true, const Bytes& palette16 = {});

std::string ReadFileBytes(const std::string& path);
std::string TempPath(const std::string& name);

// Hides the in-memory pixmap, so scaler and writer take their streaming path;
// optionally fails after `fail_after` rows, like a decoder meeting corrupt data.
class StreamedSource final : public RowSource {
 public:
  explicit StreamedSource(const Pixmap& p, int fail_after = -1) : inner_(p), fail_after_(fail_after) {}
  int Width() const override { return inner_.Width(); }
  int Height() const override { return inner_.Height(); }
  bool ReadRows(uint8_t* dst, size_t stride, int count) override {
    read_ += count;
    if (fail_after_ >= 0 && read_ > fail_after_) return false;
    return inner_.ReadRows(dst, stride, count);
  }
  int rows_read() const { return read_; }

 private:
  PixmapRowSource inner_;
  int fail_after_;
  int read_ = 0;
};

}  // namespace image::test
