#include "plugin/core/engine_table.h"

const EngineEntry& EngineTable::Register(std::string name, uint32_t capabilities, EngineEntry::Factory factory) {
  entries_.push_back(EngineEntry{nextId_, std::move(name), capabilities, factory});
  ++nextId_;
  return entries_.back();
}

const EngineEntry& EngineTable::RegisterWithId(uint32_t id, std::string name, uint32_t capabilities,
                                               EngineEntry::Factory factory) {
  // Also when the counter equals id: the next Register must not hand it out again.
  if (nextId_ <= id) nextId_ = id + 1;
  entries_.push_back(EngineEntry{id, std::move(name), capabilities, factory});
  return entries_.back();
}

const EngineEntry* EngineTable::Find(uint32_t id) const {
  for (const EngineEntry& e : entries_)
    if (e.id == id) return &e;
  return nullptr;
}

uint32_t EngineTable::Enumerate(FetchpixEnumCallback callback) const {
  if (!callback) return SUCCESS;
  for (const EngineEntry& e : entries_) {
    EngineInfo info{};
    info.id = e.id;
    info.name = e.name.c_str();
    for (int bit = 0; bit < 5; ++bit) info.capabilities[bit] = static_cast<uint8_t>((e.capabilities >> bit) & 1u);
    if (static_cast<uint32_t>(callback(&info)) == STOPENUMERATION) return STOPENUMERATION;
  }
  return SUCCESS;
}

void EngineTable::Clear() {
  entries_.clear();
  nextId_ = 0;
}

void RegisterBuiltInEngines(EngineTable& table) { table.Register("User URL", 0, nullptr); }
