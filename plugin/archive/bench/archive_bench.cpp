// Times opening an archive of 10,000 results with their cache entries (trees
// only, blobs lazy) and a full save of it, on the platform's file layer.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "plugin/archive/archive.h"
#include "plugin/archive/tests/archive_test_util.h"
#ifdef _WIN32
#include "plugin/archive/archive_file_win.h"
static ArchiveFileSystem& Files() { return Win32ArchiveFileSystem(); }
static const char* kSep = "\\";
#else
#include "plugin/archive/archive_file_posix.h"
static ArchiveFileSystem& Files() { return PosixArchiveFileSystem(); }
static const char* kSep = "/";
#endif

namespace {
double Ms(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since).count();
}
}  // namespace

int main(int argc, char** argv) {
  std::filesystem::path dir = argc > 1 ? std::filesystem::path(argv[1])
                                       : std::filesystem::temp_directory_path() / "sf-archive-bench";
  std::filesystem::create_directories(dir);
  const std::string folder = dir.string() + kSep;
  const std::string name = "Settings.Fetchpix Data Archive";
  std::filesystem::remove(folder + name);
  {
    Archive archive(Files());
    archive.Open(folder, std::string("Backup") + kSep, name);
    AddSampleSearches(archive, 20, 500);  // 10,000 results, each with a cache entry
    archive.Close();
  }
  std::printf("archive file: %llu bytes\n",
              static_cast<unsigned long long>(std::filesystem::file_size(folder + name)));
  double bestOpen = 1e9, bestSave = 1e9;
  for (int pass = 0; pass < 5; ++pass) {
    Archive archive(Files());
    auto start = std::chrono::steady_clock::now();
    ArchiveOpenResult result = archive.Open(folder, std::string("Backup") + kSep, name);
    bestOpen = std::min(bestOpen, Ms(start));
    if (result != ArchiveOpenResult::Loaded) {
      std::printf("open failed\n");
      return 1;
    }
    start = std::chrono::steady_clock::now();
    if (!archive.SaveFull()) {
      std::printf("full save failed\n");
      return 1;
    }
    bestSave = std::min(bestSave, Ms(start));
  }
  std::printf("open 10000 results: %.1f ms\n", bestOpen);
  std::printf("full save: %.1f ms\n", bestSave);
  std::filesystem::remove_all(dir);
  return 0;
}
