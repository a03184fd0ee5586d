#include "wallpaper/image/fit.h"

namespace image {

FitSize FitToScreen(int screen_width, int screen_height, int image_width, int image_height) {
  if (screen_width <= 0 || screen_height <= 0 || image_width <= 0 || image_height <= 0) return {};
  // The ratios are stored as floats (volatile: rounded to float whatever the
  // optimiser likes); the last step runs in double and truncates, which is how
  // 1280 / 1.3333334f becomes 959.99997 and then 959.
  volatile float ia = static_cast<float>(image_width) / static_cast<float>(image_height);
  volatile float sa = static_cast<float>(screen_width) / static_cast<float>(screen_height);
  const float image_ratio = ia, screen_ratio = sa;
  FitSize fit;
  if (screen_ratio <= image_ratio) {
    fit = {screen_width, static_cast<int>(static_cast<double>(screen_width) / image_ratio)};
  } else {
    fit = {static_cast<int>(static_cast<double>(screen_height) * image_ratio), screen_height};
  }
  // A very thin picture would truncate to 0 and fail to scale; keep one pixel.
  if (fit.width < 1) fit.width = 1;
  if (fit.height < 1) fit.height = 1;
  return fit;
}

}  // namespace image
