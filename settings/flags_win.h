#pragma once
// The two registry flags that tell the next run that this one went wrong.
#include <cstdint>

#include "settings/settings.h"

// Writes "CrashFlag"; the settings record is not touched. Returns the registry result.
long SetCrashFlag(uint32_t value);
// Writes "CriticalError" and, on success, stores it in the live settings too.
long SetErrorFlag(Settings& live, uint32_t value);
