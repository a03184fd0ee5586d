#pragma once
// What the settings pages make of the text in their boxes, kept free of Win32
// so the rules (defaults for empty boxes, limits, the megapixel decimals) run
// natively. Every function takes any text the user or the registry gives.
#include <cstdint>
#include <string>
#include <string_view>

// Spin ranges of the Internet page.
inline constexpr int32_t kHistorySizeMin = 1;
inline constexpr int32_t kHistorySizeMax = 1000;
inline constexpr int32_t kCacheMegabytesMin = 5;
// CacheSize is a signed 32-bit byte count: 2147 MB is the most it holds.
inline constexpr int32_t kCacheMegabytesMax = 2147;

// Fallbacks for empty boxes.
inline constexpr uint32_t kDefaultMinWidth = 640;
inline constexpr uint32_t kDefaultMinHeight = 480;
inline constexpr uint32_t kDefaultMinPixels = 300000;
inline constexpr int32_t kDefaultHistorySize = 10;
inline constexpr int32_t kDefaultCacheBytes = 5000000;

// The longest search text the registry gives back (a value of 1024 bytes or
// more cannot be read, so the setting would silently revert at the next start).
inline constexpr size_t kMaxSearchTextBytes = 1023;

// The text without its non-digits; `removed` tells whether anything went.
std::string KeepDigits(std::string_view text, bool& removed);
// The megapixel box while typing: digits and decimal points stay, where both
// "." and the locale's `separator` count as a point.
std::string KeepDecimal(std::string_view text, char separator, bool& removed);

// A box of digits as a number: `fallback` when empty, the largest uint32
// when the digits exceed it (never an overflow).
uint32_t ParseUnsigned(std::string_view digits, uint32_t fallback);

// Megapixels (either decimal point) to pixels, truncated: "0.6" gives 600000;
// 300000 when empty; at most the largest uint32. Integer arithmetic only.
uint32_t ParseMegapixels(std::string_view text, char separator);
// Pixels as megapixels with three decimals and the locale's separator ("0,300").
std::string FormatMegapixels(uint32_t pixels, char separator);

// HistorySize from its box: 10 when empty, else within the spin range.
int32_t ParseHistorySize(std::string_view digits);
// CacheSize in bytes from the megabyte box: 5,000,000 when empty or 0, else
// the megabytes clamped to the spin range, times 1,000,000.
int32_t ParseCacheSize(std::string_view digits);
// The megabytes the cache box shows for a stored CacheSize (any value), within the spin range.
int32_t CacheMegabytesShown(int32_t cacheSize);
// The history box's number for a stored HistorySize, within the spin range.
int32_t HistorySizeShown(int32_t historySize);

// At most `maxBytes` of `text`, never ending inside a UTF-8 sequence.
std::string TruncateUtf8(std::string_view text, size_t maxBytes);
