#include "plugin/archive/archive_scan.h"

#include "plugin/archive/archive_crc.h"
#include "plugin/archive/archive_tree.h"

namespace {
constexpr size_t kChunk = 1 << 20;
constexpr uint64_t kSmallestSection = kNodeHeaderSize + 8;

bool Plausible(uint64_t end, uint32_t treeOffset) {
  return end >= kSmallestSection && uint64_t{treeOffset} + kSmallestSection <= end;
}
}  // namespace

bool CheckLastSection(ArchiveFile& file, uint64_t size, ArchiveSectionEnd& out) {
  if (size < kSmallestSection) return false;
  ArchiveCrc crc;
  std::vector<uint8_t> chunk(static_cast<size_t>(std::min<uint64_t>(kChunk, size)));
  const uint64_t covered = size - 4;
  for (uint64_t at = 0; at < covered;) {
    size_t n = static_cast<size_t>(std::min<uint64_t>(chunk.size(), covered - at));
    if (!file.ReadAt(at, chunk.data(), n)) return false;
    crc.Update(chunk.data(), n);
    at += n;
  }
  uint8_t tail[8];
  if (!file.ReadAt(size - 8, tail, 8)) return false;
  uint32_t treeOffset = GetU32(tail);
  if (GetU32(tail + 4) != crc.Value() || !Plausible(size, treeOffset)) return false;
  crc.Update(tail + 4, 4);
  out = {size, treeOffset, crc.Running()};
  return true;
}

bool ScanSections(ArchiveFile& file, uint64_t size, std::vector<ArchiveSectionEnd>& out) {
  out.clear();
  const auto& table = ArchiveCrcTable();
  // The last 8 bytes and the running values after each of them.
  uint8_t bytes[8] = {};
  uint32_t running[8] = {};
  uint32_t value = 0xFFFFFFFFu;
  std::vector<uint8_t> chunk(static_cast<size_t>(std::min<uint64_t>(kChunk, size ? size : 1)));
  uint64_t pos = 0;
  while (pos < size) {
    size_t n = static_cast<size_t>(std::min<uint64_t>(chunk.size(), size - pos));
    if (!file.ReadAt(pos, chunk.data(), n)) return false;
    for (size_t i = 0; i < n; ++i) {
      uint8_t b = chunk[i];
      value = (value >> 8) ^ table[(b ^ value) & 0xFFu];
      ++pos;
      bytes[pos & 7] = b;
      running[pos & 7] = value;
      if (pos < kSmallestSection) continue;
      // Checksum over everything before the last 4 bytes, stored in them.
      uint32_t stored = uint32_t{bytes[(pos - 3) & 7]} | uint32_t{bytes[(pos - 2) & 7]} << 8 |
                        uint32_t{bytes[(pos - 1) & 7]} << 16 | uint32_t{bytes[pos & 7]} << 24;
      if (stored != ~running[(pos - 4) & 7]) continue;
      uint32_t treeOffset = uint32_t{bytes[(pos - 7) & 7]} | uint32_t{bytes[(pos - 6) & 7]} << 8 |
                            uint32_t{bytes[(pos - 5) & 7]} << 16 | uint32_t{bytes[(pos - 4) & 7]} << 24;
      if (Plausible(pos, treeOffset)) out.push_back({pos, treeOffset, value});
    }
  }
  return true;
}
