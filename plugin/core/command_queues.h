#pragma once
// The two command queues of the plug-in: the control thread's and each search
// thread's. Not locked themselves; their owners hold the queue lock or the
// search's command lock around every call.
#include <atomic>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>

enum ControlCommand : uint32_t {
  kControlStart = 1,
  kControlNext = 2,
  kControlPrevious = 3,
  kControlStop = 4,
  kControlClearCache = 5,
  kControlClearHistory = 6,
  kControlTrimCache = 7,
  kControlQuit = 8,
};

struct CurrentSearch;

struct ControlEntry {
  uint32_t command = 0;
  CurrentSearch* record = nullptr;  // commands 1 to 4
  uint32_t recordId = 0;            // the record's id when queued
  std::optional<std::string> text;  // command 6: the encoded text, or none
};

class ControlQueue {
 public:
  void Push(ControlEntry entry) { entries_.push_back(std::move(entry)); }
  std::optional<ControlEntry> Pop();
  bool Empty() const { return entries_.empty(); }

 private:
  std::deque<ControlEntry> entries_;
};

enum SearchCommand : uint32_t {
  kSearchQuit = 1,
  kSearchNext = 2,
  kSearchPrevious = 3,
};

class SearchCommandQueue {
 public:
  // A quit also raises the quit flag at once, whatever is queued before it.
  void Push(uint32_t command);
  std::optional<uint32_t> Pop();
  bool Empty() const { return commands_.empty(); }
  // Read without the command lock by downloads that must end when the search
  // quits; a queued next or previous never hides it.
  const std::atomic<bool>& QuitFlag() const { return quit_; }
  bool QuitRequested() const { return quit_.load(); }

 private:
  std::deque<uint32_t> commands_;
  std::atomic<bool> quit_{false};
};
