// Our own decoders: good files of every variant, then the classic bad inputs.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "wallpaper/image/pcx_decoder.h"
#include "wallpaper/image/pnm_decoder.h"
#include "wallpaper/image/tests/test_images.h"
#include "wallpaper/image/tga_decoder.h"

namespace image {
namespace {

using test::Bgr;
using test::Bytes;
using test::Concat;
using test::PcxHeader;
using test::TgaHeader;
using test::Text;

using Decoder = DecodeStatus (*)(const uint8_t*, size_t, Pixmap&);

DecodeStatus Decode(Decoder d, const Bytes& b, Pixmap& out) { return d(b.data(), b.size(), out); }

constexpr Bgr kBlack{0, 0, 0}, kWhite{255, 255, 255}, kRed{0, 0, 255}, kGreen{0, 255, 0}, kBlue{255, 0, 0};

struct Probe {
  int x, y;
  Bgr colour;
};

struct GoodCase {
  const char* name;
  Decoder decoder;
  Bytes file;
  int width, height;
  std::vector<Probe> probes;
};

// A 16-entry header palette: entry i is (r, g, b) = (16 i, 255 - 16 i, i).
Bytes Palette16() {
  Bytes p;
  for (unsigned i = 0; i < 16; ++i) p.insert(p.end(), {uint8_t(16 * i), uint8_t(255 - 16 * i), uint8_t(i)});
  return p;
}
Bgr Palette16Colour(unsigned i) { return {uint8_t(i), uint8_t(255 - 16 * i), uint8_t(16 * i)}; }

// The 256-colour trailer of an 8-bit PCX: entry i is (r, g, b) = (i, 0, 255 - i).
Bytes VgaPalette() {
  Bytes p{0x0C};
  for (unsigned i = 0; i < 256; ++i) p.insert(p.end(), {uint8_t(i), 0, uint8_t(255 - i)});
  return p;
}

std::vector<GoodCase> GoodCases() {
  return {
      // TGA stores rows bottom-up unless descriptor bit 5 is set.
      {"tga 24-bit bottom-up", DecodeTga,
       Concat({TgaHeader(2, 2, 2, 24), {0, 0, 255, 0, 255, 0, /*top row:*/ 255, 0, 0, 255, 255, 255}}), 2, 2,
       {{0, 0, kBlue}, {1, 0, kWhite}, {0, 1, kRed}, {1, 1, kGreen}}},
      {"tga 24-bit top-down right-to-left", DecodeTga,
       Concat({TgaHeader(2, 2, 1, 24, 0x30), {0, 0, 255, 0, 255, 0}}), 2, 1, {{0, 0, kGreen}, {1, 0, kRed}}},
      {"tga 32-bit drops alpha", DecodeTga, Concat({TgaHeader(2, 1, 1, 32, 8), {10, 20, 30, 0}}), 1, 1,
       {{0, 0, {10, 20, 30}}}},
      {"tga 16-bit 5-5-5", DecodeTga, Concat({TgaHeader(2, 2, 1, 16, 0x20), {0x1F, 0x80, 0x00, 0x7C}}), 2, 1,
       {{0, 0, {255, 0, 0}}, {1, 0, {0, 0, 255}}}},
      {"tga grey", DecodeTga, Concat({TgaHeader(3, 2, 1, 8, 0x20), {0, 200}}), 2, 1,
       {{0, 0, kBlack}, {1, 0, {200, 200, 200}}}},
      {"tga colour-mapped, map starting at index 5", DecodeTga,
       Concat({TgaHeader(1, 2, 1, 8, 0x20, 1, 5, 2, 24), {255, 0, 0, 0, 255, 0}, {6, 5}}), 2, 1,
       {{0, 0, kGreen}, {1, 0, kBlue}}},
      {"tga rle runs and raw packets crossing rows", DecodeTga,
       // 3x2 top-down: a run of 4 red (row 0 and one pixel of row 1), then 2 raw pixels.
       Concat({TgaHeader(10, 3, 2, 24, 0x20), {0x83, 0, 0, 255, 0x01, 0, 255, 0, 255, 0, 0}}), 3, 2,
       {{2, 0, kRed}, {0, 1, kRed}, {1, 1, kGreen}, {2, 1, kBlue}}},
      {"tga rle colour-mapped", DecodeTga,
       Concat({TgaHeader(9, 4, 1, 8, 0x20, 1, 0, 2, 24), {255, 255, 255, 0, 0, 0}, {0x82, 1, 0x00, 0}}), 4, 1,
       {{0, 0, kBlack}, {2, 0, kBlack}, {3, 0, kWhite}}},
      {"tga rle grey", DecodeTga, Concat({TgaHeader(11, 2, 1, 8, 0x20), {0x81, 77}}), 2, 1,
       {{1, 0, {77, 77, 77}}}},

      {"pcx 8-bit palette, rle", DecodePcx,
       // bytes-per-line 4 (even, one pad byte); a run of 3 x index 7, then index 200 and a pad.
       Concat({PcxHeader(8, 1, 3, 2, 4), {0xC3, 7, 0xC1, 200, 1, 2, 3, 0}, VgaPalette()}), 3, 2,
       {{0, 0, {248, 0, 7}}, {2, 0, {248, 0, 7}}, {0, 1, {254, 0, 1}}, {2, 1, {252, 0, 3}}}},
      {"pcx 24-bit as three planes", DecodePcx,
       Concat({PcxHeader(8, 3, 2, 1, 2), {0xC1, 255, 0, /*g*/ 0, 0xC1, 255, /*b*/ 0, 0}}), 2, 1, {{0, 0, kRed}, {1, 0, kGreen}}},
      {"pcx 24-bit raw", DecodePcx, Concat({PcxHeader(8, 3, 1, 1, 2, false), {1, 0, 2, 0, 3, 0}}), 1, 1,
       {{0, 0, {3, 2, 1}}}},
      {"pcx 1-bit monochrome", DecodePcx, Concat({PcxHeader(1, 1, 10, 1, 2), {0xA0, 0x40}}), 10, 1,
       {{0, 0, kWhite}, {1, 0, kBlack}, {2, 0, kWhite}, {9, 0, kWhite}, {8, 0, kBlack}}},
      {"pcx 16 colours as four 1-bit planes", DecodePcx,
       // pixel 0 has bits in planes 0 and 2 (index 5), pixel 1 in plane 3 (index 8).
       Concat({PcxHeader(1, 4, 2, 1, 2, true, Palette16()), {0x80, 0, 0, 0, 0x80, 0, 0x40, 0}}), 2, 1,
       {{0, 0, Palette16Colour(5)}, {1, 0, Palette16Colour(8)}}},
      {"pcx 4-bit packed", DecodePcx, Concat({PcxHeader(4, 1, 3, 1, 2, false, Palette16()), {0xF1, 0x20}}), 3, 1,
       {{0, 0, Palette16Colour(15)}, {1, 0, Palette16Colour(1)}, {2, 0, Palette16Colour(2)}}},
      {"pcx 2-bit packed", DecodePcx, Concat({PcxHeader(2, 1, 4, 1, 2, true, Palette16()), {0x1B, 0}}), 4, 1,
       {{0, 0, Palette16Colour(0)}, {1, 0, Palette16Colour(1)}, {3, 0, Palette16Colour(3)}}},
      {"pcx run crossing a scanline", DecodePcx,
       Concat({PcxHeader(8, 1, 2, 2, 2), {0xC3, 9, 4}, VgaPalette()}), 2, 2,
       {{1, 0, {246, 0, 9}}, {0, 1, {246, 0, 9}}, {1, 1, {251, 0, 4}}}},

      {"pbm plain, digits without separators", DecodePnm, Text("P1\n# c\n3 1\n101\n"), 3, 1,
       {{0, 0, kBlack}, {1, 0, kWhite}, {2, 0, kBlack}}},
      {"pgm plain, maxval 15 scaled", DecodePnm, Text("P2 2 1 15\n0 15\n"), 2, 1, {{0, 0, kBlack}, {1, 0, kWhite}}},
      {"ppm plain", DecodePnm, Text("P3\n1 1\n255\n10 20 30\n"), 1, 1, {{0, 0, {30, 20, 10}}}},
      {"pbm raw, rows padded to bytes", DecodePnm, Concat({Text("P4\n9 2\n"), {0x80, 0x80, 0x00, 0x00}}), 9, 2,
       {{0, 0, kBlack}, {1, 0, kWhite}, {8, 0, kBlack}, {8, 1, kWhite}}},
      {"pgm raw", DecodePnm, Concat({Text("P5 2 1 255\n"), {0, 128}}), 2, 1, {{1, 0, {128, 128, 128}}}},
      {"pgm raw 16-bit big-endian", DecodePnm, Concat({Text("P5 1 1 65535\n"), {0x80, 0x00}}), 1, 1,
       {{0, 0, {128, 128, 128}}}},
      {"ppm raw with comment in the header", DecodePnm,
       Concat({Text("P6\n# made by hand\n2 1\n255\n"), {255, 0, 0, 0, 0, 255}}), 2, 1, {{0, 0, kRed}, {1, 0, kBlue}}},
  };
}

TEST(ImageDecoders, DecodeGoodFiles) {
  for (const GoodCase& c : GoodCases()) {
    SCOPED_TRACE(c.name);
    Pixmap out;
    ASSERT_EQ(Decode(c.decoder, c.file, out), DecodeStatus::kOk);
    ASSERT_EQ(out.width(), c.width);
    ASSERT_EQ(out.height(), c.height);
    for (const Probe& p : c.probes)
      EXPECT_EQ(test::PixelAt(out, p.x, p.y), p.colour) << "at " << p.x << "," << p.y << " got "
                                                       << test::ToString(test::PixelAt(out, p.x, p.y));
  }
}

// Every proper prefix of a good file is a failure, never a crash or a half picture.
TEST(ImageDecoders, TruncationAtEveryOffsetFails) {
  for (const GoodCase& c : GoodCases()) {
    // A plain PNM cut inside its last number is still a well-formed, different file.
    if (std::string(c.name).rfind("p", 0) == 0 && std::string(c.name).find("plain") != std::string::npos) continue;
    SCOPED_TRACE(c.name);
    for (size_t cut = 0; cut < c.file.size(); ++cut) {
      const Bytes prefix(c.file.begin(), c.file.begin() + static_cast<long>(cut));
      Pixmap out;
      EXPECT_NE(Decode(c.decoder, prefix, out), DecodeStatus::kOk) << "cut at " << cut;
      EXPECT_TRUE(out.empty());
    }
  }
}

struct BadCase {
  const char* name;
  Decoder decoder;
  Bytes file;
  DecodeStatus expected;
};

TEST(ImageDecoders, RefuseBadFiles) {
  const Bytes pal2{0, 0, 0, 255, 255, 255};
  const BadCase cases[] = {
      // Run-length runs must stay inside the picture.
      {"tga rle run past the end", DecodeTga, Concat({TgaHeader(10, 2, 1, 24), {0x82, 1, 2, 3}}),
       DecodeStatus::kCorrupt},
      {"tga rle raw packet past the end", DecodeTga,
       Concat({TgaHeader(10, 1, 1, 24), {0x01, 1, 2, 3, 4, 5, 6}}), DecodeStatus::kCorrupt},
      {"pcx run past the end", DecodePcx, Concat({PcxHeader(8, 3, 2, 1, 2), {0xC7, 1}}), DecodeStatus::kCorrupt},
      // Colour-map indexes outside the map.
      {"tga index beyond the map", DecodeTga, Concat({TgaHeader(1, 1, 1, 8, 0, 1, 0, 2, 24), pal2, {2}}),
       DecodeStatus::kCorrupt},
      {"tga index below the first map entry", DecodeTga, Concat({TgaHeader(1, 1, 1, 8, 0, 1, 4, 2, 24), pal2, {3}}),
       DecodeStatus::kCorrupt},
      {"tga rle run of an index beyond the map", DecodeTga,
       Concat({TgaHeader(9, 3, 1, 8, 0, 1, 0, 2, 24), pal2, {0x82, 9}}), DecodeStatus::kCorrupt},
      {"tga 16-bit index beyond the map", DecodeTga,
       Concat({TgaHeader(1, 1, 1, 16, 0, 1, 0, 2, 24), pal2, {0, 1}}), DecodeStatus::kCorrupt},
      // Line length that cannot hold the width.
      {"pcx bytes-per-line below the width", DecodePcx, Concat({PcxHeader(8, 1, 8, 1, 4), Bytes(8, 0x01),
                                                                 test::Bytes(769, 0x0C)}),
       DecodeStatus::kCorrupt},
      {"pcx 1-bit bytes-per-line below the width", DecodePcx, Concat({PcxHeader(1, 1, 17, 1, 2), Bytes(4, 0)}),
       DecodeStatus::kCorrupt},
      {"pcx zero bytes-per-line", DecodePcx, Concat({PcxHeader(8, 3, 1, 1, 0), Bytes(8, 0)}),
       DecodeStatus::kCorrupt},
      // Impossible or unsupported depths.
      {"tga true-colour depth 7", DecodeTga, Concat({TgaHeader(2, 1, 1, 7), {0}}), DecodeStatus::kNotThisFormat},
      {"tga grey depth 24", DecodeTga, Concat({TgaHeader(3, 1, 1, 24), {0, 0, 0}}), DecodeStatus::kNotThisFormat},
      {"tga colour map of 7-bit entries", DecodeTga, Concat({TgaHeader(1, 1, 1, 8, 0, 1, 0, 1, 7), {0, 0}}),
       DecodeStatus::kNotThisFormat},
      {"tga colour-mapped type without a map", DecodeTga, Concat({TgaHeader(1, 1, 1, 8), {0}}),
       DecodeStatus::kNotThisFormat},
      {"pcx 3 bits per plane", DecodePcx, [] {
         Bytes b = Concat({PcxHeader(8, 1, 1, 1, 2), Bytes(4, 0)});
         b[3] = 3;
         return b;
       }(),
       DecodeStatus::kNotThisFormat},
      {"pcx 8 bits in two planes", DecodePcx, Concat({PcxHeader(8, 2, 1, 1, 2), Bytes(4, 0)}),
       DecodeStatus::kUnsupported},
      {"pcx 4 bits in 3 planes", DecodePcx, Concat({PcxHeader(4, 3, 1, 1, 2), Bytes(6, 0)}),
       DecodeStatus::kUnsupported},
      {"pcx no planes", DecodePcx, Concat({PcxHeader(8, 0, 1, 1, 2), Bytes(4, 0)}), DecodeStatus::kCorrupt},
      {"pnm maxval 0", DecodePnm, Text("P5 1 1 0\n\x00"), DecodeStatus::kCorrupt},
      {"pnm maxval over 65535", DecodePnm, Text("P5 1 1 65536\n\x00\x00"), DecodeStatus::kCorrupt},
      {"pnm sample above maxval (raw)", DecodePnm, Concat({Text("P5 1 1 100\n"), {101}}), DecodeStatus::kCorrupt},
      {"pnm sample above maxval (plain)", DecodePnm, Text("P2 1 1 100\n101\n"), DecodeStatus::kCorrupt},
      {"pbm plain digit 2", DecodePnm, Text("P1 1 1\n2\n"), DecodeStatus::kCorrupt},
      {"pnm letter in the raster", DecodePnm, Text("P3 1 1 255\n1 x 3\n"), DecodeStatus::kCorrupt},
      {"pnm no whitespace before raw data", DecodePnm, Text("P5 1 1 255x"), DecodeStatus::kCorrupt},
      {"pam is not handled here", DecodePnm, Text("P7\nWIDTH 1\n"), DecodeStatus::kNotThisFormat},
      // Empty and inside-out pictures.
      {"tga zero width", DecodeTga, Concat({TgaHeader(2, 0, 1, 24), {0, 0, 0}}), DecodeStatus::kCorrupt},
      {"pcx xmax before xmin", DecodePcx, [] {
         Bytes b = Concat({PcxHeader(8, 3, 1, 1, 2), Bytes(6, 0)});
         b[4] = 5;  // xmin 5 > xmax 0
         return b;
       }(),
       DecodeStatus::kCorrupt},
      {"pnm zero height", DecodePnm, Text("P6 1 0 255\n"), DecodeStatus::kCorrupt},
      // Dimensions over the limits are refused before anything is allocated.
      {"tga 65535 x 65535", DecodeTga, Concat({TgaHeader(2, 65535, 65535, 24), Bytes(64, 0)}),
       DecodeStatus::kTooLarge},
      {"pcx 65536 wide", DecodePcx, Concat({PcxHeader(8, 3, 65536, 1, 65535), Bytes(64, 0)}),
       DecodeStatus::kTooLarge},
      {"pnm 65536 wide", DecodePnm, Text("P6 65536 1 255\n"), DecodeStatus::kTooLarge},
      {"pnm 16384 x 16384, one pixel over", DecodePnm, Text("P6 16384 16384 255\n"), DecodeStatus::kTooLarge},
      // A header promising far more than the file holds fails without allocating.
      {"tga 16000 x 16000 in a few bytes", DecodeTga, Concat({TgaHeader(2, 16000, 16000, 24), Bytes(30, 0)}),
       DecodeStatus::kTruncated},
      {"tga rle 16000 x 16000 in a few bytes", DecodeTga,
       Concat({TgaHeader(10, 16000, 16000, 24), Bytes(3000, 0xFF)}), DecodeStatus::kTruncated},
      {"pcx rle 16000 x 16000 in a few bytes", DecodePcx,
       Concat({PcxHeader(8, 3, 16000, 16000, 16000), Bytes(3000, 0xFF)}), DecodeStatus::kTruncated},
      {"pnm plain 16000 x 16000 in a few bytes", DecodePnm, Text("P3 16000 16000 255\n1 2 3\n"),
       DecodeStatus::kTruncated},
      {"pcx 8-bit without its palette", DecodePcx, Concat({PcxHeader(8, 1, 2, 1, 2), {0, 0}}),
       DecodeStatus::kTruncated},
      // Not these formats at all.
      {"png is not tga", DecodeTga, Concat({Text("\x89PNG\r\n\x1a\n"), Bytes(20, 0)}), DecodeStatus::kNotThisFormat},
      {"bmp is not pcx", DecodePcx, Concat({Text("BM"), Bytes(200, 0)}), DecodeStatus::kNotThisFormat},
      {"empty is not pnm", DecodePnm, {}, DecodeStatus::kNotThisFormat},
  };
  for (const BadCase& c : cases) {
    SCOPED_TRACE(c.name);
    Pixmap out;
    EXPECT_EQ(Decode(c.decoder, c.file, out), c.expected) << DecodeStatusName(Decode(c.decoder, c.file, out));
    EXPECT_TRUE(out.empty());
  }
}

// The sniffers pick only their own format out of a mix of headers.
TEST(ImageDecoders, SniffersRecogniseOnlyTheirFormat) {
  const Bytes tga = Concat({TgaHeader(2, 1, 1, 24), {0, 0, 0}});
  const Bytes pcx = Concat({PcxHeader(8, 3, 1, 1, 2), Bytes(6, 0)});
  const Bytes pnm = Text("P6 1 1 255\n\x00\x00\x00");
  const Bytes others[] = {Concat({Text("\x89PNG\r\n\x1a\n"), Bytes(20, 0)}), Concat({Text("BM"), Bytes(60, 0)}),
                          Concat({{0xFF, 0xD8, 0xFF, 0xE0}, Bytes(20, 0)}), Concat({Text("GIF89a"), Bytes(20, 0)}),
                          Concat({Text("II*\0"), Bytes(20, 0)}), Concat({{0, 0, 1, 0, 1, 0}, Bytes(20, 0)})};
  EXPECT_TRUE(LooksLikeTga(tga.data(), tga.size()));
  EXPECT_TRUE(LooksLikePcx(pcx.data(), pcx.size()));
  EXPECT_TRUE(LooksLikePnm(pnm.data(), pnm.size()));
  EXPECT_FALSE(LooksLikePcx(tga.data(), tga.size()));
  EXPECT_FALSE(LooksLikePnm(pcx.data(), pcx.size()));
  for (const Bytes& b : others) {
    EXPECT_FALSE(LooksLikeTga(b.data(), b.size()));
    EXPECT_FALSE(LooksLikePcx(b.data(), b.size()));
    EXPECT_FALSE(LooksLikePnm(b.data(), b.size()));
  }
}

TEST(ImageDecoders, FailedDecodeLeavesNoPicture) {
  Pixmap out;
  const Bytes good = Concat({TgaHeader(2, 1, 1, 24), {1, 2, 3}});
  ASSERT_EQ(Decode(DecodeTga, good, out), DecodeStatus::kOk);
  const Bytes bad = Concat({TgaHeader(10, 2, 1, 24), {0x85, 1, 2, 3}});
  EXPECT_EQ(Decode(DecodeTga, bad, out), DecodeStatus::kCorrupt);
  EXPECT_TRUE(out.empty());
}

}  // namespace
}  // namespace image
