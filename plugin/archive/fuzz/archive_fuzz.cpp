// The archive's loader on any file: open, read every blob, change it, save
// both ways and open again. Nothing may crash, hang or allocate beyond the input.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "plugin/archive/archive.h"
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

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MemoryFileSystem fs;
  fs.SetContents("/d/archive", std::vector<uint8_t>(data, data + size));
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
