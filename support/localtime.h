#pragma once
// Thread-safe local-time conversion on both platforms.
#include <cstdint>
#include <ctime>

// Converts seconds since 1970 to local time; false when the C library cannot.
bool ToLocalTime(int64_t seconds, std::tm& out);
// Current time in seconds since 1970.
int64_t NowSeconds();
