#include "plugin/archive/recently_failed_list.h"

#include <chrono>

uint64_t RecentlyFailedList::SystemNow() {
  // FILETIME counts 100 ns units from 1601; the system clock counts from 1970.
  constexpr uint64_t kFrom1601To1970 = 11644473600ull * 10000000ull;
  auto since1970 = std::chrono::duration_cast<std::chrono::nanoseconds>(
      std::chrono::system_clock::now().time_since_epoch());
  return kFrom1601To1970 + static_cast<uint64_t>(since1970.count() / 100);
}

void RecentlyFailedList::Remember(const std::string& address) {
  std::lock_guard<std::mutex> guard(lock_);
  uint64_t expiry = clock_() + kKeepFor;
  for (Entry& entry : entries_) {
    if (entry.address == address) {
      entry.expiry = expiry;
      return;
    }
  }
  entries_.push_back({address, expiry});
}

bool RecentlyFailedList::IsRecentlyFailed(const std::string& address) {
  std::lock_guard<std::mutex> guard(lock_);
  uint64_t now = clock_();
  bool found = false;
  for (auto it = entries_.begin(); it != entries_.end();) {
    if (it->expiry <= now) {
      it = entries_.erase(it);
      continue;
    }
    if (it->address == address) found = true;
    ++it;
  }
  return found;
}

void RecentlyFailedList::Clear() {
  std::lock_guard<std::mutex> guard(lock_);
  entries_.clear();
}

size_t RecentlyFailedList::Size() {
  std::lock_guard<std::mutex> guard(lock_);
  return entries_.size();
}
