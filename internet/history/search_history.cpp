#include "internet/history/search_history.h"

#include <algorithm>

namespace {
SearchList::Node* Find(SearchList& list, std::string_view text) {
  for (SearchList::Node* node = list.Head(); node; node = node->next)
    if (node->value.string == text) return node;
  return nullptr;
}
}  // namespace

void AddToSearchHistory(std::unique_ptr<SearchHistory>& history, std::string_view text, int32_t type,
                        int32_t historySize, SearchForgetter& forget) {
  if (text.empty() || historySize < 1) return;
  if (!history) history = std::make_unique<SearchHistory>();
  SearchList& list = history->ListFor(type);
  // Reuse from any entry point (the dialog or the quick-entry box) makes the
  // entry the most recent, so that it is not the next one dropped.
  if (SearchList::Node* existing = Find(list, text)) {
    list.MoveToFront(existing);
    return;
  }
  list.Prepend(type, std::string(text));
  TrimSearchList(list, historySize, forget);
}

void MoveToFront(SearchHistory* history, int32_t type, std::string_view text) {
  if (!history) return;
  SearchList& list = history->ListFor(type);
  list.MoveToFront(Find(list, text));
}

void TrimSearchList(SearchList& list, int32_t keep, SearchForgetter& forget) {
  keep = std::max<int32_t>(keep, 0);
  while (list.Count() > keep) {
    forget.ForgetSearch(list.Tail()->value.string);
    list.RemoveTail();
  }
}

void TrimSearchHistory(SearchHistory& history, int32_t historySize, SearchForgetter& forget) {
  TrimSearchList(history.keywordItems, historySize, forget);
  TrimSearchList(history.addressItems, historySize, forget);
}
