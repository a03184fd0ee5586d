#pragma once
// The searches and addresses the user has used, most recent first, offered
// again in the Source tab. A search that drops out is passed to a
// SearchForgetter, so that the plug-in can forget its cache and its place.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "imagelist/linked_list.h"

struct SearchItem {
  int32_t type = 0;  // 0: keyword search; anything else: a fixed address
  std::string string;

  SearchItem() = default;
  SearchItem(int32_t t, std::string s) : type(t), string(std::move(s)) {}
};

using SearchList = LinkedList<SearchItem>;

class SearchHistory {
 public:
  SearchList keywordItems;
  SearchList addressItems;

  // The list that holds items of this type.
  SearchList& ListFor(int32_t type) { return type != 0 ? addressItems : keywordItems; }
  bool Empty() const { return keywordItems.Empty() && addressItems.Empty(); }
};

// Implemented by the plug-in binding (it calls ClearSpecificHistoryCache).
class SearchForgetter {
 public:
  virtual ~SearchForgetter() = default;
  // text has just left the history (it is removed right after this call).
  virtual void ForgetSearch(const std::string& text) = 0;
};

// Records text as the search (type 0) or address (type non-zero) in use: an
// entry already in its list moves to the head, a new one is put there and the
// list is trimmed to historySize, each dropped text going to forget first.
// Does nothing for an empty text or a historySize below 1; creates the history
// when there is none.
void AddToSearchHistory(std::unique_ptr<SearchHistory>& history, std::string_view text, int32_t type,
                        int32_t historySize, SearchForgetter& forget);

// Moves the first entry of the list for type whose text equals text (exactly,
// letter case included) to its head; nothing when none matches or history is null.
void MoveToFront(SearchHistory* history, int32_t type, std::string_view text);

// Removes entries from the tail of list until it holds at most keep, passing
// each one's text to forget before it goes.
void TrimSearchList(SearchList& list, int32_t keep, SearchForgetter& forget);
// Both lists down to historySize (a smaller size chosen in the settings).
void TrimSearchHistory(SearchHistory& history, int32_t historySize, SearchForgetter& forget);
