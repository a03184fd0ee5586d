#include "plugin/core/image_record.h"

#include <cstring>
#include <new>

uint32_t NewImageRecord(const std::string& fileName, const std::vector<uint8_t>& bytes, uint32_t width,
                        uint32_t height, ImageData** out) {
  auto* data = new (std::nothrow) ImageData{};
  char* name = new (std::nothrow) char[fileName.size() + 1];
  uint8_t* copy = new (std::nothrow) uint8_t[bytes.empty() ? 1 : bytes.size()];
  if (!data || !name || !copy) {
    delete data;
    delete[] name;
    delete[] copy;
    return OUTOFMEMORY;
  }
  std::memcpy(name, fileName.c_str(), fileName.size() + 1);
  if (!bytes.empty()) std::memcpy(copy, bytes.data(), bytes.size());
  data->size = static_cast<uint32_t>(bytes.size());
  data->width = width;
  data->height = height;
  data->fileName = name;
  data->bytes = copy;
  *out = data;
  return SUCCESS;
}
