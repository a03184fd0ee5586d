#include "wallpaper/desktop/desktop_values.h"

#include <cctype>

namespace {

// PaperOrient comes from the registry: a stored value outside the four modes
// would mean something else to newer Windows (3 is "fit", 5 "span"), so it is
// shown centred like fit mode.
int32_t KnownPlacement(int32_t paperOrient) {
  switch (paperOrient) {
    case kOrientTile:
    case kOrientStretch:
      return paperOrient;
    default:
      return kOrientCenter;
  }
}

}  // namespace

std::string WallpaperStyleValue(int32_t paperOrient) {
  return std::to_string(KnownPlacement(paperOrient));
}

std::string TileWallpaperValue(int32_t paperOrient) {
  return paperOrient == kOrientTile ? "1" : "0";
}

uint32_t ActiveDesktopStyle(int32_t paperOrient) {
  return static_cast<uint32_t>(KnownPlacement(paperOrient));
}

std::string BackgroundColorText(uint32_t colorRef) {
  return std::to_string(colorRef & 0xFF) + " " + std::to_string((colorRef >> 8) & 0xFF) + " " +
         std::to_string((colorRef >> 16) & 0xFF);
}

uint32_t HtmlColor(uint32_t colorRef) {
  return (colorRef & 0xFF) << 16 | (colorRef & 0xFF00) | ((colorRef >> 16) & 0xFF);
}

bool IsBlankWallpaper(const std::string& wallpaper) {
  for (unsigned char c : wallpaper)
    if (!std::isspace(c)) return false;
  return true;
}

std::string RestoreTarget(bool getImageFromInternet, const std::string& wallpaperBitmapPath,
                          const std::string& lastListEntry) {
  return getImageFromInternet ? wallpaperBitmapPath : lastListEntry;
}
