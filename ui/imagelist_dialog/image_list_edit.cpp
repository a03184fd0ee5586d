#include "ui/imagelist_dialog/image_list_edit.h"

#include <algorithm>
#include <cctype>

void ImageListEdit::Start(std::vector<std::string> paths) {
  paths_ = std::move(paths);
  modified_ = false;
  replaced_ = false;
}

void ImageListEdit::Add(const std::vector<std::string>& paths) {
  paths_.insert(paths_.end(), paths.begin(), paths.end());
  modified_ = true;
}

void ImageListEdit::Remove(const std::vector<int32_t>& indices) {
  std::vector<bool> gone(paths_.size(), false);
  for (int32_t index : indices)
    if (index >= 0 && index < Count()) gone[static_cast<size_t>(index)] = true;
  size_t kept = 0;
  for (size_t i = 0; i < paths_.size(); ++i) {
    if (gone[i]) continue;
    // A line that stays in place must not be moved onto itself (that empties it).
    if (kept != i) paths_[kept] = std::move(paths_[i]);
    ++kept;
  }
  paths_.resize(kept);
  modified_ = true;
}

void ImageListEdit::Clear() {
  paths_.clear();
  modified_ = true;
  replaced_ = true;
}

void ImageListEdit::Replace(std::vector<std::string> paths) {
  paths_ = std::move(paths);
  modified_ = true;
  replaced_ = true;
}

namespace {

// Only a valid, strictly ascending selection can be moved line by line.
bool UsableSelection(const std::vector<int32_t>& selected, int32_t count) {
  if (selected.empty()) return false;
  for (size_t i = 0; i < selected.size(); ++i) {
    if (selected[i] < 0 || selected[i] >= count) return false;
    if (i > 0 && selected[i] <= selected[i - 1]) return false;
  }
  return true;
}

}  // namespace

std::vector<int32_t> ImageListEdit::MoveUp(const std::vector<int32_t>& selected) {
  if (!UsableSelection(selected, Count()) || selected.front() == 0) return selected;
  std::vector<int32_t> moved;
  moved.reserve(selected.size());
  for (int32_t index : selected) {
    std::swap(paths_[static_cast<size_t>(index - 1)], paths_[static_cast<size_t>(index)]);
    moved.push_back(index - 1);
  }
  modified_ = true;
  return moved;
}

std::vector<int32_t> ImageListEdit::MoveDown(const std::vector<int32_t>& selected) {
  if (!UsableSelection(selected, Count()) || selected.back() == Count() - 1) return selected;
  std::vector<int32_t> moved(selected.size());
  for (size_t i = selected.size(); i-- > 0;) {
    const int32_t index = selected[i];
    std::swap(paths_[static_cast<size_t>(index)], paths_[static_cast<size_t>(index + 1)]);
    moved[i] = index + 1;
  }
  modified_ = true;
  return moved;
}

std::string_view LineText(std::string_view path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::vector<std::string> SplitPickedFiles(std::string_view result) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  while (start < result.size()) {
    const size_t end = result.find('\0', start);
    const size_t stop = end == std::string_view::npos ? result.size() : end;
    if (stop == start) break;  // the second NUL ends the list
    parts.push_back(result.substr(start, stop - start));
    start = stop + 1;
  }
  std::vector<std::string> paths;
  if (parts.size() == 1) {
    paths.emplace_back(parts[0]);
    return paths;
  }
  if (parts.empty()) return paths;
  std::string folder(parts[0]);
  if (folder.back() != '\\' && folder.back() != '/') folder += '\\';
  for (size_t i = 1; i < parts.size(); ++i) paths.push_back(folder + std::string(parts[i]));
  return paths;
}

std::string WithListExtension(std::string_view name) {
  std::string lower(name);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  std::string result(name);
  if (lower.find(".pls") == std::string::npos) result += ".pls";
  return result;
}
