#include "wallpaper/pipeline/worker_image.h"

bool WorkerImage::LoadFile(const std::string& path) { return object_.Load(path.c_str(), nullptr, nullptr, 2) != -1; }

bool WorkerImage::LoadMemory(const uint8_t* data, size_t size) {
  return data != nullptr && object_.Load(data, size, nullptr) != -1;
}

bool WorkerImage::Resize(int width, int height, int filter) {
  BTCImageData& data = Data();
  // Palettes and small depths become 24 bits first, as for saving.
  if (data.GetColorTable() != nullptr || data.GetBitsPerPixel() < 15) data.ConvertTo24BPP();
  BTResizeFilter f = static_cast<BTResizeFilter>(filter);
  return data.Resize(width, height, f);
}

bool WorkerImage::SaveBmp(const std::string& path) {
  BTCImageData& data = Data();
  if (data.GetColorTable() != nullptr || data.GetBitsPerPixel() < 15) data.ConvertTo24BPP();
  const int codec = object_.GetCodecIdFromExtension(BTCString("bmp"), BTCodecTypeEncoder);
  return object_.Save(BTCString(path.c_str()), codec, nullptr) == 0;
}

void WorkerImage::Release() { Data().DeleteObject(); }
