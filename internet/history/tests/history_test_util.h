#pragma once
#include <map>
#include <string>
#include <vector>

#include "internet/history/history_files.h"
#include "internet/history/search_history.h"

// Records each forgotten text, in order.
class RecordingForgetter final : public SearchForgetter {
 public:
  void ForgetSearch(const std::string& text) override { forgotten.push_back(text); }
  std::vector<std::string> forgotten;
};

inline std::vector<std::string> Strings(const SearchList& list) {
  std::vector<std::string> out;
  for (const SearchList::Node* n = list.Head(); n; n = n->next) out.push_back(n->value.string);
  return out;
}

// Files in memory; a write can be made to fail.
class MemoryHistoryFiles final : public HistoryFiles {
 public:
  HistoryRead ReadWhole(const std::string& path, size_t maxBytes, std::string& out) override {
    out.clear();
    auto it = files.find(path);
    if (it == files.end()) return HistoryRead::kMissing;
    if (it->second.size() > maxBytes) return HistoryRead::kTooLarge;
    out = it->second;
    return HistoryRead::kOk;
  }
  bool WriteReplacing(const std::string& path, std::string_view bytes) override {
    ++writes;
    if (failWrites) return false;
    files[path] = std::string(bytes);
    return true;
  }
  std::map<std::string, std::string> files;
  bool failWrites = false;
  int writes = 0;
};
