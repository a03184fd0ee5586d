#pragma once
// The two registry flags that tell the next run that this one went wrong.
#include <cstdint>

#include "settings/settings.h"

// Writes "CrashFlag"; the settings record is not touched. Returns the registry result.
long SetCrashFlag(uint32_t value);
// Writes "CriticalError" and, on success, stores it in the live settings too.
long SetErrorFlag(Settings& live, uint32_t value);
// Reads "CrashFlag" and "CriticalError" into the live settings again (a value
// that is missing or not a number leaves the field as it is).
void ReadRunFlags(Settings& live);
