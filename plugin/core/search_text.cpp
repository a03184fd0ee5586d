#include "plugin/core/search_text.h"

std::string EncodeBlanks(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == ' ')
      out += "%20";
    else
      out += c;
  }
  return out;
}
