#pragma once
// Separable fixed-point scaler. Shrinking averages exactly the source area that
// each output pixel covers (box filter with fractional edge weights); enlarging
// interpolates bilinearly. Each axis is handled on its own, so a picture can
// shrink one way and grow the other. The vertical pass runs first, straight on
// the source rows as they arrive, so only a few source rows are ever held.
#include <cstdint>
#include <vector>

#include "wallpaper/image/buffer_pool.h"
#include "wallpaper/image/pixmap.h"
#include "wallpaper/image/row_source.h"

namespace image {

// Filter weights of one axis: for each output index, `count` source indexes from
// `start`, weights in 1/16384ths that add up to exactly 16384.
struct AxisWeights {
  static constexpr int kOne = 1 << 14;
  std::vector<int32_t> start;
  std::vector<int32_t> count;
  std::vector<int16_t> weights;  // out_size * max_taps, unused taps are 0
  int max_taps = 0;

  void Compute(int source_size, int target_size);
  const int16_t* of(int index) const { return weights.data() + static_cast<size_t>(index) * max_taps; }
};

// Keeps its tables and scratch rows between calls, so repeated scaling of
// similar pictures allocates nothing.
class Resampler {
 public:
  // Scales `src` to width x height into `out`. False for sizes over the limits,
  // when the source fails to deliver its rows, or when memory is short.
  bool Resize(RowSource& src, int width, int height, Pixmap& out);

 private:
  AxisWeights horizontal_, vertical_;
  PooledBuffer ring_;                 // recent source rows, when the source is not in memory
  std::vector<const uint8_t*> rows_;  // source row pointers of the current output row
  std::vector<uint32_t> sums_;        // vertical sums of one output row, full source width
  std::vector<uint16_t> column_;      // the same in 8.8 fixed point
};

}  // namespace image
