// Decoding through WIC: every format and pixel layout the program meets, the
// failures, reading a picture out on other threads, and painting.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <thread>

#include "wallpaper/image/bt_image.h"
#include "wallpaper/image/fit.h"
#include "wallpaper/image/tests/test_data.h"

namespace image {
namespace {

using test::Bgr;

constexpr Bgr kRed{0, 0, 255}, kGreen{0, 255, 0}, kBlue{255, 0, 0}, kWhite{255, 255, 255};

Bgr At(BTCImageData* d, int x, int y) {
  const Pixmap* p = d->Pixels();
  return p ? test::PixelAt(*p, x, y) : Bgr{1, 2, 3};
}

bool Near(Bgr a, Bgr b, int tolerance) {
  return std::abs(a.b - b.b) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.r - b.r) <= tolerance;
}

struct FormatCase {
  const char* file;
  int codec;
  int tolerance;  // lossy formats differ a little from the colours drawn
};

// Each file is a 16 x 16 picture of four quadrants: red, green / blue, white.
const FormatCase kQuadrantFiles[] = {
    {"quad.jpg", BTCodecJpeg, 24},        {"quad_progressive.jpg", BTCodecJpeg, 24},
    {"quad.gif", BTCodecGif, 0},          {"quad_rgb.png", BTCodecPng, 0},
    {"quad_palette.png", BTCodecPng, 0},  {"quad_rgb48.png", BTCodecPng, 0},
    {"quad.tiff", BTCodecTiff, 0},        {"quad_palette.bmp", BTCodecBmp, 0},
};

void ExpectQuadrants(BTCImageData* d, int tolerance, int size = 16) {
  const int a = size / 4, b = size * 3 / 4;
  EXPECT_TRUE(Near(At(d, a, a), kRed, tolerance)) << test::ToString(At(d, a, a));
  EXPECT_TRUE(Near(At(d, b, a), kGreen, tolerance)) << test::ToString(At(d, b, a));
  EXPECT_TRUE(Near(At(d, a, b), kBlue, tolerance)) << test::ToString(At(d, a, b));
  EXPECT_TRUE(Near(At(d, b, b), kWhite, tolerance)) << test::ToString(At(d, b, b));
}

TEST(ImageWic, DecodesEveryFormatFromFileAndMemory) {
  for (const FormatCase& c : kQuadrantFiles) {
    SCOPED_TRACE(c.file);
    const test::Bytes& bytes = test::TestFile(c.file);
    BTCImageObject from_memory;
    ASSERT_EQ(from_memory.Load(bytes.data(), bytes.size()), c.codec);
    EXPECT_EQ(from_memory.GetObjectDataPtr()->GetWidth(), 16);
    EXPECT_EQ(from_memory.GetObjectDataPtr()->GetHeight(), 16);
    EXPECT_EQ(from_memory.GetObjectDataPtr()->GetImageSize(), 48u * 16);
    ExpectQuadrants(from_memory.GetObjectDataPtr(), c.tolerance);

    const std::string path = test::TestFileOnDisk(c.file);
    BTCImageObject from_file;
    ASSERT_EQ(from_file.Load(path.c_str(), nullptr, nullptr, 2), c.codec);
    ExpectQuadrants(from_file.GetObjectDataPtr(), c.tolerance);
    from_file.GetObjectDataPtr()->DeleteObject();  // closes the file
    std::remove(path.c_str());
  }
}

TEST(ImageWic, GreyAlphaAndIcons) {
  BTCImageObject grey;
  const test::Bytes& g = test::TestFile("quad_grey.png");
  ASSERT_EQ(grey.Load(g.data(), g.size()), BTCodecPng);
  const Bgr dark = At(grey.GetObjectDataPtr(), 4, 12), light = At(grey.GetObjectDataPtr(), 12, 12);
  EXPECT_TRUE(dark.b == dark.g && dark.g == dark.r);
  EXPECT_EQ(light, kWhite);
  EXPECT_LT(dark.g, 64) << "blue is dark in grey";

  // Left half fully transparent, right half red at half opacity: laid over black.
  BTCImageObject alpha;
  const test::Bytes& a = test::TestFile("alpha.png");
  ASSERT_EQ(alpha.Load(a.data(), a.size()), BTCodecPng);
  EXPECT_EQ(At(alpha.GetObjectDataPtr(), 2, 8), (Bgr{0, 0, 0}));
  EXPECT_TRUE(Near(At(alpha.GetObjectDataPtr(), 12, 8), Bgr{0, 0, 128}, 2))
      << test::ToString(At(alpha.GetObjectDataPtr(), 12, 8));

  // An icon shows its largest image: here the 32 x 32 quadrants, not the 16 x 16 red one.
  BTCImageObject icon;
  const test::Bytes& i = test::TestFile("icon.ico");
  ASSERT_EQ(icon.Load(i.data(), i.size()), BTCodecIco);
  EXPECT_EQ(icon.GetObjectDataPtr()->GetWidth(), 32);
  ExpectQuadrants(icon.GetObjectDataPtr(), 8, 32);
}

TEST(ImageWic, BrokenAndHostileFilesFailToLoad) {
  const char* files[] = {"truncated.jpg", "huge_header.png", "huge_area.png"};
  for (const char* f : files) {
    SCOPED_TRACE(f);
    const test::Bytes& bytes = test::TestFile(f);
    BTCImageObject image;
    EXPECT_EQ(image.Load(bytes.data(), bytes.size()), -1);
    EXPECT_EQ(image.GetObjectDataPtr()->GetWidth(), 0);
  }
  const test::Bytes& jpg = test::TestFile("quad.jpg");
  for (size_t cut : {size_t{2}, size_t{20}, jpg.size() / 2}) {
    BTCImageObject image;
    EXPECT_EQ(image.Load(jpg.data(), cut), -1) << "cut at " << cut;
  }
  const test::Bytes garbage(5000, 0x5A);
  BTCImageObject image;
  EXPECT_EQ(image.Load(garbage.data(), garbage.size()), -1);
}

// The worker runs each operation on a new thread: a picture loaded on one thread
// is scaled on a second and saved on a third, and must come out as if done on one.
TEST(ImageWic, OperationsOnSuccessiveThreads) {
  const std::string out_one = test::TempPath("one.bmp"), out_three = test::TempPath("three.bmp");
  const test::Bytes& jpg = test::TestFile("quad.jpg");
  const FitSize fit = FitToScreen(40, 30, 16, 16);
  {
    BTCImageObject image;
    BTResizeFilter filter = BTResizeFilterSmooth;
    ASSERT_GE(image.Load(jpg.data(), jpg.size()), 0);
    ASSERT_TRUE(image.GetObjectDataPtr()->Resize(fit.width, fit.height, filter));
    ASSERT_EQ(image.Save(out_one.c_str(), BTCodecBmp), 0);
  }
  BTCImageObject image;
  int loaded = -1, saved = -1;
  bool resized = false;
  std::thread([&] { loaded = image.Load(jpg.data(), jpg.size()); }).join();
  std::thread([&] {
    BTResizeFilter filter = BTResizeFilterSmooth;
    resized = image.GetObjectDataPtr()->Resize(fit.width, fit.height, filter);
  }).join();
  std::thread([&] { saved = image.Save(out_three.c_str(), BTCodecBmp); }).join();
  EXPECT_GE(loaded, 0);
  EXPECT_TRUE(resized);
  EXPECT_EQ(saved, 0);
  const std::string one = test::ReadFileBytes(out_one), three = test::ReadFileBytes(out_three);
  EXPECT_EQ(one.size(), 54u + 92u * 30);  // 30 x 30, rows of 90 bytes padded to 92
  EXPECT_EQ(one, three);

  // A thread in a single-threaded apartment (a dialog's) decodes as well.
  std::thread([&] {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    BTCImageObject sta;
    EXPECT_GE(sta.Load(jpg.data(), jpg.size()), 0);
    ExpectQuadrants(sta.GetObjectDataPtr(), 24);
    CoUninitialize();
  }).join();

  // Our own bitmap reads back through WIC.
  BTCImageObject back;
  EXPECT_EQ(back.Load(out_three.c_str()), BTCodecBmp);
  EXPECT_EQ(back.GetObjectDataPtr()->GetWidth(), 30);
  back.GetObjectDataPtr()->DeleteObject();
  std::remove(out_one.c_str());
  std::remove(out_three.c_str());
}

// Reads pixel (x, y) of a 32-bit top-down DIB section.
Bgr DibPixel(const uint8_t* bits, int width, int x, int y) {
  const uint8_t* p = bits + (static_cast<size_t>(y) * width + x) * 4;
  return {p[0], p[1], p[2]};
}

TEST(ImageWic, DrawStretchAndBitmap) {
  BTCImageObject image;
  const test::Bytes& png = test::TestFile("quad_rgb.png");
  ASSERT_GE(image.Load(png.data(), png.size()), 0);
  BTCImageData* d = image.GetObjectDataPtr();

  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), 64, -64, 1, 32, BI_RGB};
  void* raw = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP target = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &raw, nullptr, 0);
  ASSERT_TRUE(dc && target && raw);
  HGDIOBJ old = SelectObject(dc, target);
  const uint8_t* bits = static_cast<const uint8_t*>(raw);

  // Unscaled at (10, 20); then only the green quadrant at (0, 0).
  RECT at{10, 20, 0, 0};
  ASSERT_TRUE(d->Draw(dc, &at, nullptr));
  GdiFlush();
  EXPECT_EQ(DibPixel(bits, 64, 12, 22), kRed);
  EXPECT_EQ(DibPixel(bits, 64, 24, 34), kWhite);
  RECT green{8, 0, 16, 8}, origin{0, 0, 0, 0};
  ASSERT_TRUE(d->Draw(dc, &origin, &green));
  GdiFlush();
  EXPECT_EQ(DibPixel(bits, 64, 0, 0), kGreen);
  EXPECT_EQ(DibPixel(bits, 64, 7, 7), kGreen);

  // Scaled to 48 x 48 at (16, 16): quadrant centres keep their colours.
  RECT big{16, 16, 64, 64};
  ASSERT_TRUE(d->Stretch(dc, &big, nullptr));
  ASSERT_TRUE(d->Stretch(dc, &big, nullptr)) << "repaint from the cached copy";
  GdiFlush();
  EXPECT_EQ(DibPixel(bits, 64, 24, 24), kRed);
  EXPECT_EQ(DibPixel(bits, 64, 56, 24), kGreen);
  EXPECT_EQ(DibPixel(bits, 64, 24, 56), kBlue);
  EXPECT_EQ(DibPixel(bits, 64, 56, 56), kWhite);
  RECT empty{5, 5, 5, 9};
  EXPECT_FALSE(d->Stretch(dc, &empty, nullptr));
  EXPECT_FALSE(d->Draw(nullptr, &at, nullptr));

  HBITMAP bitmap = d->GetBitmap();
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(d->GetBitmap(), bitmap) << "owned and cached by the picture";
  BITMAP bm{};
  ASSERT_TRUE(GetObject(bitmap, sizeof bm, &bm));
  EXPECT_EQ(bm.bmWidth, 16);
  EXPECT_EQ(bm.bmHeight, 16);
  EXPECT_EQ(bm.bmBitsPixel, 24);
  const uint8_t* pixels = static_cast<const uint8_t*>(bm.bmBits);
  EXPECT_EQ((Bgr{pixels[0], pixels[1], pixels[2]}), kRed) << "top row first";

  SelectObject(dc, old);
  DeleteObject(target);
  DeleteDC(dc);
}

}  // namespace
}  // namespace image
