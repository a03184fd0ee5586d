#include "internet/save/image_signature.h"

#include <algorithm>
#include <array>

namespace {
struct Signature {
  std::string_view magic;
  std::string_view extension;
};

constexpr std::array<Signature, 7> kSignatures{{
    {std::string_view("\xFF\xD8\xFF", 3), ".jpg"},
    {std::string_view("\x89PNG\r\n\x1A\n", 8), ".png"},
    {"GIF87a", ".gif"},
    {"GIF89a", ".gif"},
    {"BM", ".bmp"},
    {std::string_view("II*\0", 4), ".tif"},
    {std::string_view("MM\0*", 4), ".tif"},
}};

bool StartsWith(std::span<const uint8_t> bytes, std::string_view magic) {
  return bytes.size() >= magic.size() &&
         std::equal(magic.begin(), magic.end(), bytes.begin(),
                    [](char m, uint8_t b) { return static_cast<uint8_t>(m) == b; });
}
}  // namespace

std::string_view ExtensionFromSignature(std::span<const uint8_t> bytes) {
  for (const auto& s : kSignatures)
    if (StartsWith(bytes, s.magic)) return s.extension;
  return ".jpg";
}
