#pragma once
// Percent-escapes in both directions.
#include <optional>
#include <string>
#include <string_view>

namespace engines {

// The value of one hexadecimal digit, or -1.
constexpr int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Decodes "%" followed by two hexadecimal digits (either case); any other "%"
// stays as it is. nullopt when the result would hold a NUL byte.
std::optional<std::string> PercentDecode(std::string_view text);

// Escapes every byte outside A-Z a-z 0-9 "-" "." "_" "~" as "%XX" (upper case).
std::string PercentEncode(std::string_view bytes);

// The search text as the engine receives it, from the text as the search
// stores it (blanks as "%20"): each "%20" stands for a blank, and the raw text
// is then percent-encoded, so "rock%20&%20roll" asks for "rock%20%26%20roll".
std::string EncodeSearchText(std::string_view storedText);

// An address as it may be requested: control bytes, blanks, non-ASCII bytes,
// the characters that may never appear raw in a URL and a "%" that starts no
// escape are percent-encoded; everything else (delimiters, escapes) stays.
std::string EncodeAddressForRequest(std::string_view address);

}  // namespace engines
