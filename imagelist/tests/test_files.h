#pragma once
// Scratch folders and whole-file I/O for the list tests.
#include <string>
#include <string_view>

// A new empty folder under the system temp folder, removed with everything in it on destruction.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  // The folder's path, without a trailing separator.
  const std::string& Path() const { return path_; }
  // Path of name inside the folder (name may use '/' for subfolders).
  std::string File(std::string_view name) const;

 private:
  std::string path_;
};

void WriteBytes(const std::string& path, std::string_view bytes);
std::string ReadBytes(const std::string& path);
bool Exists(const std::string& path);
