#pragma once
// A picture file decoded into a 32-bit top-down DIB section, for skins that
// are copied onto windows with BitBlt. Decoded through WIC (PNG, GIF, BMP,
// JPEG ...), on whichever thread calls it.
#include <windows.h>

#include <string>

#include "support/win/unique_handle_win.h"

// Larger pictures are refused: a skin is a small window's background.
inline constexpr UINT kMaxPictureSide = 4096;

struct SkinPicture {
  UniqueGdiObject bitmap;  // HBITMAP, BGRA, rows top-down
  int width = 0;
  int height = 0;
};

// Decodes the first frame of `path` (a path in the process code page).
// False, with `out` empty, when the file is missing, not a picture, or too large.
bool LoadSkinPicture(const std::string& path, SkinPicture& out);
