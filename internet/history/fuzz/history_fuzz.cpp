// Reads arbitrary bytes as a history file and checks that what was read is
// written and read back unchanged; then takes the bytes as a search text and
// checks that it is either left out of the file or comes back as the reader keeps it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "internet/history/history_format.h"

namespace {
class NoForgetter final : public SearchForgetter {
 public:
  void ForgetSearch(const std::string&) override {}
};

bool SameList(const SearchList& a, const SearchList& b) {
  if (a.Count() != b.Count()) return false;
  for (auto *x = a.Head(), *y = b.Head(); x; x = x->next, y = y->next)
    if (x->value.type != y->value.type || x->value.string != y->value.string) return false;
  return true;
}

void CheckFileRoundTrip(std::string_view bytes) {
  const auto first = ParseSearchHistory(bytes);
  if (!first) return;
  const int32_t limit = first->keywordItems.Count() + first->addressItems.Count();
  const std::string written = FormatSearchHistory(*first, limit);
  const auto second = ParseSearchHistory(written);
  if (!second || !SameList(first->keywordItems, second->keywordItems) ||
      !SameList(first->addressItems, second->addressItems))
    std::abort();
  if (FormatSearchHistory(*second, limit) != written) std::abort();
}

void CheckTextRoundTrip(std::string_view text) {
  std::unique_ptr<SearchHistory> history;
  NoForgetter forget;
  AddToSearchHistory(history, text, 0, 5, forget);
  if (!history) return;
  const std::string written = FormatSearchHistory(*history, 10);
  if (BreaksHistoryItem(text)) {
    if (!written.empty()) std::abort();
    return;
  }
  // What comes back is the text without the control bytes the reader drops.
  std::string kept;
  for (char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if (b >= 0x20 || b == '\t' || b == '\n' || b == '\r') kept.push_back(c);
  }
  const auto back = ParseSearchHistory(written);
  if (kept.empty()) {
    if (back) std::abort();
    return;
  }
  if (!back || back->keywordItems.Count() != 1 || !back->addressItems.Empty() ||
      back->keywordItems.Head()->value.string != kept)
    std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  CheckFileRoundTrip(bytes);
  CheckTextRoundTrip(bytes);
  return 0;
}
