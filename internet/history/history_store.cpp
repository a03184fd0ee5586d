#include "internet/history/history_store.h"

#include "internet/history/history_format.h"
#include "support/xml/parse_xml.h"

namespace {
std::unique_ptr<SearchHistory> Load(HistoryFiles& files, const std::string& path, HistoryRead& status) {
  std::string bytes;
  status = files.ReadWhole(path, ParseXML::kMaxInputBytes, bytes);
  if (status != HistoryRead::kOk) return nullptr;
  return ParseSearchHistory(bytes);
}
}  // namespace

std::unique_ptr<SearchHistory> LoadSearchHistory(HistoryFiles& files, const std::string& path) {
  HistoryRead status;
  return Load(files, path, status);
}

bool SaveSearchHistory(const SearchHistory* history, HistoryFiles& files, const std::string& path, int32_t limit) {
  if (!history || limit < 1) return false;
  if (history->Empty()) return true;
  return files.WriteReplacing(path, FormatSearchHistory(*history, limit));
}

std::unique_ptr<SearchHistory> LoadSearchHistoryAtStartup(HistoryFiles& files, const std::string& path,
                                                          const std::string& fallbackPath, int32_t limit) {
  HistoryRead status;
  std::unique_ptr<SearchHistory> history = Load(files, path, status);
  if (status == HistoryRead::kOk) return history;
  history = Load(files, fallbackPath, status);
  if (history) SaveSearchHistory(history.get(), files, path, limit);
  return history;
}
