#include <gtest/gtest.h>

#include "wallpaper/desktop/desktop_values.h"

namespace {

struct PlacementCase {
  int32_t paperOrient;
  const char* style;
  const char* tile;
  uint32_t activeDesktopStyle;
};

TEST(DesktopValues, PlacementValuesForEveryMode) {
  const PlacementCase cases[] = {
      {kOrientCenter, "0", "0", 0},
      {kOrientTile, "1", "1", 1},
      {kOrientStretch, "2", "0", 2},
      {kOrientFit, "0", "0", 0},
      // Stored values the program never writes are shown centred.
      {3, "0", "0", 0},
      {5, "0", "0", 0},
      {-1, "0", "0", 0},
      {INT32_MAX, "0", "0", 0},
  };
  for (const PlacementCase& c : cases) {
    SCOPED_TRACE(c.paperOrient);
    EXPECT_EQ(WallpaperStyleValue(c.paperOrient), c.style);
    EXPECT_EQ(TileWallpaperValue(c.paperOrient), c.tile);
    EXPECT_EQ(ActiveDesktopStyle(c.paperOrient), c.activeDesktopStyle);
  }
}

TEST(DesktopValues, ColourTextsTakeRedFromTheLowByte) {
  EXPECT_EQ(BackgroundColorText(0x0000FF), "255 0 0");
  EXPECT_EQ(BackgroundColorText(0xA56E3A), "58 110 165");
  EXPECT_EQ(BackgroundColorText(0x000000), "0 0 0");
  EXPECT_EQ(BackgroundColorText(0xFFFFFF), "255 255 255");
  // A flag byte above the colour is not part of it.
  EXPECT_EQ(BackgroundColorText(0x01FF8000), "0 128 255");

  EXPECT_EQ(HtmlColor(0x0000FF), 0xFF0000u);
  EXPECT_EQ(HtmlColor(0xA56E3A), 0x3A6EA5u);
  EXPECT_EQ(HtmlColor(0x01FF8000), 0x0080FFu);
}

TEST(DesktopValues, BlankWallpaperAndRestoreTarget) {
  EXPECT_TRUE(IsBlankWallpaper(""));
  EXPECT_TRUE(IsBlankWallpaper(" "));
  EXPECT_TRUE(IsBlankWallpaper(" \t "));
  EXPECT_FALSE(IsBlankWallpaper("C:\\w.bmp"));
  EXPECT_FALSE(IsBlankWallpaper(" x "));

  EXPECT_EQ(RestoreTarget(true, "C:\\paper.bmp", "D:\\list.jpg"), "C:\\paper.bmp");
  EXPECT_EQ(RestoreTarget(false, "C:\\paper.bmp", "D:\\list.jpg"), "D:\\list.jpg");
}

}  // namespace
