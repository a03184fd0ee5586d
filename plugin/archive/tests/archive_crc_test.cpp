#include <gtest/gtest.h>

#include <random>
#include <string>

#include "plugin/archive/archive_crc.h"

namespace {
// The definition written out bit by bit, without a table.
uint32_t BitwiseChecksum(const std::string& s) {
  if (s.empty()) return 0;
  uint32_t value = 0xFFFFFFFFu;
  for (unsigned char b : s) {
    value ^= b;
    for (int i = 0; i < 8; ++i) value = (value & 1) ? (value >> 1) ^ 0x04C11DB7u : value >> 1;
  }
  return ~value;
}
}  // namespace

TEST(ArchiveCrc, CheckValuesAndTable) {
  EXPECT_EQ(ArchiveChecksum("123456789", 9), 0xFC4F2BE9u);
  EXPECT_EQ(ArchiveChecksum("", 0), 0u);
  const auto& table = ArchiveCrcTable();
  EXPECT_EQ(table[0], 0u);
  // 128 shifts out its only bit on the eighth step: the polynomial value itself.
  EXPECT_EQ(table[128], 0x04C11DB7u);
  // Not the reflected polynomial of zlib's crc32 (whose table[128] is 0xEDB88320).
  EXPECT_NE(table[128], 0xEDB88320u);
  EXPECT_NE(ArchiveChecksum("123456789", 9), 0xCBF43926u);
}

TEST(ArchiveCrc, MatchesTheBitwiseDefinitionAndRunsInPieces) {
  std::mt19937 rng(7);
  for (size_t length : {1u, 2u, 3u, 17u, 255u, 256u, 1000u}) {
    std::string s(length, '\0');
    for (char& c : s) c = static_cast<char>(rng());
    EXPECT_EQ(ArchiveChecksum(s.data(), s.size()), BitwiseChecksum(s)) << length;
    ArchiveCrc crc;
    size_t cut = length / 3;
    crc.Update(s.data(), cut);
    crc.Update(s.data() + cut, length - cut);
    EXPECT_EQ(crc.Value(), BitwiseChecksum(s)) << length;
  }
}
