#include "plugin/container/result_list.h"

ResultList::ResultList() {
  results_.emplace_back();
  AllTo(results_.begin());
}

bool ResultList::Append(Result result) {
  const bool fresh = addresses_[result.imageUrl]++ == 0;
  results_.push_back(std::move(result));
  ++size_;
  return fresh;
}

bool ResultList::Forward(Cursor& c) {
  Cursor next = std::next(c);
  if (next == results_.end()) return false;
  c = next;
  return true;
}

bool ResultList::Back(Cursor& c) {
  if (c == results_.begin()) return false;
  Cursor prev = std::prev(c);
  if (prev == results_.begin()) return false;
  c = prev;
  return true;
}

ResultList::Cursor ResultList::FindId(uint32_t id) {
  for (Cursor c = std::next(results_.begin()); c != results_.end(); ++c)
    if (c->id == id) return c;
  return results_.begin();
}

std::vector<Result> ResultList::TrimTo(size_t keep) {
  std::vector<Result> dropped;
  while (size_ + 1 > keep && size_ > 0) {
    Cursor oldest = std::next(results_.begin());
    if (oldest == current || oldest == navigation || oldest == ahead) break;
    auto it = addresses_.find(oldest->imageUrl);
    if (it != addresses_.end() && --it->second == 0) addresses_.erase(it);
    dropped.push_back(std::move(*oldest));
    results_.erase(oldest);
    --size_;
  }
  return dropped;
}
