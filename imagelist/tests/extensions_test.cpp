#include "imagelist/extensions.h"

#include <gtest/gtest.h>

namespace {

TEST(Extensions, PathParts) {
  struct Case {
    const char* path;
    const char* ext;
    const char* title;
    const char* folder;
  } cases[] = {
      {"C:\\pics\\photo.JPG", ".JPG", "photo", "C:\\pics\\"},
      {"C:\\pics.d\\photo", "", "photo", "C:\\pics.d\\"},
      {"a.tar.gz", ".gz", "a.tar", ""},
      {"C:/x/y.png", ".png", "y", "C:/x/"},
      {"dir\\.hidden", ".hidden", "", "dir\\"},
      {"", "", "", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PathExtension(c.path), c.ext) << c.path;
    EXPECT_EQ(PathFileTitle(c.path), c.title) << c.path;
    EXPECT_EQ(PathFolder(c.path), c.folder) << c.path;
  }
}

TEST(Extensions, SetsBySubstringIgnoringCase) {
  struct Case {
    const char* path;
    bool wallpaper, decodable, bitmap, flash;
  } cases[] = {
      {"photo.JPG", true, true, false, false},
      {"photo.jpeg", true, true, false, false},
      {"x.ppm", true, true, false, false},  // the set spells it ".PPM"
      {"x.jp", true, true, false, false},   // a substring of ".jpg"
      {"x.BMP", true, true, true, false},
      {"page.html", true, false, false, false},
      {"page.htm", true, false, false, false},
      {"movie.swf", true, false, false, true},
      {"noextension", false, false, false, false},
      {"C:\\dir.jpg\\noextension", false, false, false, false},
      {"x.exe", false, false, false, false},
      {"x.jpgx", false, false, false, false},
      {"x.dib", false, false, false, false},  // scanned, but not in any set
      // What the desktop may show without Active Desktop: bitmaps only.
      {"C:\\a\\b.bmp", true, true, true, false},
      {".bmp", true, true, true, false},
      {"C:\\a\\b.htm", true, false, false, false},
      {"C:\\a\\b.bmp.jpg", true, true, false, false},
      {"C:\\bmp", false, false, false, false},
      {"bmp", false, false, false, false},
      {"", false, false, false, false},
      {"x.bm", true, true, true, false},  // a substring of ".bmp"
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsWallpaperFile(c.path), c.wallpaper) << c.path;
    EXPECT_EQ(IsDecodableImage(c.path), c.decodable) << c.path;
    EXPECT_EQ(IsBitmap(c.path), c.bitmap) << c.path;
    EXPECT_EQ(IsFlash(c.path), c.flash) << c.path;
  }
}

TEST(Extensions, ImageFormatByWholeExtension) {
  struct Case {
    const char* ext;
    ImageFileFormat format;
  } cases[] = {
      {"bmp", ImageFileFormat::kBmp},  {".BMP", ImageFileFormat::kBmp},  {"dib", ImageFileFormat::kBmp},
      {"jpg", ImageFileFormat::kJpeg}, {"JPEG", ImageFileFormat::kJpeg}, {".jpe", ImageFileFormat::kJpeg},
      {"Tiff", ImageFileFormat::kTiff}, {"tif", ImageFileFormat::kTiff}, {"gif", ImageFileFormat::kGif},
      {"png", ImageFileFormat::kPng},  {"ico", ImageFileFormat::kIco},   {"tga", ImageFileFormat::kTga},
      {"pcx", ImageFileFormat::kPcx},  {"pgm", ImageFileFormat::kPnm},   {"PPM", ImageFileFormat::kPnm},
      {"pbm", ImageFileFormat::kPnm},  {"pnm", ImageFileFormat::kPnm},
      // Whole extensions only, unlike the sets.
      {"jp", ImageFileFormat::kNone},  {"bm", ImageFileFormat::kNone},   {"jpgx", ImageFileFormat::kNone},
      {"", ImageFileFormat::kNone},    {".", ImageFileFormat::kNone},    {"..bmp", ImageFileFormat::kNone},
      {"exe", ImageFileFormat::kNone}, {"x.bmp", ImageFileFormat::kNone}, {"b\xC3\x8Dp", ImageFileFormat::kNone},
  };
  for (const Case& c : cases) EXPECT_EQ(ImageFormatOfExtension(c.ext), c.format) << c.ext;
}

}  // namespace
