// JPEG through libjpeg-turbo: the reduced size chosen for a fit, every kind of
// file decoding to its colours at full and reduced size, the reduced decode
// giving the same fitted picture as a full one, and broken or hostile files
// failing cleanly.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "wallpaper/image/bt_image.h"
#include "wallpaper/image/fit.h"
#include "wallpaper/image/jpeg_decoder.h"
#include "wallpaper/image/jpeg_markers.h"
#include "wallpaper/image/jpeg_scale.h"
#include "wallpaper/image/picture_source.h"
#include "wallpaper/image/tests/jpeg_encode.h"
#include "wallpaper/image/tests/test_data.h"

namespace image {
namespace {

using test::Bgr;
using test::Bytes;
using test::JpegKind;

constexpr Bgr kRed{0, 0, 255}, kGreen{0, 255, 0}, kBlue{255, 0, 0}, kWhite{255, 255, 255};

bool Near(Bgr a, Bgr b, int tolerance) {
  return std::abs(a.b - b.b) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.r - b.r) <= tolerance;
}

// 96 x 64, four quadrants: red, green / blue, white (as the files in tests/data).
Pixmap Quadrants() {
  return test::MakePixmap(96, 64, [](int x, int y) {
    return y < 32 ? (x < 48 ? kRed : kGreen) : (x < 48 ? kBlue : kWhite);
  });
}

// Smooth ramps with a fine checker on top: detail that a reduced decode must keep.
Pixmap Detailed(int width, int height) {
  return test::MakePixmap(width, height, [=](int x, int y) {
    const int check = ((x / 3 + y / 3) % 2) * 40;
    return Bgr{static_cast<uint8_t>(x * 200 / width + check), static_cast<uint8_t>(y * 200 / height + check),
               static_cast<uint8_t>((x + y) * 100 / (width + height) + 60)};
  });
}

std::unique_ptr<RowSource> Open(const Bytes& bytes, DecodeStatus expected = DecodeStatus::kOk) {
  std::unique_ptr<RowSource> rows;
  EXPECT_EQ(OpenJpegMemory(bytes.data(), bytes.size(), rows), expected);
  return rows;
}

Pixmap ReadAll(RowSource& rows) {
  Pixmap p;
  EXPECT_TRUE(p.Allocate(rows.Width(), rows.Height()));
  EXPECT_TRUE(rows.ReadRows(p.data(), p.stride(), rows.Height()));
  return p;
}

TEST(ImageJpeg, ScaleCoversTheFittedSizeNotTheScreen) {
  struct Case {
    int width, height, screen_width, screen_height;
    int eighths;  // expected
  };
  const Case cases[] = {
      {6000, 4000, 1920, 1080, 3},  // fitted 1620x1080: 3/8 gives 2250x1500, 2/8 too little height
      {6000, 4000, 1280, 1024, 2},  // fitted 1280x853: 2/8 gives 1500x1000 (the screen's 1024 would need 3/8)
      {6000, 4000, 750, 600, 1},    // fitted 750x500: exactly 1/8
      {6000, 4000, 751, 600, 2},    // one pixel more than 1/8 gives
      {4000, 6000, 1920, 1080, 2},  // portrait: fitted 720x1080, 2/8 gives 1000x1500
      {1600, 1200, 1280, 1024, 7},  // fitted 1280x959: 7/8 gives 1400x1050, 6/8 only 1200
      {1920, 1080, 1920, 1080, 8},  // same size: full decode
      {640, 480, 1280, 1024, 8},    // enlarged: full decode
      {97, 65, 13, 9, 1},           // odd sides round up: 97/8 -> 13, 65/8 -> 9
  };
  for (const Case& c : cases) {
    const FitSize fit = FitToScreen(c.screen_width, c.screen_height, c.width, c.height);
    SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) + " fitted to " +
                 std::to_string(fit.width) + "x" + std::to_string(fit.height));
    const int n = ChooseJpegEighths(c.width, c.height, fit.width, fit.height);
    EXPECT_EQ(n, c.eighths);
    if (n < 8) {
      EXPECT_GE(ScaledSide(c.width, n), fit.width);
      EXPECT_GE(ScaledSide(c.height, n), fit.height);
      EXPECT_TRUE(ScaledSide(c.width, n - 1) < fit.width || ScaledSide(c.height, n - 1) < fit.height)
          << "a smaller size would have done";
    }
  }
  EXPECT_EQ(ChooseJpegEighths(6000, 4000, 0, 10), 8);
  EXPECT_EQ(ChooseJpegEighths(0, 4000, 10, 10), 8);
}

TEST(ImageJpeg, ReducedSizeIsWhatTheDecoderDelivers) {
  const Bytes jpg = test::EncodeJpeg(Detailed(203, 117), JpegKind::kBaseline);
  struct Case {
    int min_width, min_height, width, height;
  };
  // 203 x 117 at n/8, sides rounded up.
  for (const Case c : {Case{26, 15, 26, 15}, Case{27, 15, 51, 30}, Case{100, 50, 102, 59}, Case{160, 100, 178, 103},
                       Case{180, 100, 203, 117}}) {
    SCOPED_TRACE(std::to_string(c.min_width) + "x" + std::to_string(c.min_height));
    std::unique_ptr<RowSource> rows = Open(jpg);
    ASSERT_TRUE(rows);
    EXPECT_EQ(rows->ReduceTo(c.min_width, c.min_height), c.width != 203);
    EXPECT_EQ(rows->Width(), c.width);
    EXPECT_EQ(rows->Height(), c.height);
    const Pixmap p = ReadAll(*rows);
    EXPECT_FALSE(rows->ReduceTo(1, 1)) << "too late once rows were read";
  }
}

struct KindCase {
  const char* name;
  Bytes bytes;
  bool grey;
};

std::vector<KindCase> EveryKind() {
  const Pixmap quad = Quadrants();
  return {
      {"jpeg_baseline.jpg", test::TestFile("jpeg_baseline.jpg"), false},
      {"jpeg_progressive.jpg", test::TestFile("jpeg_progressive.jpg"), false},
      {"jpeg_grey.jpg", test::TestFile("jpeg_grey.jpg"), true},
      {"jpeg_cmyk.jpg", test::TestFile("jpeg_cmyk.jpg"), false},
      {"restart markers", test::EncodeJpeg(quad, JpegKind::kRestart), false},
      {"ycck", test::EncodeJpeg(quad, JpegKind::kYcck), false},
      {"cmyk (encoded here)", test::EncodeJpeg(quad, JpegKind::kCmyk), false},
      // Left to the system decoder where there is one; decoded here elsewhere.
      {"progressive 4:4:4", test::EncodeJpeg(quad, JpegKind::kProgressive444), false},
  };
}

void ExpectQuadrants(const Pixmap& p, bool grey) {
  const int a = p.width() / 4, b = p.width() * 3 / 4, c = p.height() / 4, d = p.height() * 3 / 4;
  const Bgr seen[] = {test::PixelAt(p, a, c), test::PixelAt(p, b, c), test::PixelAt(p, a, d), test::PixelAt(p, b, d)};
  const Bgr colour[] = {kRed, kGreen, kBlue, kWhite};
  for (int i = 0; i < 4; ++i) {
    if (grey) {
      // As ImageMagick greys them: 0.2126 R + 0.7152 G + 0.0722 B.
      const int luma[] = {54, 182, 18, 255};
      EXPECT_TRUE(seen[i].b == seen[i].g && seen[i].g == seen[i].r) << test::ToString(seen[i]);
      EXPECT_NEAR(seen[i].g, luma[i], 6) << "quadrant " << i;
    } else {
      EXPECT_TRUE(Near(seen[i], colour[i], 24)) << "quadrant " << i << ": " << test::ToString(seen[i]);
    }
  }
}

TEST(ImageJpeg, EveryKindDecodesAtFullAndReducedSize) {
  for (const KindCase& k : EveryKind()) {
    SCOPED_TRACE(k.name);
    std::unique_ptr<RowSource> full = Open(k.bytes);
    ASSERT_TRUE(full);
    EXPECT_EQ(full->Width(), 96);
    EXPECT_EQ(full->Height(), 64);
    ExpectQuadrants(ReadAll(*full), k.grey);

    std::unique_ptr<RowSource> quarter = Open(k.bytes);
    ASSERT_TRUE(quarter);
    ASSERT_TRUE(quarter->ReduceTo(24, 16));
    EXPECT_EQ(quarter->Width(), 24);
    EXPECT_EQ(quarter->Height(), 16);
    ExpectQuadrants(ReadAll(*quarter), k.grey);
  }
}

// The picture classes take every kind from a file and from memory, and say JPEG.
TEST(ImageJpeg, PictureClassesLoadEveryKind) {
  for (const KindCase& k : EveryKind()) {
    SCOPED_TRACE(k.name);
    BTCImageObject from_memory;
    ASSERT_EQ(from_memory.Load(k.bytes.data(), k.bytes.size()), BTCodecJpeg);
    const Pixmap* p = from_memory.GetObjectDataPtr()->Pixels();
    ASSERT_TRUE(p);
    EXPECT_EQ(p->width(), 96) << "unscaled (centre mode): full size";
    EXPECT_EQ(p->height(), 64);
    ExpectQuadrants(*p, k.grey);

    const std::string path = test::TempPath("kind.jpg");
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_TRUE(f);
    std::fwrite(k.bytes.data(), 1, k.bytes.size(), f);
    std::fclose(f);
    BTCImageObject from_file;
    ASSERT_EQ(from_file.Load(path.c_str()), BTCodecJpeg);
    BTResizeFilter filter = BTResizeFilterSmooth;
    ASSERT_TRUE(from_file.GetObjectDataPtr()->Resize(48, 32, filter));
    ExpectQuadrants(*from_file.GetObjectDataPtr()->Pixels(), k.grey);
    std::remove(path.c_str());
  }
}

// Decoding at a reduced size and then scaling gives the picture that a full
// decode and the same scale give, within the rounding of the two routes.
TEST(ImageJpeg, ReducedDecodeFitsLikeAFullOne) {
  struct Case {
    JpegKind kind;
    int screen_width, screen_height;
  };
  const Pixmap source = Detailed(600, 400);
  for (const Case c : {Case{JpegKind::kBaseline, 160, 120}, Case{JpegKind::kBaseline, 128, 102},
                       Case{JpegKind::kProgressive, 192, 108}, Case{JpegKind::kGrey, 75, 60},
                       Case{JpegKind::kCmyk, 250, 250}}) {
    const FitSize fit = FitToScreen(c.screen_width, c.screen_height, 600, 400);
    SCOPED_TRACE(std::to_string(static_cast<int>(c.kind)) + " fitted to " + std::to_string(fit.width) + "x" +
                 std::to_string(fit.height));
    const Bytes jpg = test::EncodeJpeg(source, c.kind, 95);
    BTResizeFilter filter = BTResizeFilterSmooth;
    BTCImageObject reduced, full;
    ASSERT_EQ(reduced.Load(jpg.data(), jpg.size()), BTCodecJpeg);
    ASSERT_EQ(full.Load(jpg.data(), jpg.size()), BTCodecJpeg);
    ASSERT_TRUE(full.GetObjectDataPtr()->Pixels()) << "decoded at full size first";
    ASSERT_TRUE(reduced.GetObjectDataPtr()->Resize(fit.width, fit.height, filter));
    ASSERT_TRUE(full.GetObjectDataPtr()->Resize(fit.width, fit.height, filter));
    const Pixmap& a = *reduced.GetObjectDataPtr()->Pixels();
    const Pixmap& b = *full.GetObjectDataPtr()->Pixels();
    ASSERT_EQ(a.width(), fit.width);
    ASSERT_EQ(b.width(), fit.width);
    long total = 0;
    int worst = 0;
    for (int y = 0; y < fit.height; ++y)
      for (int i = 0; i < fit.width * 3; ++i) {
        const int d = std::abs(a.row(y)[i] - b.row(y)[i]);
        total += d;
        worst = std::max(worst, d);
      }
    const double mean = static_cast<double>(total) / (fit.width * fit.height * 3);
    // Measured: means of 0.1 to 2.3, worst 12 (CMYK at half size, on the fine checker).
    EXPECT_LE(mean, 3.0);
    EXPECT_LE(worst, 20);
  }
}

// Offset of the first marker `code` (the 0xFF byte) in a file.
size_t Find(const Bytes& b, uint8_t code) {
  for (size_t i = 0; i + 1 < b.size(); ++i)
    if (b[i] == 0xFF && b[i + 1] == code) return i;
  ADD_FAILURE() << "no marker " << int{code};
  return 0;
}

Bytes WithSize(Bytes b, uint8_t sof, unsigned width, unsigned height) {
  const size_t at = Find(b, sof);
  b[at + 5] = static_cast<uint8_t>(height >> 8), b[at + 6] = static_cast<uint8_t>(height);
  b[at + 7] = static_cast<uint8_t>(width >> 8), b[at + 8] = static_cast<uint8_t>(width);
  return b;
}

// Every component at full resolution (sampling factors 1x1) in the frame header.
Bytes Unsubsampled(Bytes b) {
  size_t at = 0;
  for (size_t i = 0; i + 1 < b.size(); ++i)
    if (b[i] == 0xFF && (b[i + 1] == 0xC0 || b[i + 1] == 0xC2)) {
      at = i;
      break;
    }
  for (int c = 0; c < b[at + 9]; ++c) b[at + 11 + 3 * static_cast<size_t>(c)] = 0x11;
  return b;
}

TEST(ImageJpeg, BrokenFilesFailWhenOpened) {
  const Bytes good = test::TestFile("jpeg_baseline.jpg");
  const size_t sos = Find(good, 0xDA), sof = Find(good, 0xC0);
  struct Case {
    const char* name;
    Bytes bytes;
    DecodeStatus status;
  };
  auto cut = [&](size_t n) { return Bytes(good.begin(), good.begin() + static_cast<long>(n)); };
  auto patched = [&](size_t at, uint8_t value) {
    Bytes b = good;
    b[at] = value;
    return b;
  };
  const Case cases[] = {
      {"only the start marker", cut(3), DecodeStatus::kTruncated},
      {"cut inside the frame header", cut(sof + 6), DecodeStatus::kTruncated},
      {"cut in the scan header", cut(sos + 5), DecodeStatus::kTruncated},
      {"cut in the middle of the scan", cut((sos + good.size()) / 2), DecodeStatus::kTruncated},
      {"cut before the end marker", cut(good.size() - 2), DecodeStatus::kTruncated},
      {"segment length below 2", patched(sof + 3, 1), DecodeStatus::kCorrupt},
      {"frame of width 0", WithSize(good, 0xC0, 0, 64), DecodeStatus::kCorrupt},
      {"unknown component count", patched(sof + 9, 2), DecodeStatus::kCorrupt},
      {"scan before any frame", test::Concat({{0xFF, 0xD8}, Bytes(good.begin() + static_cast<long>(sos), good.end())}),
       DecodeStatus::kCorrupt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::unique_ptr<RowSource> rows;
    EXPECT_EQ(OpenJpegMemory(c.bytes.data(), c.bytes.size(), rows), c.status);
    EXPECT_FALSE(rows);
    BTCImageObject image;
    EXPECT_EQ(image.Load(c.bytes.data(), c.bytes.size()), -1);
    EXPECT_EQ(image.GetObjectDataPtr()->GetWidth(), 0);
  }
  EXPECT_EQ(CheckJpegStructure(good.data(), good.size()), DecodeStatus::kOk);
}

// The structure walk over what decoders accept and what they cannot finish.
TEST(ImageJpeg, StructureWalk) {
  const Bytes good = test::TestFile("jpeg_baseline.jpg");
  const Bytes body(good.begin() + 2, good.end() - 2);  // between the start and end markers
  const Bytes soi = {0xFF, 0xD8}, eoi = {0xFF, 0xD9};
  const Bytes restart = test::EncodeJpeg(Quadrants(), JpegKind::kRestart);
  struct Case {
    const char* name;
    Bytes bytes;
    DecodeStatus status;
  };
  const Case cases[] = {
      {"whole", good, DecodeStatus::kOk},
      {"restart markers and stuffed bytes in the scan", restart, DecodeStatus::kOk},
      {"progressive: several scans with tables between", test::TestFile("jpeg_progressive.jpg"), DecodeStatus::kOk},
      {"fill bytes before a marker", test::Concat({soi, {0xFF, 0xFF, 0xFF}, body, eoi}), DecodeStatus::kOk},
      {"stray bytes between segments", test::Concat({soi, {0x00, 0x12, 0x34}, body, eoi}), DecodeStatus::kOk},
      {"data after the end marker", test::Concat({good, Bytes(100, 0xAB)}), DecodeStatus::kOk},
      {"no end marker", test::Concat({soi, body}), DecodeStatus::kTruncated},
      {"scan ends in a lone 0xFF", test::Concat({soi, body, {0xFF}}), DecodeStatus::kTruncated},
      {"tables only", test::Concat({soi, {0xFF, 0xFE, 0x00, 0x04, 'h', 'i'}, eoi}), DecodeStatus::kCorrupt},
      {"a second start marker", test::Concat({soi, soi, body, eoi}), DecodeStatus::kCorrupt},
      {"not a JPEG", test::Text("GIF89a"), DecodeStatus::kNotThisFormat},
  };
  for (const Case& c : cases) EXPECT_EQ(CheckJpegStructure(c.bytes.data(), c.bytes.size()), c.status) << c.name;
}

// Damage inside the compressed data shows only when the rows are decoded: the
// scale then fails and leaves no picture, and nothing crashes.
TEST(ImageJpeg, DamagedScanDataFailsTheDecode) {
  const Bytes restart = test::EncodeJpeg(Quadrants(), JpegKind::kRestart);
  Bytes wrong_restart = restart;
  const size_t rst = Find(wrong_restart, 0xD0);
  wrong_restart[rst + 1] = 0xD5;  // RST5 where RST0 belongs

  Bytes bad_codes = test::TestFile("jpeg_baseline.jpg");
  const size_t sos = Find(bad_codes, 0xDA);
  const size_t scan = sos + 2 + (size_t{bad_codes[sos + 2]} << 8 | bad_codes[sos + 3]);
  // 0xFF 0x00 is a stuffed 0xFF: runs of one bits, which no Huffman code is.
  for (size_t i = scan + 4; i + 1 < scan + 40; i += 2) bad_codes[i] = 0xFF, bad_codes[i + 1] = 0x00;

  for (const Bytes* damaged : {&wrong_restart, &bad_codes}) {
    SCOPED_TRACE(damaged == &bad_codes ? "bad codes" : "wrong restart marker");
    BTCImageObject image;
    ASSERT_EQ(image.Load(damaged->data(), damaged->size()), BTCodecJpeg);
    BTResizeFilter filter = BTResizeFilterSmooth;
    EXPECT_FALSE(image.GetObjectDataPtr()->Resize(24, 16, filter));
    EXPECT_EQ(image.GetObjectDataPtr()->GetWidth(), 0);
    EXPECT_NE(image.Save(test::TempPath("damaged.bmp").c_str(), BTCodecBmp), 0);

    std::unique_ptr<RowSource> rows = Open(*damaged);
    ASSERT_TRUE(rows);
    Pixmap out;
    ASSERT_TRUE(out.Allocate(rows->Width(), rows->Height()));
    EXPECT_FALSE(rows->ReadRows(out.data(), out.stride(), rows->Height()));
    EXPECT_EQ(JpegReadFailure(*rows), DecodeStatus::kCorrupt);

    BTCImageObject centred;  // no scaling: the full-size decode fails the same way
    ASSERT_EQ(centred.Load(damaged->data(), damaged->size()), BTCodecJpeg);
    EXPECT_EQ(centred.GetObjectDataPtr()->Pixels(), nullptr);
  }
}

TEST(ImageJpeg, SizeGateAndMemoryBound) {
  // The frame claims more than we hold: refused from the header.
  const Bytes huge = WithSize(test::TestFile("jpeg_baseline.jpg"), 0xC0, 65000, 65000);
  std::unique_ptr<RowSource> rows;
  EXPECT_EQ(OpenJpegMemory(huge.data(), huge.size(), rows), DecodeStatus::kTooLarge);
  BTCImageObject image;
  EXPECT_EQ(image.Load(huge.data(), huge.size()), -1);
  // Past the header gate of the engine too (the peek happens first there): the decoder's own.
  const Bytes wide = WithSize(test::TestFile("jpeg_baseline.jpg"), 0xC0, 65000, 5000);
  EXPECT_EQ(OpenJpegMemory(wide.data(), wide.size(), rows), DecodeStatus::kTooLarge);

  // Within the gate, but a progressive picture of this size (4:4:4) would need
  // 1.5 GB of coefficients for a file of a few hundred bytes: the decode is
  // refused before that memory is taken.
  const Bytes progressive = Unsubsampled(WithSize(test::TestFile("jpeg_progressive.jpg"), 0xC2, 16000, 16000));
  ASSERT_EQ(OpenJpegMemory(progressive.data(), progressive.size(), rows), DecodeStatus::kOk);
  EXPECT_EQ(rows->Width(), 16000);
  EXPECT_TRUE(rows->ReduceTo(2000, 2000));
  Pixmap out;
  ASSERT_TRUE(out.Allocate(rows->Width(), 1));
  EXPECT_FALSE(rows->ReadRows(out.data(), out.stride(), 1));
  EXPECT_EQ(JpegReadFailure(*rows), DecodeStatus::kOutOfMemory);
}

// Where the system has a JPEG decoder of its own, a picture that libjpeg would
// have to hold whole as coefficients larger than its pixels is left to it.
TEST(ImageJpeg, LeanOpeningRefusesCoefficientsOutweighingPixels) {
  struct Case {
    const char* name;
    Bytes bytes;
    DecodeStatus lean;
  };
  const Bytes progressive = test::TestFile("jpeg_progressive.jpg");
  const Case cases[] = {
      {"progressive 4:2:0: coefficients as large as the pixels", progressive, DecodeStatus::kOk},
      {"progressive 4:4:4: twice the pixels", Unsubsampled(progressive), DecodeStatus::kUnsupported},
      {"baseline 4:4:4: decoded strip by strip", Unsubsampled(test::TestFile("jpeg_baseline.jpg")), DecodeStatus::kOk},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::unique_ptr<RowSource> rows;
    EXPECT_EQ(OpenJpegMemory(c.bytes.data(), c.bytes.size(), rows, true), c.lean);
    EXPECT_EQ(OpenJpegMemory(c.bytes.data(), c.bytes.size(), rows, false), DecodeStatus::kOk);
  }
}

// The same decision from the header alone, made before a file is read whole.
TEST(ImageJpeg, FrameHeaderGivesTheCoefficientSize) {
  struct Case {
    const char* name;
    Bytes bytes;
    bool found, progressive;
    uint64_t coefficient_bytes;
  };
  const Bytes progressive = test::TestFile("jpeg_progressive.jpg");
  const Bytes baseline = test::TestFile("jpeg_baseline.jpg");
  const Case cases[] = {
      // 96x64 at 4:2:0: 12x8 luma blocks and 6x4 of each chroma, 128 bytes each: the pixels' 18432 bytes.
      {"progressive 4:2:0", progressive, true, true, 18432},
      {"progressive 4:4:4", Unsubsampled(progressive), true, true, 36864},
      {"baseline", baseline, true, false, 18432},
      {"grey", test::TestFile("jpeg_grey.jpg"), true, false, 12288},
      {"cmyk", test::TestFile("jpeg_cmyk.jpg"), true, false, 49152},
      // 203 x 117 at 4:2:0 pads to whole MCUs: 26x16 luma blocks, 13x8 of each chroma.
      {"odd size", test::EncodeJpeg(Detailed(203, 117), JpegKind::kBaseline), true, false, (26 * 16 + 2 * 13 * 8) * 128},
      {"cut before the frame", Bytes(baseline.begin(), baseline.begin() + 25), false, false, 0},
      {"not a JPEG", test::Text("GIF89a........"), false, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const JpegFrame frame = FindJpegFrame(c.bytes.data(), c.bytes.size());
    EXPECT_EQ(frame.found, c.found);
    EXPECT_EQ(frame.progressive, c.progressive);
    EXPECT_EQ(JpegCoefficientBytes(frame), c.coefficient_bytes);
  }
}

}  // namespace
}  // namespace image
