#include "wallpaper/image/jpeg_scale.h"

#include <cstdint>

namespace image {

int ScaledSide(int side, int eighths) {
  return static_cast<int>((static_cast<int64_t>(side) * eighths + 7) / 8);
}

int ChooseJpegEighths(int width, int height, int min_width, int min_height) {
  if (width <= 0 || height <= 0 || min_width <= 0 || min_height <= 0) return 8;
  for (int n = 1; n < 8; ++n)
    if (ScaledSide(width, n) >= min_width && ScaledSide(height, n) >= min_height) return n;
  return 8;
}

}  // namespace image
