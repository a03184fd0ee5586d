#pragma once
// ASCII helpers for the list readers; file names are compared like Windows
// compares them in the ANSI range.
#include <cstddef>
#include <string_view>

// ASCII lower case; other bytes unchanged.
inline char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// True when a and b are equal ignoring ASCII case.
bool EqualsNoCase(std::string_view a, std::string_view b);
// True when text begins with prefix, ignoring ASCII case.
bool StartsWithNoCase(std::string_view text, std::string_view prefix);
// Position of needle in text at or after from, ignoring ASCII case; npos when absent or needle empty.
size_t FindNoCase(std::string_view text, std::string_view needle, size_t from = 0);
