// Takes the first byte as the length of the image bytes that follow it and the
// rest as the plug-in's file name; the offered name must be one Windows
// creates as a plain file, and offering it again must give it back unchanged.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>

#include "internet/save/device_names.h"
#include "internet/save/save_name.h"

namespace {
bool HasForbiddenByte(std::string_view name) {
  for (char c : name) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x20 || b == 0x7F || std::string_view("<>:\"/\\|?*").find(c) != std::string_view::npos) return true;
  }
  return false;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const size_t imageSize = std::min<size_t>(data[0] % 17, size - 1);
  const std::span<const uint8_t> image(data + 1, imageSize);
  const std::string_view fileName(reinterpret_cast<const char*>(data + 1 + imageSize), size - 1 - imageSize);

  const std::string name = ProposedSaveName(fileName, image);
  if (name.empty() || name.size() > kMaxSaveNameBytes) std::abort();
  if (HasForbiddenByte(name) || IsReservedDeviceName(name)) std::abort();
  if (name.back() == '.' || name.back() == ' ') std::abort();
  if (ProposedSaveName(name, image) != name) std::abort();
  return 0;
}
