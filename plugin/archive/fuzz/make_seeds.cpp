// Writes small seed archives for the fuzz target into the folder given.
#include <cstdio>
#include <fstream>
#include <string>

#include "plugin/archive/archive.h"
#include "plugin/archive/tests/archive_test_util.h"
#include "plugin/archive/tests/memory_file_system.h"

namespace {
// Each seed starts with the fuzz target's switch byte: 1 keeps the checksum
// right after mutation, 0 leaves the file as it is.
void Write(const std::string& path, const MemoryFileSystem::Bytes& file, uint8_t fixChecksum = 1) {
  MemoryFileSystem::Bytes bytes{fixChecksum};
  bytes.insert(bytes.end(), file.begin(), file.end());
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}
}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s folder\n", argv[0]);
    return 2;
  }
  const std::string out = std::string(argv[1]) + "/";
  const std::string path = "/d/archive";
  {
    MemoryFileSystem fs;
    Archive archive(fs);
    archive.Open("/d/", "Backup/", "archive");
    archive.Close();
    Write(out + "new-archive", fs.Contents(path));
  }
  {
    MemoryFileSystem fs;
    Archive archive(fs);
    archive.Open("/d/", "Backup/", "archive");
    AddSampleSearches(archive, 1, 2);
    archive.Add(nullptr, kNodeCondemnedList);
    archive.AddText(archive.Find(nullptr, nullptr, kNodeCondemnedList), kNodeCondemned, "http://x/y.jpg");
    archive.Close();
    Write(out + "one-search", fs.Contents(path));
  }
  {
    MemoryFileSystem fs;
    Archive archive(fs);
    archive.Open("/d/", "Backup/", "archive");
    AddSampleSearches(archive, 1, 1);
    archive.SaveIncremental();
    archive.AddU32(archive.Find(nullptr, nullptr, kNodeSettings), kNodeRunCounter, 5);
    archive.SaveIncremental();
    Write(out + "two-sections", fs.Contents(path));
    auto damaged = fs.Contents(path);
    damaged[damaged.size() - 2] ^= 0x40;
    Write(out + "damaged-last-section", damaged, 0);
  }
  return 0;
}
