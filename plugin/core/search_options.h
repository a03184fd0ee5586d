#pragma once
// The values that SetSearchOption stores and the search threads read while
// judging candidates. Exports write them while search threads read them, so
// every value is atomic; a change takes effect at the next read.
#include <atomic>
#include <cstdint>
#include <mutex>

struct NotifyTarget {
  uintptr_t window = 0;  // 0: notifications are off
  uint32_t message = 0;
};

class SearchOptions {
 public:
  SearchOptions() { Reset(); }
  SearchOptions(const SearchOptions&) = delete;
  SearchOptions& operator=(const SearchOptions&) = delete;

  // The defaults of a fresh InitDll.
  void Reset();
  // SUCCESS, or 0 for an id that stores nothing.
  uint32_t Set(uint32_t id, uintptr_t value, uint32_t value2);

  // Window and message as one consistent pair.
  NotifyTarget Notification() const;
  uint32_t MinFileSize() const { return minFileSize_.load(); }
  uint32_t MaxFileSize() const { return maxFileSize_.load(); }
  uint32_t MinWidth() const { return minWidth_.load(); }
  uint32_t MinHeight() const { return minHeight_.load(); }
  uint32_t MaxWidth() const { return maxWidth_.load(); }
  uint32_t MaxHeight() const { return maxHeight_.load(); }
  uint32_t ResultsToKeep() const { return resultsToKeep_.load(); }
  bool GroupResults() const { return groupResults_.load(); }
  bool BlockExplicit() const { return blockExplicit_.load(); }
  uint32_t CacheBudget() const { return cacheBudget_.load(); }
  uint32_t MinPixels() const { return minPixels_.load(); }

 private:
  std::atomic<uint32_t> minFileSize_, maxFileSize_;
  std::atomic<uint32_t> minWidth_, minHeight_, maxWidth_, maxHeight_;
  std::atomic<uint32_t> resultsToKeep_;
  std::atomic<bool> groupResults_, blockExplicit_;
  std::atomic<uint32_t> cacheBudget_;
  std::atomic<uint32_t> minPixels_;
  // A leaf lock held only to copy the pair: never while posting.
  mutable std::mutex notifyLock_;
  NotifyTarget notify_;
};
