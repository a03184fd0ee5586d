#pragma once
// ASCII-only case helpers for file names, extensions, registry value names and
// command lines. Only 'A'-'Z' and 'a'-'z' fold; every other byte, UTF-8 included,
// compares as it is. std::tolower is not used on purpose: it follows the C
// locale, so the same name could compare differently from one machine to the next.
#include <cstddef>
#include <string>
#include <string_view>

// The byte in lower case when it is an ASCII capital, else unchanged.
constexpr char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// The text with its ASCII capitals lowered.
inline std::string ToLowerAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = AsciiLower(c);
  return out;
}

// True when a and b are equal ignoring ASCII case.
constexpr bool EqualsIgnoreCaseAscii(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  return true;
}

constexpr bool StartsWithIgnoreCaseAscii(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsIgnoreCaseAscii(text.substr(0, prefix.size()), prefix);
}

constexpr bool EndsWithIgnoreCaseAscii(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && EqualsIgnoreCaseAscii(text.substr(text.size() - suffix.size()), suffix);
}

// Position of needle in text at or after from, ignoring ASCII case; npos when
// absent, when needle is empty or when from is past the end.
constexpr size_t FindIgnoreCaseAscii(std::string_view text, std::string_view needle, size_t from = 0) {
  if (needle.empty() || from > text.size() || text.size() - from < needle.size()) return std::string_view::npos;
  const size_t last = text.size() - needle.size();
  for (size_t i = from; i <= last; ++i)
    if (EqualsIgnoreCaseAscii(text.substr(i, needle.size()), needle)) return i;
  return std::string_view::npos;
}
