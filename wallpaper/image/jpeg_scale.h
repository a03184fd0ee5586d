#pragma once
// Which reduced size to decode a JPEG at. The decoder can give the picture at
// n/8 of its size for n from 1 to 8 (sides rounded up), working in the
// frequency domain, which is far cheaper than decoding every pixel and
// shrinking afterwards.
namespace image {

// The smallest n (1..8) whose n/8-size picture still covers min_width x
// min_height, the size the picture will be fitted to: the scaler then only
// ever shrinks. 8 (full size) when the target is as large as the picture or
// when any size is not positive.
int ChooseJpegEighths(int width, int height, int min_width, int min_height);

// A side at n/8, rounded up as the decoder rounds it.
int ScaledSide(int side, int eighths);

}  // namespace image
