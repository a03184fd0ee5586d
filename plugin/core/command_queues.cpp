#include "plugin/core/command_queues.h"

std::optional<ControlEntry> ControlQueue::Pop() {
  if (entries_.empty()) return std::nullopt;
  ControlEntry e = std::move(entries_.front());
  entries_.pop_front();
  return e;
}

void SearchCommandQueue::Push(uint32_t command) {
  if (command == kSearchQuit) quit_.store(true);
  commands_.push_back(command);
}

std::optional<uint32_t> SearchCommandQueue::Pop() {
  if (commands_.empty()) return std::nullopt;
  const uint32_t c = commands_.front();
  commands_.pop_front();
  return c;
}
