// Painting pictures into device contexts.
#include <windows.h>

#include <cstring>

#include "wallpaper/image/bt_image.h"
#include "wallpaper/image/image_limits.h"

namespace {

// One rectangle of a pixmap as rows.
class RegionSource final : public image::RowSource {
 public:
  RegionSource(const image::Pixmap& p, const RECT& r) : p_(p), r_(r), next_(r.top) {}
  int Width() const override { return r_.right - r_.left; }
  int Height() const override { return r_.bottom - r_.top; }
  bool ReadRows(uint8_t* dst, size_t stride, int count) override {
    if (count < 0 || next_ + count > r_.bottom) return false;
    for (int i = 0; i < count; ++i, ++next_)
      std::memcpy(dst + stride * i, p_.row(next_) + 3 * r_.left, static_cast<size_t>(Width()) * 3);
    return true;
  }

 private:
  const image::Pixmap& p_;
  RECT r_;
  int next_;
};

// The source rectangle: the whole picture when null, else clipped to it. False when empty.
bool SourceRect(const image::Pixmap& p, const RECT* src, RECT& out) {
  out = src ? *src : RECT{0, 0, p.width(), p.height()};
  if (out.left < 0) out.left = 0;
  if (out.top < 0) out.top = 0;
  if (out.right > p.width()) out.right = p.width();
  if (out.bottom > p.height()) out.bottom = p.height();
  return out.right > out.left && out.bottom > out.top;
}

// Paints rows [top, top + rows) of `p`, columns [left, left + cols), at (x, y).
bool Blit(HDC dc, int x, int y, const image::Pixmap& p, int left, int top, int cols, int rows, DWORD rop) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = p.width();
  // Top-down, starting at the first row wanted: no doubt about where the source origin lies.
  info.bmiHeader.biHeight = -rows;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  return StretchDIBits(dc, x, y, cols, rows, left, 0, cols, rows, p.row(top), &info, DIB_RGB_COLORS, rop) != 0;
}

}  // namespace

struct BTCImageData::Gdi {
  HBITMAP bitmap = nullptr;
  image::Pixmap scaled;  // the last Stretch result, kept for repaints
  RECT scaled_from{};
  int scaled_width = 0, scaled_height = 0;
  ~Gdi() {
    if (bitmap) ::DeleteObject(bitmap);
  }
};

BTCImageData::BTCImageData() = default;
BTCImageData::~BTCImageData() = default;

void BTCImageData::DropCaches() { gdi_.reset(); }

HBITMAP__* BTCImageData::GetBitmap() {
  const image::Pixmap* p = Pixels();
  if (!p) return nullptr;
  if (!gdi_) gdi_ = std::make_unique<Gdi>();
  if (gdi_->bitmap) return gdi_->bitmap;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = p->width();
  info.bmiHeader.biHeight = -p->height();
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap || !bits) {
    if (bitmap) ::DeleteObject(bitmap);
    return nullptr;
  }
  GdiFlush();
  std::memcpy(bits, p->data(), p->byte_size());  // same row layout as the DIB's
  gdi_->bitmap = bitmap;
  return bitmap;
}

bool BTCImageData::Draw(HDC__* dc, const tagRECT* dst, const tagRECT* src, unsigned long rop) {
  const image::Pixmap* p = Pixels();
  RECT s;
  if (!dc || !p || !SourceRect(*p, src, s)) return false;
  const int x = dst ? dst->left : 0, y = dst ? dst->top : 0;
  return Blit(dc, x, y, *p, s.left, s.top, s.right - s.left, s.bottom - s.top, rop);
}

bool BTCImageData::Stretch(HDC__* dc, const tagRECT* dst, const tagRECT* src, unsigned long rop) {
  const image::Pixmap* p = Pixels();
  RECT s;
  if (!dc || !dst || !p || !SourceRect(*p, src, s)) return false;
  const int w = dst->right - dst->left, h = dst->bottom - dst->top;
  if (!image::DimensionsAllowed(w, h)) return false;
  if (w == s.right - s.left && h == s.bottom - s.top) return Blit(dc, dst->left, dst->top, *p, s.left, s.top, w, h, rop);
  if (!gdi_) gdi_ = std::make_unique<Gdi>();
  Gdi& g = *gdi_;
  // Dialogs repaint often at one size: scale once, paint the copy.
  if (g.scaled.empty() || g.scaled_width != w || g.scaled_height != h || !EqualRect(&g.scaled_from, &s)) {
    RegionSource region(*p, s);
    if (!resampler_.Resize(region, w, h, g.scaled)) return false;
    g.scaled_from = s;
    g.scaled_width = w;
    g.scaled_height = h;
  }
  return Blit(dc, dst->left, dst->top, g.scaled, 0, 0, w, h, rop);
}
