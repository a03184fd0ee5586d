#pragma once
// Loading and saving the search history file.
#include <cstdint>
#include <memory>
#include <string>

#include "internet/history/history_files.h"
#include "internet/history/search_history.h"

// The history in the file at path; null when the file is missing, cannot be
// read, is larger than the reader takes, or holds no item.
std::unique_ptr<SearchHistory> LoadSearchHistory(HistoryFiles& files, const std::string& path);

// Writes up to limit items of each list to path, replacing the old file in one
// step. False for a null history, a limit below 1 or a failed write (the old
// file then stays as it was). An empty history leaves the file alone (true).
bool SaveSearchHistory(const SearchHistory* history, HistoryFiles& files, const std::string& path, int32_t limit);

// Start-up: the user's file, or, when it cannot be read, the file the program
// ships (fallbackPath), which is then saved as the user's at once.
std::unique_ptr<SearchHistory> LoadSearchHistoryAtStartup(HistoryFiles& files, const std::string& path,
                                                          const std::string& fallbackPath, int32_t limit);
