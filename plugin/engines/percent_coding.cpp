#include "plugin/engines/percent_coding.h"

namespace engines {
namespace {

bool IsUnreserved(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
         c == '_' || c == '~';
}

// Never valid raw in a URL, though some pages write them so.
bool MustEscapeInAddress(unsigned char c) {
  return c <= 0x20 || c >= 0x7f || c == '"' || c == '<' || c == '>' || c == '\\' || c == '^' || c == '`' ||
         c == '{' || c == '|' || c == '}';
}

constexpr char kHex[] = "0123456789ABCDEF";

void AppendEscape(std::string& out, unsigned char c) {
  out += '%';
  out += kHex[c >> 4];
  out += kHex[c & 15];
}

bool EscapeAt(std::string_view text, size_t i) {
  return i + 2 < text.size() && text[i] == '%' && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0;
}

}  // namespace

std::optional<std::string> PercentDecode(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (EscapeAt(text, i)) {
      c = static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      i += 2;
    }
    if (c == '\0') return std::nullopt;
    out += c;
  }
  return out;
}

std::string PercentEncode(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char c : bytes) {
    const auto u = static_cast<unsigned char>(c);
    if (IsUnreserved(u))
      out += c;
    else
      AppendEscape(out, u);
  }
  return out;
}

std::string EncodeSearchText(std::string_view storedText) {
  std::string raw;
  raw.reserve(storedText.size());
  for (size_t i = 0; i < storedText.size(); ++i) {
    if (storedText.substr(i, 3) == "%20") {
      raw += ' ';
      i += 2;
    } else {
      raw += storedText[i];
    }
  }
  return PercentEncode(raw);
}

std::string EncodeAddressForRequest(std::string_view address) {
  std::string out;
  out.reserve(address.size());
  for (size_t i = 0; i < address.size(); ++i) {
    const auto u = static_cast<unsigned char>(address[i]);
    if (MustEscapeInAddress(u) || (u == '%' && !EscapeAt(address, i)))
      AppendEscape(out, u);
    else
      out += address[i];
  }
  return out;
}

}  // namespace engines
