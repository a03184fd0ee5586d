#pragma once
// File formats the engine recognises; the values are also the codec identifiers
// of the picture classes.
namespace image {

enum class ImageFormat : int {
  kUnknown = 0,
  kBmp = 1,
  kJpeg = 2,
  kGif = 3,
  kPng = 4,
  kTiff = 5,
  kIco = 6,
  kTga = 7,
  kPcx = 8,
  kPnm = 9,
  kOther = 10,  // another format the operating system decodes
};

}  // namespace image
