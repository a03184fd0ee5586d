#pragma once
// The list the "Select Images" dialog edits: full paths in play order, with
// the marks OK and Cancel need. The dialog's list view only shows it, so
// every edit can be checked here without a window.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class ImageListEdit {
 public:
  const std::vector<std::string>& Paths() const { return paths_; }
  int32_t Count() const { return static_cast<int32_t>(paths_.size()); }
  // Any change since the dialog opened.
  bool Modified() const { return modified_; }
  // The list was cleared or replaced by a loaded one: the play cursor starts again.
  bool Replaced() const { return replaced_; }

  // The list as the dialog opens: no change marked.
  void Start(std::vector<std::string> paths);
  // Appends each path in order (the caller filters).
  void Add(const std::vector<std::string>& paths);
  // Removes the lines at the given indices (any order; duplicates and indices out of range are ignored).
  void Remove(const std::vector<int32_t>& indices);
  void Clear();
  // Puts a loaded list in place of the whole list.
  void Replace(std::vector<std::string> paths);
  // Moves the selected lines (ascending indices) one line up or down; returns
  // their new indices. Nothing moves when a selected line is already at that edge.
  std::vector<int32_t> MoveUp(const std::vector<int32_t>& selected);
  std::vector<int32_t> MoveDown(const std::vector<int32_t>& selected);

 private:
  std::vector<std::string> paths_;
  bool modified_ = false;
  bool replaced_ = false;
};

// The text of a line: the path's file name with its extension, no folder.
std::string_view LineText(std::string_view path);
// The open dialog's multiple-selection result: a folder and the names after
// it, each ended by a NUL and the whole by a second NUL; a single path alone.
std::vector<std::string> SplitPickedFiles(std::string_view result);
// The name a list is saved under: ".pls" appended unless the name holds it (any case).
std::string WithListExtension(std::string_view name);
