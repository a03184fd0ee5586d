#include "internet/save/image_signature.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
TEST(ExtensionFromSignature, Table) {
  struct Case {
    std::string bytes;
    std::string_view expected;
  };
  const std::vector<Case> cases = {
      {"\xFF\xD8\xFF\xE0", ".jpg"},
      {"\x89PNG\r\n\x1A\n\0\0", ".png"},
      {"GIF87a", ".gif"},
      {"GIF89a\x01", ".gif"},
      {"BM\x36\x00", ".bmp"},
      {std::string("II*\0", 4), ".tif"},
      {std::string("MM\0*", 4), ".tif"},
      // Near misses and short input fall back to the common case.
      {"\x89PNG\r\n\x1A", ".jpg"},
      {"GIF88a", ".jpg"},
      {"B", ".jpg"},
      {std::string("II\0*", 4), ".jpg"},
      {"\xFF\xD8", ".jpg"},
      {"<html>", ".jpg"},
      {"", ".jpg"},
  };
  for (const auto& c : cases) {
    const std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(c.bytes.data()), c.bytes.size());
    EXPECT_EQ(ExtensionFromSignature(bytes), c.expected) << "bytes: " << testing::PrintToString(c.bytes);
  }
}
}  // namespace
