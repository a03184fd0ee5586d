#pragma once
// The picture classes the program draws on: load a file or a memory block, look
// at its size, scale it, paint it, save it as a Windows bitmap.
//
// Every decoded picture is held as 24-bit BGR. A picture that the operating
// system's decoder delivers is read out lazily: loading checks that it decodes,
// and the pixels are taken out row by row when first needed (a scale reads them
// straight into the scaler), so a large photograph never exists twice in memory.
//
// Not internally locked: one thread at a time uses an object.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "wallpaper/image/pixmap.h"
#include "wallpaper/image/resampler.h"
#include "wallpaper/image/row_source.h"

#ifdef _WIN32
struct HDC__;
struct HBITMAP__;
struct tagRECT;
#endif

// Text argument of the picture classes.
class BTCString {
 public:
  BTCString(const char* text) : text_(text ? text : "") {}  // NOLINT: converts implicitly, as callers expect
  const char* c_str() const { return text_.c_str(); }

 private:
  std::string text_;
};

// Decoder and encoder options: none exist; callers pass null.
struct BTDecoderOptions;
struct BTEncoderOptions;

// Every value selects the same smoothing scaler: an area average when shrinking,
// bilinear when enlarging.
enum BTResizeFilter : int { BTResizeFilterBox = 0, BTResizeFilterBilinear = 1, BTResizeFilterSmooth = 2 };

// Codec identifiers (the format a picture was decoded from, or the one to save in).
enum BTCodecId : int {
  BTCodecNone = -1,
  BTCodecBmp = 1,
  BTCodecJpeg = 2,
  BTCodecGif = 3,
  BTCodecPng = 4,
  BTCodecTiff = 5,
  BTCodecIco = 6,
  BTCodecTga = 7,
  BTCodecPcx = 8,
  BTCodecPnm = 9,
  BTCodecOther = 10,
};
// Codec types for GetCodecIdFromExtension.
enum BTCodecType : int { BTCodecTypeDecoder = 0, BTCodecTypeEncoder = 1 };

struct BTRGBQuad {
  uint8_t blue, green, red, reserved;
};

class BTCImageData {
 public:
  BTCImageData();
  ~BTCImageData();
  BTCImageData(const BTCImageData&) = delete;
  BTCImageData& operator=(const BTCImageData&) = delete;

  int GetWidth() const { return width_; }
  int GetHeight() const { return height_; }
  // Bytes of the decoded pixel data (rows padded to 4 bytes); 0 when empty.
  size_t GetImageSize() const;
  // 24 for every decoded picture, 0 when empty.
  int GetBitsPerPixel() const { return width_ ? 24 : 0; }
  // Always null: decoded pictures are true colour.
  const BTRGBQuad* GetColorTable() const { return nullptr; }
  // Pictures are 24-bit already; false only when there is no picture.
  bool ConvertTo24BPP() { return width_ != 0; }
  // Scales to width x height. False on failure; the picture is then unchanged,
  // unless its pixels turned out to be undecodable (then it is empty).
  bool Resize(int width, int height, BTResizeFilter& filter);
  // Frees the pixels; the object can load again.
  void DeleteObject();

#ifdef _WIN32
  // A DIB section of the pixels, owned by this object (valid until the picture changes).
  HBITMAP__* GetBitmap();
  // Paints the `src` part (null: all) unscaled at the top-left corner of `dst`.
  bool Draw(HDC__* dc, const tagRECT* dst, const tagRECT* src, unsigned long rop = 0x00CC0020);
  // Paints the `src` part (null: all) scaled into `dst` with the smoothing scaler.
  bool Stretch(HDC__* dc, const tagRECT* dst, const tagRECT* src, unsigned long rop = 0x00CC0020);
#endif

  // For the owning image object and tests.
  void Assign(std::unique_ptr<image::RowSource> rows);
  // The pixels in memory, decoding them first when still pending. Null when empty or undecodable.
  const image::Pixmap* Pixels();

 private:
  void DropCaches();

  std::unique_ptr<image::RowSource> pending_;  // rows not yet taken out of the decoder
  image::Pixmap pixels_;
  int width_ = 0, height_ = 0;
  image::Resampler resampler_;
#ifdef _WIN32
  struct Gdi;
  std::unique_ptr<Gdi> gdi_;  // cached bitmap and scaled copy for painting
#endif
};

class BTCImageObject {
 public:
  BTCImageObject() = default;
  BTCImageObject(const BTCImageObject&) = delete;
  BTCImageObject& operator=(const BTCImageObject&) = delete;

  // Decodes a file. `options`, `reserved` and `mode` are accepted for the callers'
  // sake and not used. Returns the codec of the file, or -1 on failure (the
  // previous picture is gone either way).
  int Load(const char* path, const BTDecoderOptions* options = nullptr, void* reserved = nullptr, int mode = 2);
  // Decodes `size` bytes; they are not needed after the call.
  int Load(const void* bytes, size_t size, const BTDecoderOptions* options = nullptr);
  // Writes the picture in the codec's format (bitmap files only). 0 on success.
  int Save(const BTCString& path, int codec, const BTEncoderOptions* options = nullptr);
  // The codec for a file extension ("bmp", ".BMP"); -1 when unknown. With
  // BTCodecTypeEncoder only codecs that Save can write are found.
  static int GetCodecIdFromExtension(const BTCString& extension, int codec_type);

  BTCImageData* GetObjectDataPtr() { return &data_; }

 private:
  BTCImageData data_;
};
