#pragma once
// Ends one pass over an engine's pages when pages stop giving anything new: a
// site that repeats its last page would otherwise be paged for ever.
#include <cstddef>

namespace engines {

inline constexpr size_t kMaxBarrenPages = 3;

class PagingGuard {
 public:
  // After each page: how many of its candidates were new to the result list.
  void PageDone(size_t newResults) { barren_ = newResults == 0 ? barren_ + 1 : 0; }
  // True once kMaxBarrenPages pages in a row gave nothing new: treat the
  // source as exhausted (end of results, restart from the first page).
  bool Exhausted() const { return barren_ >= kMaxBarrenPages; }
  void Reset() { barren_ = 0; }

 private:
  size_t barren_ = 0;
};

}  // namespace engines
