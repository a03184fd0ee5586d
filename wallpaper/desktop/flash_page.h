#pragma once
// The HTML page that lets Active Desktop show a flash movie as wallpaper.
#include <cstdint>
#include <string>

// Where a browser without the player fetches it (the object's codebase).
inline constexpr const char* kFlashPlayerCodebase =
    "http://download.macromedia.com/pub/shockwave/cabs/flash/swflash.cab#version=6,0,79,0";
inline constexpr const char* kFlashPageName = "flashpage.htm";
inline constexpr const char* kTransparentImageName = "transparent.gif";

struct FlashPageInput {
  std::string moviePath;      // as given: a file path or an address
  std::string programFolder;  // ends in a back-slash; holds "transparent.gif"
  uint32_t backgroundColor = 0;  // COLORREF
  int32_t paperOrient = 0;
};

// The page as its lines are written, with bare line feeds. It declares
// iso-8859-1, or utf-8 when a path on it holds a byte above 0x7F.
std::string FlashPageText(const FlashPageInput& input);
// The bytes a text-mode write puts on disk: every line feed becomes CR LF.
std::string ToTextModeBytes(const std::string& text);
// The file name: "<user>_flashpage.htm", or "flashpage.htm" without a user name.
std::string FlashPageFileName(const std::string& userName);
