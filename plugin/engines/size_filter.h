#pragma once
// The size filter on a candidate's announced width and height (options 2, 3, 9).
#include <cstdint>

namespace engines {

struct SizeFilter {
  uint32_t minWidth = 0, minHeight = 0;  // option 2; 0 turns a bound off
  uint32_t maxWidth = 0, maxHeight = 0;  // option 3
  uint32_t minPixels = 0;                // option 9
};

// An unknown (0) width or height passes its bounds; the pixel count is
// judged only when both are known, in 64 bits.
inline bool PassesSizeFilter(const SizeFilter& f, uint32_t width, uint32_t height) {
  if (width != 0 && f.minWidth != 0 && width < f.minWidth) return false;
  if (width != 0 && f.maxWidth != 0 && width > f.maxWidth) return false;
  if (height != 0 && f.minHeight != 0 && height < f.minHeight) return false;
  if (height != 0 && f.maxHeight != 0 && height > f.maxHeight) return false;
  if (width != 0 && height != 0 && f.minPixels != 0 &&
      uint64_t{width} * uint64_t{height} < uint64_t{f.minPixels})
    return false;
  return true;
}

}  // namespace engines
