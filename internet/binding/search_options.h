#pragma once
// The plug-in options that follow the settings, as the exact calls to make,
// in the order the plug-in expects them.
#include <cstdint>
#include <vector>

#include "settings/settings.h"

struct OptionCall {
  uint32_t id;
  uintptr_t value;
  uint32_t value2;
  bool operator==(const OptionCall&) const = default;
};

// `window` and `message` receive the plug-in's notifications.
std::vector<OptionCall> SearchOptionCalls(const Settings& settings, uintptr_t window, uint32_t message);
