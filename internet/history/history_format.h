#pragma once
// The bytes of "searches.xml": a sequence of items, no declaration and no root,
// CR LF line ends (the file was always written in text mode):
//   <SearchItem>
//       <Type>0</Type>
//       <String>the text as typed</String>
//   </SearchItem>
//   (empty line)
// keyword items first, then address items, each list from its head.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "internet/history/search_history.h"

// The items of a history file's bytes, in file order; null when it holds none.
// Items without a String child, or with an empty one, are left out.
std::unique_ptr<SearchHistory> ParseSearchHistory(std::string_view bytes);

// The file bytes for history: up to limit written items from each list.
std::string FormatSearchHistory(const SearchHistory& history, int32_t limit);

// True when text would not read back as itself: it holds the closing tag of
// String or of SearchItem (in any case, once the bytes the reader drops are
// gone). Such a text is left out of the file; nothing else is escaped.
bool BreaksHistoryItem(std::string_view text);
