// The picture classes over our own decoders: load, size, scale, save, and the
// failures the wallpaper worker relies on seeing.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "wallpaper/image/bt_image.h"
#include "wallpaper/image/tests/test_images.h"

namespace image {
namespace {

using test::Bytes;
using test::Concat;

// A top-down 24-bit TGA of width x height filled with one colour (b, g, r).
Bytes FlatTga(int width, int height, uint8_t b, uint8_t g, uint8_t r) {
  Bytes f = test::TgaHeader(2, width, height, 24, 0x20);
  for (int i = 0; i < width * height; ++i) f.insert(f.end(), {b, g, r});
  return f;
}

std::string WriteTemp(const std::string& name, const Bytes& bytes) {
  const std::string path = test::TempPath(name);
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
  return path;
}

TEST(ImagePicture, LoadFileReportsSizeDepthAndCodec) {
  const std::string path = WriteTemp("flat.tga", FlatTga(5, 3, 10, 20, 30));
  BTCImageObject image;
  EXPECT_EQ(image.Load(path.c_str(), nullptr, nullptr, 2), BTCodecTga);
  std::remove(path.c_str());
  BTCImageData* data = image.GetObjectDataPtr();
  EXPECT_EQ(data->GetWidth(), 5);
  EXPECT_EQ(data->GetHeight(), 3);
  EXPECT_EQ(data->GetImageSize(), 16u * 3) << "rows padded to 4 bytes";
  EXPECT_EQ(data->GetBitsPerPixel(), 24);
  EXPECT_EQ(data->GetColorTable(), nullptr);
  EXPECT_TRUE(data->ConvertTo24BPP());
}

// The wallpaper worker's chain: load from memory, scale, save as a bitmap.
TEST(ImagePicture, MemoryLoadScaleAndSaveBitmap) {
  BTCImageObject image;
  {
    const Bytes pcx = Concat({test::PcxHeader(8, 3, 4, 4, 4), Bytes(4, 50), Bytes(4, 100), Bytes(4, 150),
                              Bytes(4, 50), Bytes(4, 100), Bytes(4, 150), Bytes(4, 50), Bytes(4, 100), Bytes(4, 150),
                              Bytes(4, 50), Bytes(4, 100), Bytes(4, 150)});
    ASSERT_EQ(image.Load(pcx.data(), pcx.size()), BTCodecPcx);
  }  // the caller's bytes are gone now
  BTCImageData* data = image.GetObjectDataPtr();
  BTResizeFilter filter = BTResizeFilterSmooth;
  ASSERT_TRUE(data->Resize(7, 2, filter));
  EXPECT_EQ(data->GetWidth(), 7);
  EXPECT_EQ(data->GetImageSize(), 24u * 2);

  const int codec = BTCImageObject::GetCodecIdFromExtension("bmp", BTCodecTypeEncoder);
  ASSERT_EQ(codec, BTCodecBmp);
  const std::string out = test::TempPath("wall.bmp");
  ASSERT_EQ(image.Save(out.c_str(), codec), 0);
  const std::string file = test::ReadFileBytes(out);
  std::remove(out.c_str());
  ASSERT_EQ(file.size(), 54u + 24 * 2);
  EXPECT_EQ(file.substr(0, 2), "BM");
  // A flat picture stays exactly flat through the scaler: (r, g, b) = (50, 100, 150).
  for (int x = 0; x < 7; ++x) {
    EXPECT_EQ(static_cast<uint8_t>(file[54 + 3 * x]), 150);
    EXPECT_EQ(static_cast<uint8_t>(file[54 + 3 * x + 1]), 100);
    EXPECT_EQ(static_cast<uint8_t>(file[54 + 3 * x + 2]), 50);
  }
}

TEST(ImagePicture, LoadFailuresLeaveNoPicture) {
  const Bytes garbage = test::Text("this is not a picture at all");
  const Bytes huge = Concat({test::TgaHeader(2, 60000, 60000, 24), Bytes(100, 0)});
  const Bytes truncated = [] {
    Bytes b = FlatTga(4, 4, 1, 2, 3);
    b.resize(b.size() - 1);
    return b;
  }();
  for (const Bytes* bad : {&garbage, &huge, &truncated}) {
    BTCImageObject image;
    const Bytes good = FlatTga(2, 2, 0, 0, 0);
    ASSERT_GE(image.Load(good.data(), good.size()), 0);
    EXPECT_EQ(image.Load(bad->data(), bad->size()), -1);
    EXPECT_EQ(image.GetObjectDataPtr()->GetWidth(), 0) << "the earlier picture is gone too";
    EXPECT_EQ(image.GetObjectDataPtr()->GetImageSize(), 0u);
    EXPECT_NE(image.Save(test::TempPath("x.bmp").c_str(), BTCodecBmp), 0) << "nothing to save";
  }
  BTCImageObject image;
  EXPECT_EQ(image.Load(test::TempPath("missing.tga").c_str()), -1);
  EXPECT_EQ(image.Load(static_cast<const char*>(nullptr)), -1);
  EXPECT_EQ(image.Load(garbage.data(), 0), -1);
}

TEST(ImagePicture, RefusedOperationsKeepThePicture) {
  BTCImageObject image;
  const Bytes tga = FlatTga(3, 3, 9, 9, 9);
  ASSERT_GE(image.Load(tga.data(), tga.size()), 0);
  BTCImageData* data = image.GetObjectDataPtr();
  BTResizeFilter filter = BTResizeFilterSmooth;
  EXPECT_FALSE(data->Resize(0, 5, filter));
  EXPECT_FALSE(data->Resize(70000, 5, filter));
  EXPECT_EQ(data->GetWidth(), 3);
  EXPECT_NE(image.Save(test::TempPath("x.jpg").c_str(), BTCodecJpeg), 0) << "only bitmaps are written";
  EXPECT_NE(image.Save((test::TempPath("no-dir") + "/x.bmp").c_str(), BTCodecBmp), 0);
  EXPECT_EQ(data->GetWidth(), 3);

  data->DeleteObject();
  EXPECT_EQ(data->GetWidth(), 0);
  EXPECT_FALSE(data->Resize(2, 2, filter)) << "nothing to scale";
  EXPECT_GE(image.Load(tga.data(), tga.size()), 0) << "loads again after DeleteObject";
}

// A decoder that can also deliver its picture at half size, as JPEG can: 40 x 20
// (or 20 x 10), left half red and right half blue.
struct HalvingStats {
  int asked_width = 0, asked_height = 0, rows_read = 0;
};

class HalvingSource final : public RowSource {
 public:
  explicit HalvingSource(HalvingStats& stats) : stats_(stats) {}
  int Width() const override { return width_; }
  int Height() const override { return width_ / 2; }
  bool ReadRows(uint8_t* dst, size_t stride, int count) override {
    for (int i = 0; i < count; ++i)
      for (int x = 0; x < width_; ++x) {
        uint8_t* p = dst + stride * i + 3 * x;
        p[0] = x < width_ / 2 ? 0 : 255;
        p[1] = 0;
        p[2] = x < width_ / 2 ? 255 : 0;
      }
    stats_.rows_read += count;
    return true;
  }
  bool ReduceTo(int min_width, int min_height) override {
    stats_.asked_width = min_width, stats_.asked_height = min_height;
    if (stats_.rows_read || 20 < min_width || 10 < min_height) return false;
    width_ = 20;
    return true;
  }

 private:
  HalvingStats& stats_;
  int width_ = 40;
};

TEST(ImagePicture, ScalingLetsTheDecoderReduceFirst) {
  struct Case {
    int width, height;
    int rows_read;  // of the reduced picture when it was reduced
  };
  for (const Case c : {Case{15, 8, 10}, Case{20, 10, 10}, Case{30, 15, 20}, Case{80, 40, 20}}) {
    SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
    BTCImageData data;
    HalvingStats seen;
    data.Assign(std::make_unique<HalvingSource>(seen));
    EXPECT_EQ(data.GetWidth(), 40);
    BTResizeFilter filter = BTResizeFilterSmooth;
    ASSERT_TRUE(data.Resize(c.width, c.height, filter));
    EXPECT_EQ(seen.asked_width, c.width);
    EXPECT_EQ(seen.asked_height, c.height);
    EXPECT_EQ(seen.rows_read, c.rows_read);
    EXPECT_EQ(data.GetWidth(), c.width);
    const Pixmap* p = data.Pixels();
    ASSERT_TRUE(p);
    EXPECT_EQ(test::PixelAt(*p, 0, 0), (test::Bgr{0, 0, 255}));
    EXPECT_EQ(test::PixelAt(*p, c.width - 1, c.height - 1), (test::Bgr{255, 0, 0}));
  }
}

TEST(ImagePicture, CodecFromExtension) {
  struct Case {
    const char* ext;
    int type;
    int expected;
  };
  const Case cases[] = {
      {"bmp", BTCodecTypeEncoder, BTCodecBmp}, {".BMP", BTCodecTypeEncoder, BTCodecBmp},
      {"jpg", BTCodecTypeEncoder, BTCodecNone}, {"jpg", BTCodecTypeDecoder, BTCodecJpeg},
      {"Tiff", BTCodecTypeDecoder, BTCodecTiff}, {"pgm", BTCodecTypeDecoder, BTCodecPnm},
      {"", BTCodecTypeDecoder, BTCodecNone},     {"exe", BTCodecTypeDecoder, BTCodecNone},
  };
  for (const Case& c : cases)
    EXPECT_EQ(BTCImageObject::GetCodecIdFromExtension(c.ext, c.type), c.expected) << c.ext << " type " << c.type;
}

}  // namespace
}  // namespace image
