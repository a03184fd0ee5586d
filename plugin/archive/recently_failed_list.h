#pragma once
// Addresses whose servers refused or were busy, kept out of use for two hours.
// In memory only; safe to use from several search threads at once (own lock,
// taken alone: it is never held while another lock is taken).
#include <cstdint>
#include <list>
#include <mutex>
#include <string>

class RecentlyFailedList {
 public:
  // Current time as a FILETIME value (UTC, 100 ns units since 1601).
  using Clock = uint64_t (*)();
  static uint64_t SystemNow();
  static constexpr uint64_t kKeepFor = 7200ull * 10000000ull;  // two hours

  explicit RecentlyFailedList(Clock clock = &SystemNow) : clock_(clock) {}

  // Keeps address out of use until two hours from now (an address already in
  // the list gets the new expiry instead of a second entry).
  void Remember(const std::string& address);
  // True for an unexpired entry; drops expired entries on the way.
  bool IsRecentlyFailed(const std::string& address);
  void Clear();
  size_t Size();

 private:
  struct Entry {
    std::string address;
    uint64_t expiry;
  };
  std::mutex lock_;
  Clock clock_;
  std::list<Entry> entries_;
};
