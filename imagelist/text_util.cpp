#include "imagelist/text_util.h"

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  return true;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

size_t FindNoCase(std::string_view text, std::string_view needle, size_t from) {
  if (needle.empty() || from > text.size() || text.size() - from < needle.size())
    return std::string_view::npos;
  const char first = AsciiLower(needle[0]);
  const size_t last = text.size() - needle.size();
  for (size_t i = from; i <= last; ++i) {
    if (AsciiLower(text[i]) != first) continue;
    if (EqualsNoCase(text.substr(i, needle.size()), needle)) return i;
  }
  return std::string_view::npos;
}
