#pragma once
// The search engines the plug-in offers, as it reported them, and what their
// capability bytes mean to the program.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct Engine {
  uint32_t id = 0;
  std::string name;
  std::array<uint8_t, 5> capabilities{};
};

using EngineList = std::vector<Engine>;

// The record of the engine with this id, or null.
inline const Engine* FindEngine(const EngineList& engines, int64_t id) {
  for (const Engine& e : engines)
    if (e.id == id) return &e;
  return nullptr;
}

// Byte 4: the engine can keep a picture from coming back.
inline bool EngineCanBlock(const EngineList& engines, int64_t id) {
  const Engine* e = FindEngine(engines, id);
  return e && e->capabilities[4] != 0;
}

// Bytes 2 and 3: the engine's result pages announce picture sizes, so the
// plug-in applies the size filter before downloading. An unknown engine
// announces nothing.
inline bool EngineAnnouncesSizes(const EngineList& engines, int64_t id) {
  const Engine* e = FindEngine(engines, id);
  return e && (e->capabilities[2] != 0 || e->capabilities[3] != 0);
}
