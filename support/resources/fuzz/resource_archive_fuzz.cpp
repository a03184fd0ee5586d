// Opens arbitrary bytes as a host file with an appended archive and loads
// every member it lists; checks what a sound directory promises.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "support/resources/resource_archive.h"

namespace {
// The reader takes a path: each input becomes this file, removed at exit.
struct ScratchFile {
  std::string path = "/tmp/resource_archive_fuzz." + std::to_string(getpid());
  ~ScratchFile() { std::remove(path.c_str()); }
};

const std::string& ScratchPath() {
  static const ScratchFile file;
  return file.path;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& path = ScratchPath();
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, f) != size) std::abort();
  std::fclose(f);

  ResourceArchive archive;
  if (!archive.Open(path)) {
    if (archive.Count() != 0 || archive.DirectoryOffset() != -1) std::abort();
    return 0;
  }
  const auto directory = static_cast<size_t>(archive.DirectoryOffset());
  if (directory + 4 > size) std::abort();
  // Each entry takes a name byte, its NUL and two numbers.
  if (static_cast<size_t>(archive.Count()) * 10 > size - 4 - directory) std::abort();
  for (const ResourceEntry& entry : archive.Entries()) {
    if (static_cast<uint64_t>(entry.offset) + entry.size > directory) std::abort();
    const char* name = entry.name.c_str();
    if (archive.SizeOf(name) != static_cast<int32_t>(entry.size)) std::abort();
    const uint8_t* bytes = archive.Load(name);
    if (bytes == nullptr || archive.Loaded(name) != bytes) std::abort();
    if (entry.size > 0 && std::memcmp(bytes, data + entry.offset, entry.size) != 0) std::abort();
  }
  archive.FreeAll();
  for (const ResourceEntry& entry : archive.Entries()) {
    if (archive.Loaded(entry.name.c_str()) != nullptr) std::abort();
  }
  return 0;
}
