#pragma once
// The picture the image worker holds between its operations, through the
// image library: rows stay in the decoder until scaling or saving takes them,
// so a large photo never exists twice in memory.
#include <cstddef>
#include <cstdint>
#include <string>

#include "wallpaper/image/bt_image.h"

class WorkerImage {
 public:
  bool LoadFile(const std::string& path);
  bool LoadMemory(const uint8_t* data, size_t size);
  bool Resize(int width, int height, int filter);
  bool SaveBmp(const std::string& path);
  void Release();

  bool Empty() const { return Data().GetWidth() == 0; }
  int Width() const { return Data().GetWidth(); }
  int Height() const { return Data().GetHeight(); }
  // Size of the decoded pixel data in bytes.
  size_t ImageSize() const { return Data().GetImageSize(); }

 private:
  BTCImageData& Data() const { return *object_.GetObjectDataPtr(); }
  mutable BTCImageObject object_;
};
