#include "plugin/archive/archive_crc.h"

namespace {
std::array<uint32_t, 256> BuildTable() {
  std::array<uint32_t, 256> table{};
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t value = i;
    for (int bit = 0; bit < 8; ++bit) value = (value & 1u) ? (value >> 1) ^ 0x04C11DB7u : value >> 1;
    table[i] = value;
  }
  return table;
}
}  // namespace

const std::array<uint32_t, 256>& ArchiveCrcTable() {
  static const std::array<uint32_t, 256> table = BuildTable();
  return table;
}

void ArchiveCrc::Update(const void* data, size_t length) {
  const auto& table = ArchiveCrcTable();
  const auto* bytes = static_cast<const uint8_t*>(data);
  uint32_t value = running_;
  for (size_t i = 0; i < length; ++i) value = (value >> 8) ^ table[(bytes[i] ^ value) & 0xFFu];
  running_ = value;
}

uint32_t ArchiveChecksum(const void* data, size_t length) {
  if (length == 0) return 0;
  ArchiveCrc crc;
  crc.Update(data, length);
  return crc.Value();
}
