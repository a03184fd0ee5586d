#pragma once
// The engines the plug-in offers, in registration order. Portable: a factory
// is only a function pointer here; what it makes is the Windows layer's.
#include <cstdint>
#include <list>
#include <memory>
#include <string>

#include "plugin/include/fetchpix.h"

class SearchThread;

struct EngineEntry {
  // Makes the search object of a keyword engine; null when it cannot.
  using Factory = std::unique_ptr<SearchThread> (*)(uint32_t id);

  uint32_t id = 0;
  std::string name;
  uint32_t capabilities = 0;  // bits 0 to 4 become EngineInfo's capability bytes
  Factory factory = nullptr;  // none for "User URL": its address is probed instead
};

class EngineTable {
 public:
  // Takes the next free id.
  const EngineEntry& Register(std::string name, uint32_t capabilities, EngineEntry::Factory factory);
  // Raises the next free id past `id` when it is not already past it.
  const EngineEntry& RegisterWithId(uint32_t id, std::string name, uint32_t capabilities,
                                    EngineEntry::Factory factory);
  // The first entry with that id; null when none.
  const EngineEntry* Find(uint32_t id) const;
  // Calls back once per entry, in order, with a temporary EngineInfo;
  // STOPENUMERATION from the callback ends it and is returned, else SUCCESS.
  uint32_t Enumerate(FetchpixEnumCallback callback) const;
  void Clear();

 private:
  std::list<EngineEntry> entries_;  // stable addresses for Find's callers
  uint32_t nextId_ = 0;
};

// The table as InitDll builds it until the keyword engines arrive.
void RegisterBuiltInEngines(EngineTable& table);
