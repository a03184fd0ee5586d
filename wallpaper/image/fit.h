#pragma once
// Size of a picture fitted into the screen keeping its proportions: it touches
// two opposite screen edges, enlarged or reduced as needed.
namespace image {

struct FitSize {
  int width = 0;
  int height = 0;
  bool operator==(const FitSize&) const = default;
};

// Single-precision ratios on purpose: 1600x1200 on 1280x1024 gives 1280x959,
// as the program has always computed it. Sides never drop below 1 pixel.
// Zero or negative sizes give {0, 0}.
FitSize FitToScreen(int screen_width, int screen_height, int image_width, int image_height);

}  // namespace image
