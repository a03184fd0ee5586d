#include "imagelist/tests/test_files.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "imagelist/file_system.h"

namespace fs = std::filesystem;

TempFolder::TempFolder() {
  static std::atomic<unsigned> counter{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  fs::path p = fs::temp_directory_path() /
               ("sf_imagelist_" + std::to_string(stamp) + "_" + std::to_string(counter++));
  fs::create_directories(p);
  path_ = p.string();
  // Keep one kind of separator so that tests can compare paths as text.
  for (char& c : path_)
    if (c == '/' || c == '\\') c = NativeSeparator();
}

TempFolder::~TempFolder() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

std::string TempFolder::File(std::string_view name) const {
  std::string p = path_ + NativeSeparator();
  for (char c : name) p += (c == '/') ? NativeSeparator() : c;
  return p;
}

void WriteBytes(const std::string& path, std::string_view bytes) {
  fs::path p(path);
  if (p.has_parent_path()) fs::create_directories(p.parent_path());
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  if (!f) throw std::runtime_error("cannot write " + path);
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadBytes(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

bool Exists(const std::string& path) {
  std::error_code ec;
  return fs::exists(path, ec);
}
