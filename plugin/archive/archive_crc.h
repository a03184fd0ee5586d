#pragma once
// The archive's own checksum: a right-shifting table CRC over the normal
// CRC-32 polynomial value 0x04C11DB7 (not the reflected 0xEDB88320), so it is
// not interchangeable with zlib's crc32. Check value for "123456789": 0xFC4F2BE9.
#include <array>
#include <cstddef>
#include <cstdint>

const std::array<uint32_t, 256>& ArchiveCrcTable();

// Running form, for checksums over data that arrives in pieces.
class ArchiveCrc {
 public:
  void Update(const void* data, size_t length);
  // The checksum of everything passed so far (0 for nothing).
  uint32_t Value() const { return ~running_; }
  uint32_t Running() const { return running_; }
  void SetRunning(uint32_t running) { running_ = running; }

 private:
  uint32_t running_ = 0xFFFFFFFFu;
};

uint32_t ArchiveChecksum(const void* data, size_t length);
