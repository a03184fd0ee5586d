#pragma once
// The texts the desktop keys and the wallpaper options are given, worked out
// from the settings without touching the system.
#include <cstdint>
#include <string>

// Placement modes as stored in PaperOrient.
inline constexpr int32_t kOrientCenter = 0;
inline constexpr int32_t kOrientTile = 1;
inline constexpr int32_t kOrientStretch = 2;
inline constexpr int32_t kOrientFit = 10;

inline constexpr const char* kDesktopKey = "Control Panel\\Desktop";
inline constexpr const char* kColorsKey = "Control Panel\\Colors";

// "WallpaperStyle": fit mode is shown centred, the bitmap being fitted already.
std::string WallpaperStyleValue(int32_t paperOrient);
// "TileWallpaper": "1" only for tile mode.
std::string TileWallpaperValue(int32_t paperOrient);
// The WALLPAPEROPT style handed to Active Desktop (WPSTYLE_CENTER for fit mode).
uint32_t ActiveDesktopStyle(int32_t paperOrient);
// "Control Panel\Colors" "Background": "R G B" in decimal from a COLORREF.
std::string BackgroundColorText(uint32_t colorRef);
// A COLORREF (red in the low byte) as HTML's 0xRRGGBB.
uint32_t HtmlColor(uint32_t colorRef);
// A wallpaper of nothing but blanks is no wallpaper: blanking writes a single
// blank through Active Desktop, and reading that back must count as blank.
bool IsBlankWallpaper(const std::string& wallpaper);
// What restore shows again: the composed bitmap for the internet source, else the
// play-order list's entry at IndexOfLastImage.
std::string RestoreTarget(bool getImageFromInternet, const std::string& wallpaperBitmapPath,
                          const std::string& lastListEntry);
