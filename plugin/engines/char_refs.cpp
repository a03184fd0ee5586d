#include "plugin/engines/char_refs.h"

#include <cstdint>
#include <cstring>

namespace engines {
namespace {

void AppendUtf8(uint32_t cp, std::string& out) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

int DigitValue(char c, bool hex) {
  if (c >= '0' && c <= '9') return c - '0';
  if (hex && c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (hex && c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The length of the reference at the start of `s` ("&..;"), 0 when there is
// none; its meaning goes to `out`.
size_t DecodeOne(std::string_view s, std::string& out) {
  struct Named {
    std::string_view text;
    char ch;
  };
  static constexpr Named kNamed[] = {{"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}};
  for (const Named& n : kNamed) {
    if (s.substr(0, n.text.size()) == n.text) {
      out += n.ch;
      return n.text.size();
    }
  }
  if (s.size() < 4 || s[1] != '#') return 0;
  const bool hex = s[2] == 'x' || s[2] == 'X';
  size_t i = hex ? 3 : 2;
  const size_t first = i;
  uint32_t cp = 0;
  for (; i < s.size(); ++i) {
    const int d = DigitValue(s[i], hex);
    if (d < 0) break;
    cp = cp > 0x10FFFF ? cp : cp * (hex ? 16 : 10) + static_cast<uint32_t>(d);
  }
  if (i == first || i >= s.size() || s[i] != ';') return 0;
  if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  AppendUtf8(cp, out);
  return i + 1;
}

}  // namespace

void AppendDecodedReferences(std::string_view value, std::string& out) {
  while (!value.empty()) {
    const void* hit = std::memchr(value.data(), '&', value.size());
    if (!hit) {
      out.append(value);
      return;
    }
    const size_t at = static_cast<size_t>(static_cast<const char*>(hit) - value.data());
    out.append(value.substr(0, at));
    value.remove_prefix(at);
    const size_t used = DecodeOne(value, out);
    if (used == 0) {
      out += '&';
      value.remove_prefix(1);
    } else {
      value.remove_prefix(used);
    }
  }
}

}  // namespace engines
