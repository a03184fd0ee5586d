#include "ui/skin/skin_win.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "ui/resources/ui_resource_ids.h"
#include "ui/test_support/pump_win.h"

namespace {

std::string TempFile(const std::string& name, const std::vector<uint8_t>& bytes) {
  char dir[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, dir);
  const std::string path = std::string(dir) + "sf_skin_test_" + name;
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<std::streamsize>(bytes.size()));
  return path;
}

// A 24-bit bottom-up BMP of width x 1, every pixel the same colour.
std::vector<uint8_t> Bmp(uint32_t width) {
  const uint32_t row = (width * 3 + 3) & ~3u;
  const uint32_t size = 54 + row;
  std::vector<uint8_t> b(size, 0x40);
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
  };
  b[0] = 'B';
  b[1] = 'M';
  put32(2, size);
  put32(6, 0);
  put32(10, 54);
  put32(14, 40);
  put32(18, width);
  put32(22, 1);
  b[26] = 1;
  b[27] = 0;
  b[28] = 24;
  b[29] = 0;
  for (size_t i = 30; i < 54; ++i) b[i] = 0;
  return b;
}

// Pixel (x, y) of a loaded picture as 0xAARRGGBB.
uint32_t PixelAt(const SkinPicture& p, int x, int y) {
  DIBSECTION ds{};
  if (GetObjectA(p.bitmap.get(), sizeof(ds), &ds) != sizeof(ds) || !ds.dsBm.bmBits) return 0;
  const auto* bits = static_cast<const uint8_t*>(ds.dsBm.bmBits);
  const uint8_t* px = bits + static_cast<size_t>(y) * ds.dsBm.bmWidthBytes + static_cast<size_t>(x) * 4;
  return (uint32_t{px[3]} << 24) | (uint32_t{px[2]} << 16) | (uint32_t{px[1]} << 8) | px[0];
}

TEST(LoadSkinPicture, ShippedPicturesAndBadFiles) {
  const std::string folder = uitest::ExeFolder();
  struct Case {
    std::string path;
    bool ok;
    int width, height;
  };
  const std::vector<Case> cases = {
      {folder + "statpop_skin.png", true, 260, 96},
      {folder + "splash.gif", true, 420, 260},
      {folder + "transparent.gif", true, 1, 1},
      {folder + "no_such_picture.png", false, 0, 0},
      {"", false, 0, 0},
      {TempFile("garbage.png", {0x89, 'P', 'N', 'G', 1, 2, 3, 4, 5}), false, 0, 0},
      {TempFile("empty.gif", {}), false, 0, 0},
      {TempFile("widest.bmp", Bmp(kMaxPictureSide)), true, static_cast<int>(kMaxPictureSide), 1},
      // Too wide for a skin: refused before any pixel memory is taken.
      {TempFile("too_wide.bmp", Bmp(kMaxPictureSide + 1)), false, 0, 0},
  };
  for (const Case& c : cases) {
    SkinPicture p;
    EXPECT_EQ(LoadSkinPicture(c.path, p), c.ok) << c.path;
    EXPECT_EQ(p.width, c.width) << c.path;
    EXPECT_EQ(p.height, c.height) << c.path;
    EXPECT_EQ(static_cast<bool>(p.bitmap), c.ok) << c.path;
  }
}

TEST(LoadSkinPicture, RowsComeTopDownWithTheirColours) {
  SkinPicture p;
  ASSERT_TRUE(LoadSkinPicture(uitest::ExeFolder() + "statpop_skin.png", p));
  // The blue band is at the top, the light body below it.
  const uint32_t band = PixelAt(p, 130, 10);
  const uint32_t body = PixelAt(p, 130, 60);
  EXPECT_GT(band & 0xFF, (band >> 16) & 0xFF) << std::hex << band;  // more blue than red
  EXPECT_GT((body >> 16) & 0xFF, 0xC0u) << std::hex << body;       // light
  // The corner lies outside the rounded shape: see-through.
  EXPECT_EQ(PixelAt(p, 0, 0) >> 24, 0u);
  EXPECT_EQ(PixelAt(p, 130, 60) >> 24, 0xFFu);
}

std::vector<uint8_t> RegionBytes(uint32_t dwSize, uint32_t type, uint32_t count, uint32_t rectsPresent) {
  std::vector<uint32_t> words = {dwSize, type, count, count * 16, 0, 0, 10, 10};
  for (uint32_t i = 0; i < rectsPresent; ++i) {
    const uint32_t r[4] = {0, i, 10, i + 1};
    words.insert(words.end(), r, r + 4);
  }
  std::vector<uint8_t> bytes(words.size() * 4);
  memcpy(bytes.data(), words.data(), bytes.size());
  return bytes;
}

TEST(RegionFromData, RefusesBytesThatDoNotHoldWhatTheyClaim) {
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    bool ok;
  };
  const std::vector<Case> cases = {
      {"two bands", RegionBytes(32, RDH_RECTANGLES, 2, 2), true},
      {"empty region", RegionBytes(32, RDH_RECTANGLES, 0, 0), true},
      {"more rectangles than bytes", RegionBytes(32, RDH_RECTANGLES, 3, 2), false},
      {"huge count", RegionBytes(32, RDH_RECTANGLES, 0x10000000, 1), false},
      {"wrong header size", RegionBytes(28, RDH_RECTANGLES, 1, 1), false},
      {"wrong type", RegionBytes(32, 2, 1, 1), false},
      {"short header", std::vector<uint8_t>(20, 0), false},
      {"nothing", {}, false},
  };
  for (const Case& c : cases) {
    HRGN rgn = RegionFromData(c.bytes.empty() ? nullptr : c.bytes.data(), static_cast<DWORD>(c.bytes.size()));
    EXPECT_EQ(rgn != nullptr, c.ok) << c.name;
    if (rgn) DeleteObject(rgn);
  }
}

class SkinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (GetSystemMetrics(SM_CXSCREEN) == 0) GTEST_SKIP() << "no display";
    window = CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "", WS_POPUP, 100, 100, 420, 260, nullptr, nullptr,
                             nullptr, nullptr);
    ASSERT_NE(window, nullptr);
  }
  void TearDown() override {
    if (IsWindow(window)) DestroyWindow(window);
  }
  std::string Splash() const { return uitest::ExeFolder() + "splash.gif"; }
  HWND window = nullptr;
};

TEST_F(SkinTest, MissingPartsThrowTheSkinMessage) {
  const HMODULE self = GetModuleHandleA(nullptr);
  struct Case {
    const char* name;
    int region;
    std::string image;
  };
  const Case cases[] = {
      {"no image path", IDR_SPLASH_REGION, ""},
      {"missing image", IDR_SPLASH_REGION, uitest::ExeFolder() + "missing.gif"},
      {"missing region", 9999, Splash()},
  };
  for (const Case& c : cases) {
    try {
      CSkin skin(self, c.region, c.image);
      ADD_FAILURE() << c.name << ": no exception";
    } catch (const std::runtime_error& e) {
      EXPECT_STREQ(e.what(), "Unable to retrieve the skin.") << c.name;
    }
  }
}

TEST_F(SkinTest, AttachShapesThePictureAndDetachGivesTheWindowBack) {
  CSkin skin(GetModuleHandleA(nullptr), IDR_SPLASH_REGION, Splash());
  EXPECT_EQ(skin.Width(), 420);
  EXPECT_EQ(skin.Height(), 260);
  ASSERT_TRUE(skin.Attach(window));
  EXPECT_EQ(GetPropA(window, "skin"), &skin);
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  ASSERT_EQ(GetWindowRgn(window, rgn), COMPLEXREGION);
  RECT box{};
  GetRgnBox(rgn, &box);
  EXPECT_EQ(box.left, 0);
  EXPECT_EQ(box.top, 0);
  EXPECT_EQ(box.right, 420);
  EXPECT_EQ(box.bottom, 260);
  EXPECT_FALSE(PtInRegion(rgn, 0, 0));      // rounded corner
  EXPECT_FALSE(PtInRegion(rgn, 419, 259));
  EXPECT_TRUE(PtInRegion(rgn, 210, 130));
  EXPECT_TRUE(PtInRegion(rgn, 0, 130));     // straight edge
  skin.SetVisible(true);
  EXPECT_TRUE(IsWindowVisible(window));
  skin.SetVisible(false);
  EXPECT_FALSE(IsWindowVisible(window));

  skin.Detach();
  EXPECT_EQ(GetWindowRgn(window, rgn), ERROR);
  EXPECT_EQ(GetPropA(window, "skin"), nullptr);
  DeleteObject(rgn);
  skin.Detach();  // twice: nothing
}

TEST_F(SkinTest, AttachingElsewhereLeavesTheFirstWindowAlone) {
  HWND other = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 420, 260, nullptr, nullptr, nullptr, nullptr);
  CSkin skin(GetModuleHandleA(nullptr), IDR_SPLASH_REGION, Splash());
  ASSERT_TRUE(skin.Attach(window));
  ASSERT_TRUE(skin.Attach(other));
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetWindowRgn(window, rgn), ERROR);
  EXPECT_NE(GetWindowRgn(other, rgn), ERROR);
  DeleteObject(rgn);
  EXPECT_EQ(GetPropA(window, "skin"), nullptr);
  DestroyWindow(other);
}

TEST_F(SkinTest, WindowDestroyedFirstThenSkin) {
  auto skin = std::make_unique<CSkin>(GetModuleHandleA(nullptr), IDR_SPLASH_REGION, Splash());
  ASSERT_TRUE(skin->Attach(window));
  DestroyWindow(window);
  EXPECT_EQ(skin->Window(), nullptr);
  skin.reset();  // must not touch the dead window
}

TEST_F(SkinTest, PaintsThePictureIntoTheWindow) {
  CSkin skin(GetModuleHandleA(nullptr), IDR_SPLASH_REGION, Splash());
  ASSERT_TRUE(skin.Attach(window));
  skin.SetVisible(true);
  UpdateWindow(window);
  uitest::PumpFor(200);
  SkinPicture picture;
  ASSERT_TRUE(LoadSkinPicture(Splash(), picture));
  HDC dc = GetDC(window);
  const COLORREF shown = GetPixel(dc, 210, 30);
  ReleaseDC(window, dc);
  if (shown == CLR_INVALID) GTEST_SKIP() << "the display cannot read pixels back";
  DIBSECTION ds{};
  ASSERT_EQ(GetObjectA(picture.bitmap.get(), sizeof(ds), &ds), static_cast<int>(sizeof(ds)));
  const auto* px = static_cast<const uint8_t*>(ds.dsBm.bmBits) + 30 * ds.dsBm.bmWidthBytes + 210 * 4;
  EXPECT_EQ(shown, RGB(px[2], px[1], px[0]));
}

}  // namespace
