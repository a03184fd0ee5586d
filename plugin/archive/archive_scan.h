#pragma once
// Finding the sections of an archive file whose checksums hold.
#include <cstdint>
#include <vector>

#include "plugin/archive/archive_file.h"

struct ArchiveSectionEnd {
  uint64_t end;          // file offset just past the section's checksum
  uint32_t treeOffset;   // where its tree begins
  uint32_t crcRunning;   // the checksum's running value over the file up to end
};

// The last section, when the file's last checksum holds.
bool CheckLastSection(ArchiveFile& file, uint64_t size, ArchiveSectionEnd& out);
// Every place in the file where a section ends with a checksum that holds over
// all bytes before it, in file order. One pass over the file.
bool ScanSections(ArchiveFile& file, uint64_t size, std::vector<ArchiveSectionEnd>& out);
