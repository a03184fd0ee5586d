// The archive's loader on any file: open, read every blob, change it, save
// both ways and open again. Nothing may crash, hang or allocate beyond the input.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "plugin/archive/archive.h"
#include "plugin/archive/archive_crc.h"
#include "plugin/archive/tests/memory_file_system.h"

namespace {
void ReadAll(Archive& archive) {
  std::vector<ArchiveNode*> stack{archive.Root()};
  std::vector<uint8_t> buffer;
  size_t visited = 0;
  while (!stack.empty() && visited++ < 100000) {
    ArchiveNode* node = stack.back();
    stack.pop_back();
    uint32_t length = 0;
    archive.Read(node, &length, nullptr);
    buffer.resize(length);
    archive.Read(node, &length, buffer.data());
    std::string text;
    archive.ReadText(node, text);
    for (ArchiveNode* c = archive.Find(node, nullptr, 0); c; c = archive.Find(node, c, 0)) stack.push_back(c);
  }
}
}  // namespace

// The first input byte is a switch: with bit 0 set the file's last 4 bytes are
// replaced by the checksum of the rest, so that mutated trees get past it.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  std::vector<uint8_t> file(data + 1, data + size);
  if ((data[0] & 1) && file.size() >= 4) {
    uint32_t crc = ArchiveChecksum(file.data(), file.size() - 4);
    for (int i = 0; i < 4; ++i) file[file.size() - 4 + static_cast<size_t>(i)] = static_cast<uint8_t>(crc >> (8 * i));
  }
  MemoryFileSystem fs;
  fs.SetContents("/d/archive", file);
  {
    Archive archive(fs);
    archive.Open("/d/", "Backup/", "archive");
    ReadAll(archive);
    archive.SetUserName("fuzz");
    archive.FindText(archive.FindOrAddUser(), kNodeSearch, "x");
    archive.AddText(archive.FindOrAddUser(), kNodeSearch, "x");
    archive.SaveIncremental();
  }
  Archive archive(fs);
  archive.Open("/d/", "Backup/", "archive");
  ReadAll(archive);
  archive.Close();
  return 0;
}
